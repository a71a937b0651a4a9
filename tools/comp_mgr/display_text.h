// Text as people and scripts see it: the library's texts are in code page
// 1252, the terminal and JSON take UTF-8; widths for aligned columns, and
// the case-insensitive matching of names typed on the command line.
#ifndef COMP_MGR_TOOL_DISPLAY_TEXT_H
#define COMP_MGR_TOOL_DISPLAY_TEXT_H

#include <cstddef>
#include <string>
#include <string_view>

namespace comp_mgr_tool {

// A text of the library (code page 1252) in UTF-8; always valid UTF-8.
std::string LibraryText(std::string_view cp1252);

bool IsValidUtf8(std::string_view text);

// A word of the command line in UTF-8. On Windows the words come in the
// ANSI code page (1252); elsewhere a word that is valid UTF-8 is kept and
// any other is read as code page 1252, so the result is always valid UTF-8.
std::string WordText(std::string_view word);

// The columns a UTF-8 text takes on a terminal: its code points. Every
// character the tool prints comes from code page 1252 (or is ASCII), which
// has no wide East-Asian or combining characters, so one code point is one
// column.
std::size_t DisplayWidth(std::string_view utf8);

// A UTF-8 text with ASCII and the Latin letters of code page 1252 in lower
// case, for matching names without regard to letter case.
std::string FoldCase(std::string_view utf8);

// True when `text` matches the pattern, `*` standing for any run of
// characters and `?` for one, without regard to letter case (both UTF-8).
bool MatchesPattern(std::string_view pattern, std::string_view text);

}  // namespace comp_mgr_tool

#endif

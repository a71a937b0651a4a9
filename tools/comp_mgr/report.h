// Output of the people's commands: JSON values for --json (nlohmann's, in the
// order of insertion) and the helpers that lay the same data out as text
// (tables, key: value lines). Every text put in is UTF-8 already: the
// library's texts pass through LibraryText, command-line words through
// WordText (display_text.h).
#ifndef COMP_MGR_TOOL_REPORT_H
#define COMP_MGR_TOOL_REPORT_H

#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "display_text.h"

namespace comp_mgr_tool {

using Json = nlohmann::ordered_json;

// An array of the library's texts (code page 1252), as UTF-8 strings.
template <class List>
Json LibraryTexts(const List& cp1252) {
    Json array = Json::array();
    for (const auto& text : cp1252) array.push_back(LibraryText(text));
    return array;
}

// Compact JSON text. A string that is not UTF-8 would be a fault of the tool;
// it is written with U+FFFD in its place rather than failing the run.
std::string DumpJson(const Json& value);

// Columns padded to their widest cell, two blanks apart, the last one not
// padded; each row ends with "\n". Cells are UTF-8, measured by DisplayWidth.
std::string RenderTable(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows);

// The same rows as tab-separated values (a header line first); tabs and line
// ends inside a cell become blanks.
std::string RenderTsv(const std::vector<std::string>& headers, const std::vector<std::vector<std::string>>& rows);

// The lines of a library's text, without their ends; empty lines are left out.
std::vector<std::string> TextLines(const std::string& text);

// A line of the library's "a|b|c" form cut into at most `count` fields, the
// last keeping any further bars.
std::vector<std::string> BarFields(const std::string& line, std::size_t count);

// "key: value" lines with the values aligned.
std::string RenderKeyValues(const std::vector<std::pair<std::string, std::string>>& pairs);

}  // namespace comp_mgr_tool

#endif

// The escaping of texts written to the one-line-per-event logs
// (messages.log and its kin), shared by every adapter so that their logs can
// be compared byte for byte.
#ifndef COMP_MGR_SUPPORT_LOG_TEXT_H
#define COMP_MGR_SUPPORT_LOG_TEXT_H

#include <string>
#include <string_view>
#include <vector>

namespace comp_mgr {

// Backslash as \\, carriage return as \r, line feed as \n, and with
// `escapeBar` a bar as \| (a field that is not the last of its line).
std::string EscapeLogText(std::string_view text, bool escapeBar = false);

// The line messages.log keeps for a message box, "<caption>|<text>" escaped,
// without its line end.
std::string MessageLogLine(std::string_view caption, std::string_view text);

// The line ui.log keeps for a New Components dialog, without its line end:
// "newcomponents|<item texts>|checked=<sections>|unchecked=<sections>|ok"
// (or "cancel"), item texts joined by ";", section names by ",", escaped.
std::string NewComponentsLogLine(const std::vector<std::string>& itemTexts, const std::vector<std::string>& checked,
                                 const std::vector<std::string>& unchecked, bool ok);

}  // namespace comp_mgr

#endif

// How the advisor's texts are made fit for a web address and for the
// redirect file.
#ifndef COMP_MGR_SERVICES_ADVISOR_URL_TEXT_H
#define COMP_MGR_SERVICES_ADVISOR_URL_TEXT_H

#include <string>
#include <string_view>

namespace comp_mgr {

// Blanks become "+" and "/" becomes "_" (product name and Sku).
std::string WebName(std::string_view text);

// The text without any blank.
std::string WithoutBlanks(std::string_view text);

// A query value that cannot change the query's meaning: "&", "#", "%", "?",
// "=" and bytes above 127 as %XX (upper-case hexadecimal); everything else,
// the "+" of a blank included, stays as it is.
std::string PercentEncodeQueryValue(std::string_view value);

// Text for a double-quoted HTML attribute: "&", '"', "<" and ">" as
// character references.
std::string EscapeHtmlAttribute(std::string_view text);

}  // namespace comp_mgr

#endif

// How a catalog file that loads no section is told apart from an empty
// catalog, and the names its copies are kept under.
#ifndef COMP_MGR_CATALOG_CATALOG_DAMAGE_H
#define COMP_MGR_CATALOG_CATALOG_DAMAGE_H

#include <ctime>
#include <string>
#include <string_view>

namespace comp_mgr {

// True when some line of `content` names a section, as the load reads it.
bool HoldsSectionHeader(std::string_view content);

// For a text that holds no section: what makes it a damaged catalog rather
// than an empty one, or "" when it is only blank and comment lines (as an
// empty catalog saved here is) or nothing at all. `header` is what every
// save writes first: a text that stops inside it was cut short.
std::string DescribeDamage(std::string_view content, std::string_view header);

// The time as the file names and the status record write it.
std::string CatalogStamp(const std::tm& t, const char* format);

}  // namespace comp_mgr

#endif

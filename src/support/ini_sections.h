// A text of INI form (the catalog, a hosted registry file) read as whole
// sections, and two such texts compared section by section, so that a person
// sees which entries a change adds, removes or alters.
#ifndef COMP_MGR_SUPPORT_INI_SECTIONS_H
#define COMP_MGR_SUPPORT_INI_SECTIONS_H

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace comp_mgr {

struct IniSection {
    std::string name;
    std::vector<std::pair<std::string, std::string>> properties;  // in file order
};

// The sections of `content` in file order, read as the catalog's load reads
// lines; a section named twice is one, its properties in the order met.
std::vector<IniSection> ReadIniSections(std::string_view content);

struct SectionDifference {
    char change = '~';  // '+' only after, '-' only before, '~' in both but different
    std::string section;
    std::string keys;  // for '~': the keys whose values differ, joined by ","
};

// How `after` differs from `before`: the sections of `before` in its order
// ('-' or '~'), then those only in `after` in its order ('+').
std::vector<SectionDifference> CompareIniSections(std::string_view before, std::string_view after);

}  // namespace comp_mgr

#endif

// How the tool writes catalog values for people and scripts: version
// numbers as the database file holds them, lists, and the named bits.
#ifndef COMP_MGR_TOOL_CATALOG_TEXT_H
#define COMP_MGR_TOOL_CATALOG_TEXT_H

#include <cstdint>
#include <string>
#include <vector>

#include "comp_mgr/catalog_entry.h"

namespace comp_mgr_tool {

// "%f", then trailing zeros after the point removed, one kept after it: 1.0, 2.5, 3.25.
std::string SdkVersionText(double value);

std::string JoinList(const comp_mgr::StringList& list, const std::string& separator);

// 0x%08X of the value as unsigned 32 bits.
std::string Hex32(std::uint32_t value);

// Words for the Status bits that mean something for this kind of section
// (0 installation, 1 plug-in), lowest bit first.
std::vector<std::string> StatusWords(int kind, std::int32_t status);

// Words for the kind-of-change bits reported by bGetDbUpdateFlag.
std::vector<std::string> ChangeWords(std::uint32_t changes);

// 0 for VntInstallation_..., 1 for PlugIn_..., -1 otherwise (case-sensitive prefixes).
int SectionKindOf(const std::string& section);

}  // namespace comp_mgr_tool

#endif

// The REGEDIT4 text form of a registry, as `regedit /e` writes it, so that
// the hosted machine's registry can be read, edited and imported on Windows.
//
// Written form: "REGEDIT4", then every key (parents included down to 32
// levels; deeper, a key without values is left to its subkeys to imply) depth
// first in case-insensitive name order, HKEY_LOCAL_MACHINE before
// HKEY_CURRENT_USER, each followed by its values in creation order and a
// blank line; CR LF line ends. A REG_SZ value whose data is text plus one terminating NUL is written
// "text"; any other REG_SZ data (no terminator, inner NULs, line breaks) is
// written hex(1): so that the stored bytes survive exactly.
#ifndef COMP_MGR_PLATFORM_HOSTED_REG_FILE_H
#define COMP_MGR_PLATFORM_HOSTED_REG_FILE_H

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/memory/memory_registry.h"

namespace comp_mgr {

// Told about each line that is skipped: its 1-based number and why.
using RegFileWarning = std::function<void(std::size_t line, const std::string& message)>;

// Adds the keys and values of a registry file to `registry`; "[-KEY]" lines
// remove a key tree and "name"=- lines remove a value. Lines with LF or CR LF
// ends are accepted, and keys whose parents are not listed. Keys deeper than
// Windows allows (512 levels below the hive) are skipped with their values,
// told about once for the whole file. Returns the number of lines skipped.
std::size_t ReadRegFile(std::string_view text, MemoryRegistry& registry, const RegFileWarning& warn = nullptr);

std::string WriteRegFile(const MemoryRegistry& registry);

}  // namespace comp_mgr

#endif

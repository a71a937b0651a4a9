// --help reads the export names of whatever file --library names. Any bytes
// must give an answer without reading outside them, and every name found
// must lie within the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "export_names.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::set<std::string> names;
    comp_mgr_tool::ElfExportNames(bytes, &names);
    for (const auto& name : names)
        if (name.size() > size) std::abort();
    return 0;
}

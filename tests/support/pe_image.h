// Minimal PE files (PE32 or PE32+) with one resource section, for tests of
// the reader of version resources: what a linker writes, small enough to
// corrupt field by field.
#ifndef COMP_MGR_TESTS_SUPPORT_PE_IMAGE_H
#define COMP_MGR_TESTS_SUPPORT_PE_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

namespace comp_mgr {
namespace testing_support {

struct PeResource {
    std::uint16_t type = 16;  // RT_VERSION
    std::uint16_t name = 1;
    std::uint16_t language = 0x0409;
    std::string data;
};

struct PeImage {
    std::string bytes;
    // Offsets of fields tests corrupt.
    std::size_t ntHeaders = 0;               // "PE\0\0"
    std::size_t optionalHeader = 0;          // its magic
    std::size_t resourceDirectoryEntry = 0;  // data directory 2: address, size
    std::size_t sectionHeader = 0;
    std::size_t resourceRoot = 0;          // the root directory, in the file
    std::vector<std::size_t> dataEntries;  // each resource's data entry, in the order given
    std::vector<std::size_t> dataAt;       // each resource's data, in the file
};

// Resources are given sorted by type, name and language, at most one
// directory per type and name, as linkers write them.
PeImage BuildPeImage(const std::vector<PeResource>& resources, bool pe32Plus = true);

void PutDword(std::string* bytes, std::size_t at, std::uint32_t value);

}  // namespace testing_support
}  // namespace comp_mgr

#endif

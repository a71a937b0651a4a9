// The version-information port: what the library asks of a file's version
// resource (GetFileVersionInfoSizeA, GetFileVersionInfoA, VerQueryValueA).
#ifndef COMP_MGR_PLATFORM_FILE_VERSIONS_H
#define COMP_MGR_PLATFORM_FILE_VERSIONS_H

#include <cstdint>
#include <string>
#include <vector>

namespace comp_mgr {

// The block the version information of one file is read into, handed back
// to every query of the same file: queries of text values convert into it,
// as Windows does.
using VersionBlock = std::vector<unsigned char>;

// Zeros an adapter keeps behind the size InfoSize gave. The lengths inside a
// resource are 16-bit, so no query, however the resource lies about them,
// reads or writes further than this past the resource; a block that lies
// therefore cannot make a query leave the block.
constexpr std::uint32_t kVersionBlockSlack = 7 * 0x10000;

// One value found by a query.
struct VersionValue {
    // What VerQueryValueA reports as the length: bytes for a binary value
    // (the fixed record, the translation table), characters of the code
    // page 1252 text for a text value (with its terminator when the file
    // stores one); 0 for a value that is present and empty.
    std::uint32_t length = 0;
    // The value's bytes as the query returns them, `length` of them (fewer
    // only when the value would run past the block). Text values are code
    // page 1252; what a caller takes as the text ends at the first NUL.
    std::string bytes;
};

class FileVersions {
public:
    virtual ~FileVersions() = default;

    // The size of block the file's version information needs; 0 when the
    // file has none or cannot be read.
    virtual std::uint32_t InfoSize(const std::string& path) = 0;

    // Reads the version information into `block`, which is made `size`
    // bytes long (what InfoSize said) and kVersionBlockSlack zeros more.
    // False when it cannot be read.
    virtual bool ReadInfo(const std::string& path, std::uint32_t size, VersionBlock* block) = 0;

    // Looks a value up by its path in the block ("\" the fixed record,
    // "\VarFileInfo\Translation", "\StringFileInfo\040904B0\FileVersion";
    // names are matched without regard to case). False when there is none.
    virtual bool QueryValue(VersionBlock& block, const std::string& subBlock, VersionValue* value) = 0;
};

}  // namespace comp_mgr

#endif

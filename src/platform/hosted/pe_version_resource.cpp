#include "platform/hosted/pe_version_resource.h"

#include <cstdint>

namespace comp_mgr {
namespace {

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVersionName = 1;
constexpr std::uint32_t kResourceDirectory = 2;  // index among the data directories
constexpr std::uint32_t kIsDirectory = 0x80000000u;
// The languages tried, in order, before the first entry.
constexpr std::uint16_t kLanguages[] = {0x0000, 0x0409, 0x0009};

class PeFile {
public:
    explicit PeFile(std::string_view file) : file_(file) {}

    bool Word(std::uint64_t at, std::uint32_t* value) const { return Read(at, 2, value); }
    bool Dword(std::uint64_t at, std::uint32_t* value) const { return Read(at, 4, value); }
    bool Holds(std::uint64_t at, std::uint64_t count) const { return at <= file_.size() && count <= file_.size() - at; }
    std::string_view Slice(std::uint64_t at, std::uint64_t count) const {
        return file_.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(count));
    }

    // The headers: where the sections are and where the resource directory is.
    bool ReadHeaders() {
        std::uint32_t magic = 0;
        std::uint32_t ntAt = 0;
        std::uint32_t signature = 0;
        if (!Word(0, &magic) || magic != 0x5A4D || !Dword(0x3C, &ntAt) || !Dword(ntAt, &signature) ||
            signature != 0x00004550) {
            return false;
        }
        const std::uint64_t fileHeader = std::uint64_t{ntAt} + 4;
        const std::uint64_t optional = fileHeader + 20;
        std::uint32_t optionalSize = 0;
        std::uint32_t optionalMagic = 0;
        if (!Word(fileHeader + 2, &sectionCount_) || !Word(fileHeader + 16, &optionalSize) ||
            !Word(optional, &optionalMagic)) {
            return false;
        }
        std::uint64_t directories = 0;
        std::uint32_t directoryCount = 0;
        if (optionalMagic == 0x10B) {  // PE32
            directories = optional + 96;
            if (!Dword(optional + 92, &directoryCount)) return false;
        } else if (optionalMagic == 0x20B) {  // PE32+
            directories = optional + 112;
            if (!Dword(optional + 108, &directoryCount)) return false;
        } else {
            return false;
        }
        sections_ = optional + optionalSize;
        std::uint32_t headersSize = 0;
        std::uint32_t rva = 0;
        if (directoryCount <= kResourceDirectory || !Dword(optional + 60, &headersSize) ||
            !Dword(directories + 8 * kResourceDirectory, &rva) || rva == 0) {
            return false;
        }
        // A directory inside the headers is where its address says.
        if (rva < headersSize) {
            root_ = rva;
            return true;
        }
        return RvaToOffset(rva, &root_);
    }

    // The file offset of a relative virtual address: through the first
    // section whose raw data covers it.
    bool RvaToOffset(std::uint32_t rva, std::uint64_t* offset) const {
        for (std::uint32_t i = 0; i < sectionCount_; ++i) {
            const std::uint64_t header = sections_ + 40ull * i;
            std::uint32_t address = 0;
            std::uint32_t rawSize = 0;
            std::uint32_t rawAt = 0;
            if (!Dword(header + 12, &address) || !Dword(header + 16, &rawSize) || !Dword(header + 20, &rawAt)) {
                return false;
            }
            if (address <= rva && static_cast<std::uint32_t>(address + rawSize) > rva) {
                *offset = std::uint64_t{rawAt} + (rva - address);
                return true;
            }
        }
        return false;
    }

    // An entry of a directory by its 16-bit identifier, by binary search over
    // the identifier entries, as the system looks; it must be a directory or
    // data as wanted.
    bool FindById(std::uint64_t directory, std::uint32_t id, bool wantDirectory, std::uint64_t* found) const {
        std::uint32_t named = 0;
        std::uint32_t ids = 0;
        if (!Word(directory + 12, &named) || !Word(directory + 14, &ids)) return false;
        std::int64_t low = named;
        std::int64_t high = std::int64_t{named} + ids - 1;
        while (low <= high) {
            const std::int64_t pos = (low + high) / 2;
            std::uint32_t name = 0;
            std::uint32_t target = 0;
            const std::uint64_t entry = directory + 16 + 8 * static_cast<std::uint64_t>(pos);
            if (!Dword(entry, &name) || !Dword(entry + 4, &target)) return false;
            const std::uint32_t entryId = name & 0xFFFF;
            if (entryId == id) return Target(target, wantDirectory, found);
            if (entryId > id) {
                high = pos - 1;
            } else {
                low = pos + 1;
            }
        }
        return false;
    }

    // The first entry that is a directory or data as wanted.
    bool FindFirst(std::uint64_t directory, bool wantDirectory, std::uint64_t* found) const {
        std::uint32_t named = 0;
        std::uint32_t ids = 0;
        if (!Word(directory + 12, &named) || !Word(directory + 14, &ids)) return false;
        for (std::uint64_t pos = 0; pos < std::uint64_t{named} + ids; ++pos) {
            std::uint32_t target = 0;
            if (!Dword(directory + 16 + 8 * pos + 4, &target)) return false;
            if (((target & kIsDirectory) != 0) == wantDirectory) return Target(target, wantDirectory, found);
        }
        return false;
    }

    std::uint64_t root() const { return root_; }

private:
    bool Read(std::uint64_t at, unsigned count, std::uint32_t* value) const {
        if (!Holds(at, count)) return false;
        std::uint32_t v = 0;
        for (unsigned i = 0; i < count; ++i) {
            v |= std::uint32_t{static_cast<unsigned char>(file_[static_cast<std::size_t>(at + i)])} << (8 * i);
        }
        *value = v;
        return true;
    }
    bool Target(std::uint32_t target, bool wantDirectory, std::uint64_t* found) const {
        if (((target & kIsDirectory) != 0) != wantDirectory) return false;
        *found = root_ + (target & ~kIsDirectory);
        return true;
    }

    std::string_view file_;
    std::uint32_t sectionCount_ = 0;
    std::uint64_t sections_ = 0;
    std::uint64_t root_ = 0;
};

}  // namespace

bool FindVersionResource(std::string_view file, std::string_view* resource) {
    PeFile pe(file);
    std::uint64_t types = 0;
    std::uint64_t names = 0;
    if (!pe.ReadHeaders() || !pe.FindById(pe.root(), kRtVersion, true, &types) ||
        !pe.FindById(types, kVersionName, true, &names)) {
        return false;
    }
    std::uint64_t data = 0;
    bool found = false;
    for (std::uint16_t language : kLanguages) {
        if ((found = pe.FindById(names, language, false, &data))) break;
    }
    if (!found && !pe.FindFirst(names, false, &data)) return false;

    std::uint32_t rva = 0;
    std::uint32_t size = 0;
    std::uint64_t at = 0;
    if (!pe.Dword(data, &rva) || !pe.Dword(data + 4, &size) || !pe.RvaToOffset(rva, &at) || !pe.Holds(at, size)) {
        return false;
    }
    *resource = pe.Slice(at, size);
    return true;
}

}  // namespace comp_mgr

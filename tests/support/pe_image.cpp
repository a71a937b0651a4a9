#include "pe_image.h"

#include <map>

namespace comp_mgr {
namespace testing_support {
namespace {

constexpr std::uint32_t kSectionAddress = 0x1000;
constexpr std::size_t kHeadersSize = 0x200;

void PutWord(std::string* bytes, std::size_t at, std::uint32_t value) {
    (*bytes)[at] = static_cast<char>(value & 0xFF);
    (*bytes)[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

}  // namespace

void PutDword(std::string* bytes, std::size_t at, std::uint32_t value) {
    PutWord(bytes, at, value & 0xFFFF);
    PutWord(bytes, at + 2, value >> 16);
}

PeImage BuildPeImage(const std::vector<PeResource>& resources, bool pe32Plus) {
    PeImage image;
    std::string& b = image.bytes;
    b.assign(kHeadersSize, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    PutDword(&b, 0x3C, 0x40);
    image.ntHeaders = 0x40;
    b.replace(0x40, 4, std::string("PE\0\0", 4));
    const std::size_t fileHeader = 0x44;
    PutWord(&b, fileHeader, pe32Plus ? 0x8664 : 0x014C);
    PutWord(&b, fileHeader + 2, 1);
    const std::uint32_t optionalSize = pe32Plus ? 240 : 224;
    PutWord(&b, fileHeader + 16, optionalSize);
    const std::size_t optional = fileHeader + 20;
    image.optionalHeader = optional;
    PutWord(&b, optional, pe32Plus ? 0x20B : 0x10B);
    PutDword(&b, optional + 60, kHeadersSize);
    PutDword(&b, optional + (pe32Plus ? 108 : 92), 16);
    image.resourceDirectoryEntry = optional + (pe32Plus ? 112 : 96) + 16;
    image.sectionHeader = optional + optionalSize;

    // The section: directories (root, one per type, one per type and name),
    // then the data entries, then the data.
    std::map<std::uint16_t, std::map<std::uint16_t, std::vector<std::size_t>>> tree;
    for (std::size_t i = 0; i < resources.size(); ++i) tree[resources[i].type][resources[i].name].push_back(i);
    std::string s;
    auto directory = [&](std::size_t entries) {
        const std::size_t at = s.size();
        s.append(16 + 8 * entries, '\0');
        PutWord(&s, at + 14, static_cast<std::uint32_t>(entries));
        return at;
    };
    const std::size_t root = directory(tree.size());
    std::vector<std::pair<std::size_t, std::size_t>> dataEntryFor;  // (language entry, resource index)
    std::size_t t = 0;
    for (const auto& type : tree) {
        const std::size_t names = directory(type.second.size());
        PutDword(&s, root + 16 + 8 * t, type.first);
        PutDword(&s, root + 16 + 8 * t + 4, 0x80000000u | static_cast<std::uint32_t>(names));
        std::size_t n = 0;
        for (const auto& name : type.second) {
            const std::size_t languages = directory(name.second.size());
            PutDword(&s, names + 16 + 8 * n, name.first);
            PutDword(&s, names + 16 + 8 * n + 4, 0x80000000u | static_cast<std::uint32_t>(languages));
            for (std::size_t l = 0; l < name.second.size(); ++l) {
                PutDword(&s, languages + 16 + 8 * l, resources[name.second[l]].language);
                dataEntryFor.push_back({languages + 16 + 8 * l, name.second[l]});
            }
            ++n;
        }
        ++t;
    }
    image.dataEntries.assign(resources.size(), 0);
    image.dataAt.assign(resources.size(), 0);
    for (const auto& e : dataEntryFor) {
        const std::size_t entry = s.size();
        s.append(16, '\0');
        PutDword(&s, e.first + 4, static_cast<std::uint32_t>(entry));
        image.dataEntries[e.second] = kHeadersSize + entry;
    }
    for (const auto& e : dataEntryFor) {
        while (s.size() % 8) s.push_back('\0');
        const std::size_t at = s.size();
        s += resources[e.second].data;
        const std::size_t entry = image.dataEntries[e.second] - kHeadersSize;
        PutDword(&s, entry, kSectionAddress + static_cast<std::uint32_t>(at));
        PutDword(&s, entry + 4, static_cast<std::uint32_t>(resources[e.second].data.size()));
        image.dataAt[e.second] = kHeadersSize + at;
    }
    const std::size_t rawSize = (s.size() + 0x1FF) & ~std::size_t{0x1FF};
    s.resize(rawSize, '\0');

    b.replace(image.sectionHeader, 6, ".rsrc\0", 6);
    PutDword(&b, image.sectionHeader + 8, static_cast<std::uint32_t>(rawSize));
    PutDword(&b, image.sectionHeader + 12, kSectionAddress);
    PutDword(&b, image.sectionHeader + 16, static_cast<std::uint32_t>(rawSize));
    PutDword(&b, image.sectionHeader + 20, kHeadersSize);
    PutDword(&b, image.resourceDirectoryEntry, kSectionAddress);
    PutDword(&b, image.resourceDirectoryEntry + 4, static_cast<std::uint32_t>(s.size()));
    image.resourceRoot = kHeadersSize + root;
    b += s;
    return image;
}

}  // namespace testing_support
}  // namespace comp_mgr

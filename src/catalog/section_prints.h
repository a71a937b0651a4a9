// Fingerprints of a catalog file's sections: for each section name (by its
// hash), a hash of the section's property lines as the grammar reads them,
// in order. Two texts give a section the same fingerprint exactly when the
// load would make the same calls for it, so a save can tell which sections
// another program changed since this process read the file.
#ifndef COMP_MGR_CATALOG_SECTION_PRINTS_H
#define COMP_MGR_CATALOG_SECTION_PRINTS_H

#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace comp_mgr {

using SectionPrints = std::unordered_map<std::uint64_t, std::uint64_t>;

// FNV-1a, 64 bits.
constexpr std::uint64_t kHashBasis = 14695981039346656037ull;
inline void HashIn(std::uint64_t& hash, std::string_view bytes) {
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
}
inline void HashIn(std::uint64_t& hash, std::string_view bytes, unsigned char end) {
    HashIn(hash, bytes);
    hash ^= end;
    hash *= 1099511628211ull;
}
inline std::uint64_t NameHash(std::string_view name) {
    std::uint64_t hash = kHashBasis;
    HashIn(hash, name, 0);
    return hash;
}

// Takes the headers and properties of a parse, as they come.
class SectionPrinter {
public:
    SectionPrinter() : current_(&prints_[NameHash("")]) { *current_ = kHashBasis; }
    // A section whose header comes twice goes on where it left off.
    void Section(std::string_view name) { current_ = &prints_.try_emplace(NameHash(name), kHashBasis).first->second; }
    void Property(std::string_view key, std::string_view value) {
        HashIn(*current_, key, 1);
        HashIn(*current_, value, 2);
    }
    SectionPrints& prints() { return prints_; }

private:
    SectionPrints prints_;
    std::uint64_t* current_;
};

}  // namespace comp_mgr

#endif

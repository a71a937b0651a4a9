// Fingerprints of a catalog file's sections: for each section name (by its
// hash), a hash of the section's property lines as the grammar reads them,
// in order. Two texts give a section the same fingerprint exactly when the
// load would make the same calls for it, so a save can tell which sections
// another program changed since this process read the file.
#ifndef COMP_MGR_CATALOG_SECTION_PRINTS_H
#define COMP_MGR_CATALOG_SECTION_PRINTS_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace comp_mgr {

using SectionPrints = std::unordered_map<std::uint64_t, std::uint64_t>;

// A 64-bit hash of a byte stream, eight bytes at a step: a catalog file is
// tens of megabytes and is hashed at every load and save. Where the stream
// is cut into pieces does not change its value. Held in memory only; no file
// stores these values, so the function may change between builds.
class StreamHash {
public:
    StreamHash& Add(std::string_view bytes) {
        const char* p = bytes.data();
        std::size_t n = bytes.size();
        length_ += n;
        while (tailBytes_ != 0 && n != 0) {
            AddToTail(static_cast<unsigned char>(*p++));
            --n;
        }
        for (; n >= 8; p += 8, n -= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            Mix(word);
        }
        for (; n != 0; --n) AddToTail(static_cast<unsigned char>(*p++));
        return *this;
    }
    StreamHash& Add(unsigned char byte) {
        ++length_;
        AddToTail(byte);
        return *this;
    }
    std::uint64_t Value() const {
        std::uint64_t h = state_;
        h = (h ^ tail_ ^ (length_ << 3)) * kMultiplier;
        // The finalizer of MurmurHash3: every input bit reaches every output bit.
        h ^= h >> 33;
        h *= 0xff51afd7ed558ccdull;
        h ^= h >> 33;
        h *= 0xc4ceb9fe1a85ec53ull;
        h ^= h >> 33;
        return h;
    }

private:
    static constexpr std::uint64_t kMultiplier = 0x9e3779b97f4a7c15ull;
    void Mix(std::uint64_t word) {
        state_ = (state_ ^ word) * kMultiplier;
        state_ ^= state_ >> 29;
    }
    void AddToTail(unsigned char byte) {
        tail_ |= static_cast<std::uint64_t>(byte) << (8 * tailBytes_);
        if (++tailBytes_ == 8) {
            Mix(tail_);
            tail_ = 0;
            tailBytes_ = 0;
        }
    }

    std::uint64_t state_ = 0x243f6a8885a308d3ull;
    std::uint64_t tail_ = 0;
    std::uint64_t length_ = 0;
    unsigned tailBytes_ = 0;
};

inline std::uint64_t NameHash(std::string_view name) {
    return StreamHash().Add(name).Value();
}

// One section's fingerprint goes on with each property line, in order.
constexpr std::uint64_t kEmptyPrint = 0x13198a2e03707344ull;
inline void PrintIn(std::uint64_t& print, std::string_view key, std::string_view value) {
    StreamHash line;
    line.Add(key).Add(static_cast<unsigned char>(1)).Add(value).Add(static_cast<unsigned char>(2));
    print = (print ^ line.Value()) * 0x9e3779b97f4a7c15ull;
    print ^= print >> 31;
}

// Takes the headers and properties of a parse, as they come.
class SectionPrinter {
public:
    SectionPrinter() : current_(&prints_[NameHash("")]) { *current_ = kEmptyPrint; }
    // A section whose header comes twice goes on where it left off.
    void Section(std::string_view name) { current_ = &prints_.try_emplace(NameHash(name), kEmptyPrint).first->second; }
    void Property(std::string_view key, std::string_view value) { PrintIn(*current_, key, value); }
    SectionPrints& prints() { return prints_; }

private:
    SectionPrints prints_;
    std::uint64_t* current_;
};

}  // namespace comp_mgr

#endif

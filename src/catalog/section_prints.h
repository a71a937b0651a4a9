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
#include <stdexcept>
#include <string_view>
#include <vector>

namespace comp_mgr {

// Fingerprints by name hash, in one array probed linearly: the keys are
// hashes already, so their low bits place them, and a catalog of 100,000
// sections costs one allocation rather than one per section.
class SectionPrints {
public:
    std::size_t size() const { return size_ + (hasZero_ ? 1 : 0); }
    void clear() {
        std::vector<Slot>().swap(slots_);
        size_ = 0;
        hasZero_ = false;
    }
    const std::uint64_t* find(std::uint64_t key) const {
        if (key == 0) return hasZero_ ? &zero_ : nullptr;
        if (slots_.empty()) return nullptr;
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = key & mask; slots_[i].key != 0; i = (i + 1) & mask)
            if (slots_[i].key == key) return &slots_[i].value;
        return nullptr;
    }
    std::size_t count(std::uint64_t key) const { return find(key) ? 1 : 0; }
    std::uint64_t at(std::uint64_t key) const {
        const std::uint64_t* value = find(key);
        if (!value) throw std::out_of_range("SectionPrints::at");
        return *value;
    }
    // The value of `key`, set to `initial` when the key is new; valid until
    // the next insertion.
    std::uint64_t& try_emplace(std::uint64_t key, std::uint64_t initial) {
        if (key == 0) {
            if (!hasZero_) zero_ = initial;
            hasZero_ = true;
            return zero_;
        }
        if ((size_ + 1) * 4 > slots_.size() * 3) Grow();
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = key & mask;
        for (; slots_[i].key != 0; i = (i + 1) & mask)
            if (slots_[i].key == key) return slots_[i].value;
        ++size_;
        slots_[i] = Slot{key, initial};
        return slots_[i].value;
    }
    std::uint64_t& operator[](std::uint64_t key) { return try_emplace(key, 0); }

private:
    struct Slot {
        std::uint64_t key = 0;  // 0: empty (key 0 itself is kept aside)
        std::uint64_t value = 0;
    };
    void Grow() {
        std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
        old.swap(slots_);
        const std::size_t mask = slots_.size() - 1;
        for (const Slot& slot : old) {
            if (slot.key == 0) continue;
            std::size_t i = slot.key & mask;
            while (slots_[i].key != 0) i = (i + 1) & mask;
            slots_[i] = slot;
        }
    }
    std::vector<Slot> slots_;
    std::size_t size_ = 0;  // in `slots_`
    bool hasZero_ = false;
    std::uint64_t zero_ = 0;
};

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
// A key or a value, hashed with its length after `seed`: whole words, and
// the last few bytes as one more word, so a short text is a few steps.
inline std::uint64_t PieceHash(std::string_view bytes, std::uint64_t seed) {
    constexpr std::uint64_t kMultiplier = 0x9e3779b97f4a7c15ull;
    std::uint64_t h = (seed ^ (bytes.size() * 0xc2b2ae3d27d4eb4full)) * kMultiplier;
    const char* p = bytes.data();
    std::size_t n = bytes.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    std::uint64_t last = 0;
    std::memcpy(&last, p, n);
    h = (h ^ last) * kMultiplier;
    h ^= h >> 32;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    return h;
}
inline void PrintIn(std::uint64_t& print, std::string_view key, std::string_view value) {
    const std::uint64_t line = PieceHash(value, PieceHash(key, 0x452821e638d01377ull));
    print = (print ^ line) * 0x9e3779b97f4a7c15ull;
    print ^= print >> 31;
}

// Takes the headers and properties of a parse, as they come.
class SectionPrinter {
public:
    SectionPrinter() : current_(&prints_.try_emplace(NameHash(""), kEmptyPrint)) {}
    // A section whose header comes twice goes on where it left off. Only
    // here does the map grow, so `current_` stays valid until the next one.
    void Section(std::string_view name) { current_ = &prints_.try_emplace(NameHash(name), kEmptyPrint); }
    void Property(std::string_view key, std::string_view value) { PrintIn(*current_, key, value); }
    SectionPrints& prints() { return prints_; }

private:
    SectionPrints prints_;
    std::uint64_t* current_;
};

}  // namespace comp_mgr

#endif

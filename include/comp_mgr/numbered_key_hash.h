// The hash the catalog's indexes place their keys by.
#ifndef COMP_MGR_NUMBERED_KEY_HASH_H
#define COMP_MGR_NUMBERED_KEY_HASH_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace comp_mgr {

// Catalog keys are mostly a stem and a number (PlugIn_1, PlugIn_2, ...).
// Keys that differ only in the number get hashes that differ only in their
// low kNumberedKeyBlockBits bits, so they fall into blocks of neighbouring
// slots of a power-of-two table, and the blocks are spread over the table by
// a mixed hash of the stem and the number's upper part: a walk in number
// order reads a large table a block at a time instead of jumping for every
// key.
constexpr unsigned kNumberedKeyBlockBits = 4;

inline std::size_t NumberedKeyHash(std::string_view key) {
    std::size_t digits = 0;
    std::uint64_t number = 0;
    while (digits < 18 && digits < key.size()) {
        const char c = key[key.size() - 1 - digits];
        if (c < '0' || c > '9') break;
        ++digits;
    }
    for (std::size_t i = key.size() - digits; i < key.size(); ++i)
        number = number * 10 + static_cast<std::uint64_t>(key[i] - '0');
    std::uint64_t z = std::hash<std::string_view>()(key.substr(0, key.size() - digits)) +
                      (number >> kNumberedKeyBlockBits) * 0x9E3779B97F4A7C15ull;
    // Mixes every input bit into the bits that pick the block.
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<std::size_t>((z << kNumberedKeyBlockBits) | (number & ((1u << kNumberedKeyBlockBits) - 1)));
}

}  // namespace comp_mgr

#endif

#include "platform/memory/version_block.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "support/code_page_1252.h"

namespace comp_mgr {
namespace {

// Reads of the block; offsets are 64-bit so that no sum of lengths wraps.
class Reader {
public:
    explicit Reader(const VersionBlock& block) : block_(block) {}

    unsigned Byte(std::uint64_t at) const { return at < block_.size() ? block_[static_cast<std::size_t>(at)] : 0u; }
    unsigned Word(std::uint64_t at) const { return Byte(at) | (Byte(at + 1) << 8); }
    std::string Bytes(std::uint64_t at, std::uint64_t count) const {
        std::string out;
        if (at < block_.size()) {
            const std::uint64_t available = std::min<std::uint64_t>(count, block_.size() - at);
            out.assign(reinterpret_cast<const char*>(block_.data() + at), static_cast<std::size_t>(available));
        }
        return out;
    }

private:
    const VersionBlock& block_;
};

std::uint64_t Align4(std::uint64_t node, std::uint64_t at) {
    return node + (((at - node) + 3) & ~std::uint64_t{3});
}

char16_t FoldCase(char16_t unit) {
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
}

// The resource's nodes: length, value length, then (32-bit layout) the type,
// a NUL-terminated UTF-16 key, the value and the children, each on a 4-byte
// boundary from the node; the 16-bit layout has no type and an 8-bit key.
struct Layout {
    bool wide;

    std::uint64_t KeyAt(std::uint64_t node) const { return node + (wide ? 6 : 4); }
    unsigned KeyUnit(const Reader& r, std::uint64_t node, std::uint64_t i) const {
        return wide ? r.Word(KeyAt(node) + 2 * i) : r.Byte(KeyAt(node) + i);
    }
    std::uint64_t ValueAt(const Reader& r, std::uint64_t node) const {
        std::uint64_t i = 0;
        // The key ends within the node's 16-bit reach or at the zeros past the block.
        while (KeyUnit(r, node, i) != 0) ++i;
        return Align4(node, KeyAt(node) + (i + 1) * (wide ? 2 : 1));
    }
    bool IsText(const Reader& r, std::uint64_t node) const { return wide && r.Word(node + 4) != 0; }
    std::uint64_t ChildrenAt(const Reader& r, std::uint64_t node) const {
        const std::uint64_t valueBytes = r.Word(node + 2) * std::uint64_t{IsText(r, node) ? 2u : 1u};
        return ValueAt(r, node) + ((valueBytes + 3) & ~std::uint64_t{3});
    }

    bool KeyIs(const Reader& r, std::uint64_t node, std::u16string_view key) const {
        for (std::size_t i = 0; i < key.size(); ++i) {
            const unsigned unit = KeyUnit(r, node, i);
            if (unit == 0 || FoldCase(static_cast<char16_t>(unit)) != FoldCase(key[i])) return false;
        }
        return KeyUnit(r, node, key.size()) == 0;
    }

    // The first child with that key, scanning the children while they start
    // inside the node; a child of length zero ends the scan.
    bool FindChild(const Reader& r, std::uint64_t node, std::u16string_view key, std::uint64_t* found) const {
        const std::uint64_t end = node + r.Word(node);
        for (std::uint64_t child = ChildrenAt(r, node); child < end;) {
            if (KeyIs(r, child, key)) {
                *found = child;
                return true;
            }
            const unsigned length = r.Word(child);
            if (length == 0) return false;
            child += (length + 3u) & ~3u;
        }
        return false;
    }
};

std::u16string KeyOf(std::string_view component, bool wide) {
    if (wide) return Cp1252ToUtf16(component);
    std::u16string bytes;
    for (char c : component) bytes.push_back(static_cast<unsigned char>(c));
    return bytes;
}

}  // namespace

std::uint32_t VersionInfoSizeFor(std::uint64_t resourceSize) {
    const std::uint64_t size = resourceSize * 2 + 4;
    return size > 0xFFFFFFFFu ? 0 : static_cast<std::uint32_t>(size);
}

void FillVersionBlock(std::string_view resource, std::uint32_t size, VersionBlock* block) {
    block->assign(std::size_t{size} + kVersionBlockSlack, 0);
    const std::size_t copied = std::min<std::size_t>(resource.size(), size);
    std::memcpy(block->data(), resource.data(), copied);
    const std::size_t declared =
        copied >= 2 ? (static_cast<unsigned char>(resource[0]) | (static_cast<unsigned char>(resource[1]) << 8)) : 0;
    if (size >= declared + 4) std::memcpy(block->data() + declared, "FE2X", 4);
}

bool QueryVersionBlock(VersionBlock& block, std::string_view subBlock, VersionValue* value) {
    const Reader r(block);
    if (subBlock.empty()) subBlock = "\\";
    // The 8-bit key of a 16-bit resource begins where a 32-bit one has its
    // type, a small number.
    const unsigned firstKey = r.Byte(4);
    const Layout layout{!(firstKey >= 0x20 && firstKey < 0x80)};

    std::uint64_t node = 0;
    while (!subBlock.empty()) {
        const std::size_t slash = subBlock.find('\\');
        const std::string_view component = subBlock.substr(0, slash);
        subBlock = slash == std::string_view::npos ? std::string_view() : subBlock.substr(slash + 1);
        if (component.empty()) continue;
        if (!layout.FindChild(r, node, KeyOf(component, layout.wide), &node)) {
            *value = VersionValue{};
            return false;
        }
    }

    const std::uint64_t at = layout.ValueAt(r, node);
    const std::uint32_t valueLength = r.Word(node + 2);
    if (!layout.IsText(r, node)) {
        value->length = valueLength;
        value->bytes = r.Bytes(at, valueLength);
        return true;
    }

    // Text converts into the room behind the resource, at the value's own
    // offset, with as much space as the resource's length leaves after it.
    // Windows fills what fits and reports 0 when not all of it did; with no
    // space at all it reports the length it would need and writes nothing.
    const std::uint64_t to = r.Word(0) + 4 + at;
    const std::int64_t room = static_cast<std::int32_t>(static_cast<std::uint32_t>(r.Word(0) - at));
    std::uint32_t converted = 0;
    if (valueLength > 0 && room == 0) {
        converted = valueLength;
    } else if (valueLength > 0 && room > 0) {
        const std::uint64_t count = std::min<std::uint64_t>(valueLength, static_cast<std::uint64_t>(room));
        for (std::uint64_t i = 0; i < count && to + i < block.size(); ++i) {
            block[static_cast<std::size_t>(to + i)] =
                static_cast<unsigned char>(Utf16UnitToCp1252(static_cast<char16_t>(r.Word(at + 2 * i))));
        }
        converted = count == valueLength ? valueLength : 0;
    }
    value->length = converted;
    value->bytes = r.Bytes(to, converted);
    return true;
}

}  // namespace comp_mgr

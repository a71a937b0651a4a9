#include "services/setup/key_tree_snapshot.h"

#include <utility>

namespace comp_mgr {
namespace {

// Access of the capture, and of the deletion and restore (read, create
// subkeys, set values).
constexpr std::uint32_t kCaptureAccess = kKeyRead;
constexpr std::uint32_t kRewriteAccess = 0x2001Fu;

// Enumeration starts with buffers of the classic 260 and grows them when the
// registry answers that a name or a value does not fit, up to limits no
// registry reaches (value names have at most 16383 characters on Windows).
constexpr std::uint32_t kFirstBuffer = 260;
constexpr std::uint32_t kNameLimit = 1u << 16;
constexpr std::uint32_t kDataLimit = 1u << 30;
// Windows allows 512 levels of keys; a deeper chain is not followed.
constexpr unsigned kDepthLimit = 512;

long EnumKeyName(Registry& registry, RegHandle key, std::uint32_t index, std::string* name) {
    std::string buffer(kFirstBuffer, '\0');
    for (;;) {
        auto size = static_cast<std::uint32_t>(buffer.size());
        long rc = registry.EnumKey(key, index, &buffer[0], &size);
        if (rc == kErrorSuccess) {
            name->assign(buffer.data(), size);
            return rc;
        }
        if (rc != kErrorMoreData || buffer.size() >= kNameLimit) return rc;
        buffer.assign(buffer.size() * 4 > kNameLimit ? kNameLimit : buffer.size() * 4, '\0');
    }
}

long EnumValueRecord(Registry& registry, RegHandle key, std::uint32_t index, KeyTreeSnapshot::ValueRecord* value) {
    std::string name(kFirstBuffer, '\0');
    std::string data(kFirstBuffer, '\0');
    for (;;) {
        auto nameSize = static_cast<std::uint32_t>(name.size());
        auto dataSize = static_cast<std::uint32_t>(data.size());
        std::uint32_t type = kRegNone;
        long rc = registry.EnumValue(key, index, &name[0], &nameSize, &type, reinterpret_cast<std::uint8_t*>(&data[0]),
                                     &dataSize);
        if (rc == kErrorSuccess) {
            value->type = type;
            value->name.assign(name.data(), nameSize);
            value->data.assign(data.data(), dataSize);
            return rc;
        }
        if (rc != kErrorMoreData) return rc;
        // Either buffer may be the one too small; the data size the registry
        // reports, when larger, is the one it needs.
        bool grown = false;
        if (name.size() < kNameLimit) {
            name.assign(name.size() * 4 > kNameLimit ? kNameLimit : name.size() * 4, '\0');
            grown = true;
        }
        std::size_t wanted = dataSize > data.size() ? dataSize : data.size() * 2;
        if (data.size() < kDataLimit) {
            data.assign(wanted > kDataLimit ? kDataLimit : wanted, '\0');
            grown = true;
        }
        if (!grown) return rc;
    }
}

}  // namespace

KeyTreeSnapshot::RewriteOutcome KeyTreeSnapshot::RewriteTree(RegHandle root, const std::string& path) {
    RewriteOutcome outcome;
    // An empty path would stand for the root key itself.
    if (path.empty()) return outcome;
    const std::size_t first = keys_.size();
    outcome.captureComplete = Capture(root, path);
    outcome.keysCaptured = keys_.size() - first;
    if (outcome.keysCaptured == 0 || !outcome.captureComplete) return outcome;
    outcome.deleted = DeleteTree(root, path);
    outcome.restoreFailures = RestoreFrom(root, first);
    return outcome;
}

bool KeyTreeSnapshot::Capture(RegHandle root, const std::string& path) {
    // Depth first without recursion: the paths still to visit, the next one
    // last, so that a key comes before its subkeys and subkeys keep their
    // enumeration order.
    std::vector<std::pair<std::string, unsigned>> pending{{path, 0}};
    bool complete = true;
    bool first = true;
    while (!pending.empty()) {
        auto [keyPath, depth] = std::move(pending.back());
        pending.pop_back();
        ScopedKey key(registry_);
        long rc = registry_.OpenKey(root, keyPath, kCaptureAccess, key.out());
        if (rc != kErrorSuccess) {
            // The tree's own key missing is nothing to copy; a key below it
            // that cannot be opened is a hole in the copy.
            if (!first || rc != kErrorFileNotFound) complete = false;
            first = false;
            continue;
        }
        first = false;
        KeyRecord record;
        record.path = keyPath;
        for (std::uint32_t i = 0;; ++i) {
            ValueRecord value;
            rc = EnumValueRecord(registry_, key.get(), i, &value);
            if (rc != kErrorSuccess) break;
            record.values.push_back(std::move(value));
        }
        if (rc != kErrorNoMoreItems) complete = false;
        keys_.push_back(std::move(record));

        std::vector<std::string> subkeys;
        for (std::uint32_t i = 0;; ++i) {
            std::string name;
            rc = EnumKeyName(registry_, key.get(), i, &name);
            if (rc != kErrorSuccess) break;
            subkeys.push_back(std::move(name));
        }
        if (rc != kErrorNoMoreItems) complete = false;
        if (!subkeys.empty() && depth + 1 >= kDepthLimit) {
            complete = false;
            continue;
        }
        for (auto it = subkeys.rbegin(); it != subkeys.rend(); ++it)
            pending.emplace_back(keyPath + "\\" + *it, depth + 1);
    }
    return complete;
}

bool KeyTreeSnapshot::DeleteTree(RegHandle parent, const std::string& path) {
    if (path.empty()) return false;
    return DeleteTreeAt(parent, path, 0);
}

bool KeyTreeSnapshot::DeleteTreeAt(RegHandle parent, const std::string& path, unsigned depth) {
    {
        ScopedKey key(registry_);
        long rc = registry_.OpenKey(parent, path, kRewriteAccess, key.out());
        if (rc == kErrorFileNotFound) return true;
        if (rc != kErrorSuccess) return false;
        // Each pass either deletes the subkey at `index` (the next one moves
        // up into its place) or passes over it, so the loop ends even when a
        // subkey cannot be opened or deleted.
        std::uint32_t index = 0;
        std::string name;
        while (depth + 1 < kDepthLimit && EnumKeyName(registry_, key.get(), index, &name) == kErrorSuccess) {
            if (!DeleteTreeAt(key.get(), name, depth + 1)) ++index;
        }
    }
    return registry_.DeleteKey(parent, path) == kErrorSuccess;
}

std::size_t KeyTreeSnapshot::RestoreFrom(RegHandle root, std::size_t first) {
    std::size_t failures = 0;
    for (std::size_t i = first; i < keys_.size(); ++i) {
        const KeyRecord& record = keys_[i];
        ScopedKey key(registry_);
        if (registry_.CreateKey(root, record.path, kRewriteAccess, key.out()) != kErrorSuccess) {
            failures += 1 + record.values.size();
            continue;
        }
        for (const ValueRecord& value : record.values) {
            long rc = registry_.SetValue(key.get(), value.name.c_str(), value.type,
                                         reinterpret_cast<const std::uint8_t*>(value.data.data()),
                                         static_cast<std::uint32_t>(value.data.size()));
            if (rc != kErrorSuccess) ++failures;
        }
    }
    return failures;
}

}  // namespace comp_mgr

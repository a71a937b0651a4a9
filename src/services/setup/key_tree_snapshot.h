// A copy in memory of registry key trees, used to rewrite class registrations:
// each tree is read completely, deleted, and created again with the same
// keys and values.
#ifndef COMP_MGR_SERVICES_SETUP_KEY_TREE_SNAPSHOT_H
#define COMP_MGR_SERVICES_SETUP_KEY_TREE_SNAPSHOT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace comp_mgr {

class KeyTreeSnapshot {
public:
    struct ValueRecord {
        std::uint32_t type = kRegNone;
        std::string name;  // empty for the default value
        std::string data;  // the bytes as stored, of any length
    };
    struct KeyRecord {
        std::string path;  // below the root the tree was captured from
        std::vector<ValueRecord> values;
    };

    // What one rewrite did, so that callers and tests can tell a tree left
    // alone from one rewritten and from one that came back incomplete.
    struct RewriteOutcome {
        std::size_t keysCaptured = 0;
        bool captureComplete = true;  // false: the tree was left as it was
        bool deleted = false;         // the whole tree was gone before the restore
        std::size_t restoreFailures = 0;
    };

    explicit KeyTreeSnapshot(Registry& registry) : registry_(registry) {}

    // Capture, then DeleteTree and Restore of what this capture recorded.
    // A tree that could not be read completely is not deleted at all: a key
    // or value missing from the copy would otherwise be lost.
    RewriteOutcome RewriteTree(RegHandle root, const std::string& path);

    // Appends the records of the tree at `path`, a key before its subkeys,
    // depth first in enumeration order. False when some key or value below an
    // existing key could not be read; a missing key records nothing and is
    // complete.
    bool Capture(RegHandle root, const std::string& path);

    // Deletes the key and everything below it. A subkey that cannot be opened
    // or deleted is passed over (it stays, and so does every key above it).
    // True when the key no longer exists.
    bool DeleteTree(RegHandle parent, const std::string& path);

    // Creates (or opens) every recorded key in list order and sets its values.
    // A key that cannot be created is skipped with its values and the rest
    // goes on. The number of keys and values that could not be written.
    std::size_t Restore(RegHandle root) { return RestoreFrom(root, 0); }

    const std::vector<KeyRecord>& keys() const { return keys_; }

private:
    std::size_t RestoreFrom(RegHandle root, std::size_t first);
    bool DeleteTreeAt(RegHandle parent, const std::string& path, unsigned depth);

    Registry& registry_;
    std::vector<KeyRecord> keys_;
};

}  // namespace comp_mgr

#endif

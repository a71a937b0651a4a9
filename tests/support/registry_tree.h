// Registry trees for the tree-copy tests: one rich tree laid out through the
// Registry port (every value type, the default value, empty keys, long data
// and names, a deep chain), and a dump of a tree through the same port that
// two trees can be compared by.
#ifndef COMP_MGR_TESTS_SUPPORT_REGISTRY_TREE_H
#define COMP_MGR_TESTS_SUPPORT_REGISTRY_TREE_H

#include <cstddef>
#include <string>

#include "platform/registry.h"

namespace comp_mgr {
namespace testing_support {

struct RichTreeShape {
    std::size_t deepLevels = 40;
    std::size_t bigValueBytes = 1u << 20;
};

// Lays the tree out below root\path (which must not exist yet). False when a
// call failed.
bool BuildRichTree(Registry& registry, RegHandle root, const std::string& path, const RichTreeShape& shape);

// Every key below root\path (paths relative to it), depth first in
// enumeration order, each with its values' names, types and bytes; the bytes
// are summarised by length and a checksum. "<missing>" when the key is absent.
std::string DumpTree(Registry& registry, RegHandle root, const std::string& path);

}  // namespace testing_support
}  // namespace comp_mgr

#endif

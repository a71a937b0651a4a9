// The registry tree copy on every adapter's registry: a rich class tree
// below HKEY_CLASSES_ROOT is captured, deleted and created again with the
// same keys, value names, types and bytes.
#include <gtest/gtest.h>

#include <string>

#include "ports/adapters_under_test.h"
#include "services/setup/key_tree_snapshot.h"
#include "support/registry_tree.h"

namespace comp_mgr {
namespace ports_test {
namespace {

using testing_support::BuildRichTree;
using testing_support::DumpTree;
using testing_support::RichTreeShape;

template <class Adapter>
class TreeCopyPort : public PortTest<Adapter> {
protected:
    Registry& reg() { return this->adapter.registry(); }
    std::string Base() const { return "comp_mgr_ports_" + this->adapter.ScratchName(); }
};

TYPED_TEST_SUITE(TreeCopyPort, AdaptersUnderTest, AdapterNames);

TYPED_TEST(TreeCopyPort, RewriteKeepsEveryKeyAndValue) {
    const std::string tree = this->Base() + "\\CLSID\\{0D1E2F3A-0000-4000-8000-000000000001}";
    ASSERT_TRUE(BuildRichTree(this->reg(), kHkeyClassesRoot, tree, RichTreeShape{}));
    const std::string before = DumpTree(this->reg(), kHkeyClassesRoot, tree);

    KeyTreeSnapshot snapshot(this->reg());
    const auto outcome = snapshot.RewriteTree(kHkeyClassesRoot, tree);
    EXPECT_TRUE(outcome.captureComplete);
    EXPECT_TRUE(outcome.deleted);
    EXPECT_EQ(0u, outcome.restoreFailures);
    EXPECT_EQ(snapshot.keys().size(), outcome.keysCaptured);
    EXPECT_EQ(before, DumpTree(this->reg(), kHkeyClassesRoot, tree));

    // Durable as any other change.
    this->adapter.Reopen();
    EXPECT_EQ(before, DumpTree(this->reg(), kHkeyClassesRoot, tree));
}

TYPED_TEST(TreeCopyPort, AMissingTreeIsLeftMissing) {
    const std::string tree = this->Base() + "\\CLSID\\{0D1E2F3A-0000-4000-8000-000000000002}";
    KeyTreeSnapshot snapshot(this->reg());
    const auto outcome = snapshot.RewriteTree(kHkeyClassesRoot, tree);
    EXPECT_EQ(0u, outcome.keysCaptured);
    EXPECT_TRUE(outcome.captureComplete);
    EXPECT_FALSE(outcome.deleted);
    EXPECT_EQ("<missing>", DumpTree(this->reg(), kHkeyClassesRoot, tree));
    EXPECT_EQ("<missing>", DumpTree(this->reg(), kHkeyClassesRoot, this->Base() + "\\CLSID"));
}

}  // namespace
}  // namespace ports_test
}  // namespace comp_mgr

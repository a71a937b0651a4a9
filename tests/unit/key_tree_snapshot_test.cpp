// The registry tree copy on the in-memory registry, with a registry in front
// of it that refuses chosen keys, for the trees that cannot be copied whole.
#include "services/setup/key_tree_snapshot.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/memory/memory_registry.h"
#include "services/setup/installation_setup.h"
#include "support/registry_tree.h"
#include "support/test_machine.h"
#include "support/text.h"

namespace comp_mgr {
namespace {

using testing_support::BuildRichTree;
using testing_support::DumpTree;
using testing_support::RichTreeShape;

constexpr const char* kTree = "CLSID\\{5B7F2E81-D6A0-4C39-B2E4-71F0A8C9D563}";

// Refuses to open, delete or create the keys it is told of (paths below
// HKEY_CLASSES_ROOT, any case); everything else goes to the memory registry.
class RefusingRegistry : public Registry {
public:
    explicit RefusingRegistry(MemoryRegistry& inner) : inner_(inner) {}

    std::set<std::string> refuseOpen, refuseDelete, refuseCreate;
    int deleteCalls = 0;

    long OpenKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) override {
        const std::string path = PathOf(parent, subKey);
        if (refuseOpen.count(path)) {
            *result = 0;
            return kErrorAccessDenied;
        }
        const long rc = inner_.OpenKey(parent, subKey, access, result);
        return Track(rc, *result, path);
    }
    long CreateKey(RegHandle parent, const std::string& subKey, std::uint32_t access, RegHandle* result) override {
        const std::string path = PathOf(parent, subKey);
        if (refuseCreate.count(path)) {
            *result = 0;
            return kErrorAccessDenied;
        }
        const long rc = inner_.CreateKey(parent, subKey, access, result);
        return Track(rc, *result, path);
    }
    long CloseKey(RegHandle key) override {
        paths_.erase(key);
        return inner_.CloseKey(key);
    }
    long EnumKey(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize) override {
        return inner_.EnumKey(key, index, name, nameSize);
    }
    long EnumValue(RegHandle key, std::uint32_t index, char* name, std::uint32_t* nameSize, std::uint32_t* type,
                   std::uint8_t* data, std::uint32_t* dataSize) override {
        return inner_.EnumValue(key, index, name, nameSize, type, data, dataSize);
    }
    long QueryValue(RegHandle key, const char* name, std::uint32_t* type, std::uint8_t* data,
                    std::uint32_t* dataSize) override {
        return inner_.QueryValue(key, name, type, data, dataSize);
    }
    long SetValue(RegHandle key, const char* name, std::uint32_t type, const std::uint8_t* data,
                  std::uint32_t dataSize) override {
        return inner_.SetValue(key, name, type, data, dataSize);
    }
    long DeleteValue(RegHandle key, const char* name) override { return inner_.DeleteValue(key, name); }
    long DeleteKey(RegHandle parent, const std::string& subKey) override {
        ++deleteCalls;
        if (refuseDelete.count(PathOf(parent, subKey))) return kErrorAccessDenied;
        return inner_.DeleteKey(parent, subKey);
    }

private:
    std::string PathOf(RegHandle parent, const std::string& subKey) const {
        auto it = paths_.find(parent);
        const std::string base = it == paths_.end() ? std::string() : it->second;
        return ToUpper(base.empty() ? subKey : base + "\\" + subKey);
    }
    long Track(long rc, RegHandle handle, const std::string& path) {
        if (rc == kErrorSuccess) paths_[handle] = path;
        return rc;
    }

    MemoryRegistry& inner_;
    std::map<RegHandle, std::string> paths_;
};

class KeyTreeSnapshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        RichTreeShape shape;
        shape.deepLevels = 200;
        ASSERT_TRUE(BuildRichTree(memory, kHkeyClassesRoot, kTree, shape));
        before = DumpTree(memory, kHkeyClassesRoot, kTree);
    }
    std::string Now() { return DumpTree(memory, kHkeyClassesRoot, kTree); }
    static std::string Up(const std::string& relative) { return ToUpper(std::string(kTree) + "\\" + relative); }

    MemoryRegistry memory;
    RefusingRegistry refusing{memory};
    std::string before;
};

TEST_F(KeyTreeSnapshotTest, TheRewrittenTreeEqualsTheOriginalToTheByte) {
    ASSERT_NE(std::string::npos, before.find("1048576 bytes"));
    ASSERT_NE(std::string::npos, before.find("261 bytes"));
    ASSERT_NE(std::string::npos, before.find("300 chars"));
    ASSERT_NE(std::string::npos, before.find("\\L199]"));

    KeyTreeSnapshot snapshot(refusing);
    const auto outcome = snapshot.RewriteTree(kHkeyClassesRoot, kTree);
    EXPECT_TRUE(outcome.captureComplete);
    EXPECT_TRUE(outcome.deleted);
    EXPECT_EQ(0u, outcome.restoreFailures);
    EXPECT_EQ(before, Now());
    // Capture order: a key before its subkeys, the default value first where
    // it was made first.
    ASSERT_FALSE(snapshot.keys().empty());
    EXPECT_EQ(kTree, snapshot.keys().front().path);
    EXPECT_EQ("", snapshot.keys().front().values.front().name);
    EXPECT_EQ(0u, memory.openHandleCount());
}

// A tree that cannot be read whole is not deleted: the keys missing from the
// copy would be lost.
TEST_F(KeyTreeSnapshotTest, ATreeWithAnUnreadableKeyIsLeftAlone) {
    refusing.refuseOpen.insert(Up("Types\\All"));
    KeyTreeSnapshot snapshot(refusing);
    const auto outcome = snapshot.RewriteTree(kHkeyClassesRoot, kTree);
    EXPECT_FALSE(outcome.captureComplete);
    EXPECT_FALSE(outcome.deleted);
    EXPECT_EQ(0, refusing.deleteCalls);
    EXPECT_EQ(before, Now());
}

// Keys that refuse deletion (or opening for deletion) are passed over once
// each; the rest of the tree is rewritten and nothing is lost.
TEST_F(KeyTreeSnapshotTest, KeysThatCannotBeDeletedAreSteppedOver) {
    struct Case {
        const char* name;
        std::set<std::string> RefusingRegistry::*list;
        std::string key;
    };
    const Case cases[] = {
        {"delete refused", &RefusingRegistry::refuseDelete, Up("Empty\\Deeper")},
        {"delete refused high up", &RefusingRegistry::refuseDelete, Up("Deep\\L1\\L2")},
        {"tree's own key", &RefusingRegistry::refuseDelete, ToUpper(kTree)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry fresh;
        RichTreeShape shape;
        ASSERT_TRUE(BuildRichTree(fresh, kHkeyClassesRoot, kTree, shape));
        const std::string original = DumpTree(fresh, kHkeyClassesRoot, kTree);
        RefusingRegistry registry(fresh);
        (registry.*c.list).insert(c.key);
        KeyTreeSnapshot snapshot(registry);
        const auto outcome = snapshot.RewriteTree(kHkeyClassesRoot, kTree);
        EXPECT_TRUE(outcome.captureComplete);
        EXPECT_FALSE(outcome.deleted);
        EXPECT_EQ(0u, outcome.restoreFailures);
        EXPECT_EQ(original, DumpTree(fresh, kHkeyClassesRoot, kTree));
        // Every key is tried once: no key is asked again and again.
        EXPECT_LE(static_cast<std::size_t>(registry.deleteCalls), snapshot.keys().size());
    }
}

TEST_F(KeyTreeSnapshotTest, DeletionPassesOverAKeyThatCannotBeOpened) {
    refusing.refuseOpen.insert(Up("Empty"));
    KeyTreeSnapshot snapshot(refusing);
    EXPECT_FALSE(snapshot.DeleteTree(kHkeyClassesRoot, kTree));
    // Only the refused key, with what is below it, and the tree's own key are left.
    EXPECT_EQ(std::vector<std::string>{"Empty"}, memory.SubkeyNames(kHkeyClassesRoot, kTree));
    EXPECT_EQ(std::vector<std::string>{"Deeper"}, memory.SubkeyNames(kHkeyClassesRoot, std::string(kTree) + "\\Empty"));
    EXPECT_TRUE(memory.ValueExists(kHkeyClassesRoot, kTree, "AppID"));
}

// A key that cannot be made again is skipped with its values; everything
// else comes back, and the failures are counted.
TEST_F(KeyTreeSnapshotTest, ARestoreThatFailsPartWayGoesOnWithTheRest) {
    refusing.refuseCreate.insert(Up("InprocServer32"));
    KeyTreeSnapshot snapshot(refusing);
    const auto outcome = snapshot.RewriteTree(kHkeyClassesRoot, kTree);
    EXPECT_TRUE(outcome.deleted);
    EXPECT_EQ(3u, outcome.restoreFailures);  // the key and its two values
    const std::string after = Now();
    EXPECT_EQ(std::string::npos, after.find("[InprocServer32]"));
    EXPECT_NE(std::string::npos, after.find("[Types\\All]"));
    EXPECT_NE(std::string::npos, after.find("\\L199]"));
}

TEST(SetupClassKeys, OnlyThePresentClassKeysAreRewrittenAndNothingIsMade) {
    testing_support::TestMachine machine;
    ASSERT_TRUE(BuildRichTree(machine.registry, kHkeyClassesRoot, kSetupClassKeys[1], RichTreeShape{}));
    const std::string before = DumpTree(machine.registry, kHkeyClassesRoot, kSetupClassKeys[1]);
    InstallationSetup setup(machine.platform, nullptr);
    const auto outcomes = setup.RewriteClassKeys();
    ASSERT_EQ(3u, outcomes.size());
    EXPECT_EQ(0u, outcomes[0].keysCaptured);
    EXPECT_TRUE(outcomes[1].deleted);
    EXPECT_EQ(0u, outcomes[2].keysCaptured);
    EXPECT_EQ(before, DumpTree(machine.registry, kHkeyClassesRoot, kSetupClassKeys[1]));
    EXPECT_FALSE(machine.registry.KeyExists(kHkeyClassesRoot, kSetupClassKeys[0]));
    EXPECT_FALSE(machine.registry.KeyExists(kHkeyClassesRoot, kSetupClassKeys[2]));
}

}  // namespace
}  // namespace comp_mgr

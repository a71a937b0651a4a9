// Making an installation the current one: which servers are registered and
// unregistered, in which order, with which current directory, and the
// obsolete folder sweep.
#include <gtest/gtest.h>

#include <memory>

#include "support/catalog_builder.h"
#include "support/fake_servers.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace {

using testing_support::AddInstallation;
using testing_support::AddPlugIn;
using testing_support::FakeServers;
using testing_support::TestCatalog;
using testing_support::TestMachine;
using Calls = std::vector<std::string>;

constexpr std::int32_t kRegistered = kStatusFoundOrCurrent;
constexpr std::int32_t kCurrent = kStatusFoundOrCurrent;

class PrepareTest : public ::testing::Test {
protected:
    PrepareTest() {
        machine.UseStandardLayout();
        machine.files.Put(TestMachine::kDbPath, "");
        machine.files.MakeFolder("C:\\Plug");
        machine.files.MakeFolder("C:\\Work");
        db = std::make_unique<TestCatalog>(machine.platform);
        machine.files.SetCurrentDirectory("C:\\Work");
    }

    // Plug-in section PlugIn_<n> with its server C:\Plug\p<n>.dll.
    CatalogEntry& PlugIn(int n, std::int32_t status, const std::string& displayName = std::string()) {
        std::string path = Server(n);
        servers.Add(path);
        return AddPlugIn(*db, "PlugIn_" + std::to_string(n), path,
                         displayName.empty() ? "Tool " + std::to_string(n) : displayName, status);
    }
    static std::string Server(int n) { return "C:\\Plug\\p" + std::to_string(n) + ".dll"; }
    static std::string Reg(int n) { return "register " + Server(n) + " cwd=C:\\Plug"; }
    static std::string Unreg(int n) { return "unregister " + Server(n) + " cwd=C:\\Plug"; }
    CatalogEntry& Installation(int n, const std::string& links, std::int32_t status = 0) {
        return AddInstallation(*db, "VntInstallation_" + std::to_string(n),
                               "C:\\Vantrel\\Ide" + std::to_string(n) + "\\bin\\vn_app.exe", links, status);
    }
    std::string CurrentDirectory() {
        std::string cwd;
        machine.files.GetCurrentDirectory(&cwd, 1024);
        return cwd;
    }

    TestMachine machine;
    FakeServers servers{machine};
    std::unique_ptr<TestCatalog> db;
};

TEST_F(PrepareTest, OnlyInstallationSectionsOfTheCatalogArePrepared) {
    Installation(1, "");
    PlugIn(1, 0);
    const std::uint32_t before = db->flags();
    EXPECT_EQ(db->services.registration.PrepareInstallation("VntInstallation_2"), 0);
    EXPECT_EQ(db->services.registration.PrepareInstallation("PlugIn_1"), 0);
    EXPECT_EQ(db->services.registration.PrepareInstallation(""), 0);
    EXPECT_EQ(db->flags(), before);
    EXPECT_TRUE(servers.calls.empty());
}

TEST_F(PrepareTest, FreshInstallationUnregistersOthersThenRegistersItsOwn) {
    CatalogEntry& x = Installation(1, "PlugIn_4,PlugIn_1,PlugIn_2");
    PlugIn(1, 0);                                 // used, not registered: register
    PlugIn(2, kRegistered);                       // used and registered: left alone
    PlugIn(3, kRegistered);                       // not used, registered: unregister
    PlugIn(4, 0);                                 // used, not registered: register
    PlugIn(5, kRegistered | kStatusNeverUnlink);  // never unregistered
    PlugIn(6, 0);                                 // not used, not registered
    PlugIn(7, kRegistered);                       // not used, registered: unregister

    EXPECT_EQ(db->services.registration.PrepareInstallation("VntInstallation_1"), 1);
    // Unregistering first, then registering, both in catalog order.
    EXPECT_EQ(servers.calls, (Calls{Unreg(3), Unreg(7), Reg(1), Reg(4)}));
    EXPECT_EQ(x.Status & kCurrent, kCurrent);
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagLinksChanged | kFlagPrepared),
              kFlagModified | kFlagLinksChanged | kFlagPrepared);
    EXPECT_EQ(CurrentDirectory(), "C:\\Work");
    EXPECT_EQ(machine.loader.openCount, 0);
}

TEST_F(PrepareTest, TheCurrentInstallationOnlyCatchesUpWithoutMarkingTheCatalog) {
    CatalogEntry& x = Installation(1, "PlugIn_1", kCurrent);
    PlugIn(1, 0);
    PlugIn(2, kRegistered);

    EXPECT_EQ(db->services.registration.PrepareInstallation("VntInstallation_1"), 1);
    EXPECT_EQ(servers.calls, (Calls{Unreg(2), Reg(1)}));
    EXPECT_EQ(x.Status, kCurrent);
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagLinksChanged), 0u);
    EXPECT_TRUE(db->flags() & kFlagPrepared);
}

TEST_F(PrepareTest, ACurrentInstallationWhoseLinksChangedIsPreparedAfresh) {
    CatalogEntry& x = Installation(1, "PlugIn_1", kCurrent | kStatusCreatedOrRelinked);
    PlugIn(1, 0);
    EXPECT_EQ(db->services.registration.PrepareInstallation("VntInstallation_1"), 1);
    EXPECT_EQ(servers.calls, (Calls{Reg(1)}));
    EXPECT_EQ(x.Status, kCurrent);
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagLinksChanged), kFlagModified | kFlagLinksChanged);
}

TEST_F(PrepareTest, SwitchingLeavesSharedPlugInsAndMovesTheCurrentMark) {
    CatalogEntry& y = Installation(1, "PlugIn_1,PlugIn_2,PlugIn_3,PlugIn_6", kCurrent);
    CatalogEntry& x = Installation(2, "PlugIn_2,PlugIn_4,PlugIn_5");
    PlugIn(1, kRegistered);                       // old only: unregister
    PlugIn(2, kRegistered);                       // both: untouched
    PlugIn(3, kRegistered | kStatusNeverUnlink);  // old only but never unregistered
    PlugIn(4, 0);                                 // new only: register
    PlugIn(5, kRegistered);                       // new only, already registered
    PlugIn(6, 0);                                 // old only, not registered
    PlugIn(7, kRegistered);                       // neither: not this preparation's business

    EXPECT_EQ(db->services.registration.PrepareInstallation("VntInstallation_2"), 1);
    EXPECT_EQ(servers.calls, (Calls{Unreg(1), Reg(4)}));
    EXPECT_EQ(x.Status & kCurrent, kCurrent);
    EXPECT_EQ(y.Status & kCurrent, 0);
    EXPECT_TRUE(db->flags() & kFlagModified);
}

TEST_F(PrepareTest, SwitchingWalksTheCatalogWhenItIsSmallerThanBothLinkLists) {
    // Four plug-ins, five links: the catalog order decides.
    Installation(1, "PlugIn_3,PlugIn_1,PlugIn_2", kCurrent);
    Installation(2, "PlugIn_2,PlugIn_4");
    PlugIn(1, kRegistered);
    PlugIn(2, kRegistered);
    PlugIn(3, kRegistered);
    PlugIn(4, 0);
    db->services.registration.PrepareInstallation("VntInstallation_2");
    EXPECT_EQ(servers.calls, (Calls{Unreg(1), Unreg(3), Reg(4)}));
}

TEST_F(PrepareTest, SwitchingWalksTheLinkListsWhenTheCatalogIsLarger) {
    // Six plug-ins, five links: the old installation's list order decides.
    Installation(1, "PlugIn_3,PlugIn_1,PlugIn_2", kCurrent);
    Installation(2, "PlugIn_2,PlugIn_4");
    PlugIn(1, kRegistered);
    PlugIn(2, kRegistered);
    PlugIn(3, kRegistered);
    PlugIn(4, 0);
    PlugIn(5, 0);
    PlugIn(6, 0);
    db->services.registration.PrepareInstallation("VntInstallation_2");
    EXPECT_EQ(servers.calls, (Calls{Unreg(3), Unreg(1), Reg(4)}));
}

TEST_F(PrepareTest, ASameNamedPlugInOfTheNewInstallationIsRegisteredAgainAfterTheOldOneLeaves) {
    Installation(1, "PlugIn_1", kCurrent);
    Installation(2, "PlugIn_2");
    PlugIn(1, kRegistered, "Debugger");
    PlugIn(2, kRegistered, "Debugger");  // registered, yet the old server may have taken its class
    db->services.registration.PrepareInstallation("VntInstallation_2");
    EXPECT_EQ(servers.calls, (Calls{Unreg(1), Reg(2)}));
}

TEST_F(PrepareTest, AServerTheNewInstallationStillUsesIsNotUnregistered) {
    Installation(1, "PlugIn_1", kCurrent);
    Installation(2, "PlugIn_2");
    servers.Add("C:\\Shared\\s.dll");
    AddPlugIn(*db, "PlugIn_1", "C:\\Shared\\s.dll", "Old", kRegistered);
    AddPlugIn(*db, "PlugIn_2", "c:\\SHARED\\S.DLL", "New", kRegistered);
    db->services.registration.PrepareInstallation("VntInstallation_2");
    EXPECT_TRUE(servers.calls.empty());
}

TEST_F(PrepareTest, EachServerPathIsCalledOnce) {
    Installation(1, "PlugIn_3,PlugIn_4");
    servers.Add("C:\\Plug\\two.dll");
    servers.Add("C:\\Plug\\both.dll");
    AddPlugIn(*db, "PlugIn_1", "C:\\Plug\\two.dll", "A", kRegistered);
    AddPlugIn(*db, "PlugIn_2", "C:\\Plug\\two.dll", "B", kRegistered);
    AddPlugIn(*db, "PlugIn_3", "C:\\Plug\\both.dll", "C", 0);
    AddPlugIn(*db, "PlugIn_4", "C:\\Plug\\both.dll", "D", 0);
    db->services.registration.PrepareInstallation("VntInstallation_1");
    EXPECT_EQ(servers.calls,
              (Calls{"unregister C:\\Plug\\two.dll cwd=C:\\Plug", "register C:\\Plug\\both.dll cwd=C:\\Plug"}));
}

TEST_F(PrepareTest, MissingServersAndDanglingLinksAreSkipped) {
    Installation(1, "PlugIn_9,PlugIn_1,PlugIn_2");
    AddPlugIn(*db, "PlugIn_1", "C:\\Plug\\gone.dll", "Gone", 0);  // does not load
    PlugIn(2, 0);
    EXPECT_EQ(db->services.registration.PrepareInstallation("VntInstallation_1"), 1);
    EXPECT_EQ(servers.calls, (Calls{Reg(2)}));
    EXPECT_EQ(CurrentDirectory(), "C:\\Work");
}

TEST_F(PrepareTest, TheObsoleteFolderIsSweptControlsFirstSkippingFolders) {
    Installation(1, "", kCurrent);
    const std::string obsolete = "C:\\Vantrel\\plugins\\obsolete\\";
    for (const char* name : {"b.dll", "a.ocx", "C.OCX", "readme.txt", "z.ocx.bak"}) {
        machine.files.Put(obsolete + name, "MZ");
        servers.Add(obsolete + name);
    }
    machine.files.MakeFolder(obsolete + "folder.dll");
    servers.Add(obsolete + "folder.dll");

    EXPECT_EQ(db->services.registration.PrepareInstallation("VntInstallation_1"), 1);
    const std::string cwd = " cwd=C:\\Vantrel\\plugins\\obsolete";
    EXPECT_EQ(servers.calls, (Calls{"unregister " + obsolete + "a.ocx" + cwd, "unregister " + obsolete + "C.OCX" + cwd,
                                    "unregister " + obsolete + "b.dll" + cwd}));
    EXPECT_EQ(CurrentDirectory(), "C:\\Work");

    // Preparing the current installation again sweeps again.
    servers.calls.clear();
    db->services.registration.PrepareInstallation("VntInstallation_1");
    EXPECT_EQ(servers.calls.size(), 3u);
}

TEST_F(PrepareTest, AShallowInstallationPathSweepsTheDrivesOwnObsoleteFolder) {
    AddInstallation(*db, "VntInstallation_1", "C:\\vn_app.exe", "", kCurrent);
    machine.files.Put("C:\\plugins\\obsolete\\old.dll", "MZ");
    servers.Add("\\plugins\\obsolete\\old.dll");
    db->services.registration.PrepareInstallation("VntInstallation_1");
    EXPECT_EQ(servers.calls, (Calls{"unregister \\plugins\\obsolete\\old.dll cwd=C:\\plugins\\obsolete"}));
    EXPECT_EQ(CurrentDirectory(), "C:\\Work");
}

}  // namespace
}  // namespace comp_mgr

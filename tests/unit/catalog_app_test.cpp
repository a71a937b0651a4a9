// The catalog's file side through the application object's start-up and
// unload: untouched files when nothing changed, the discarded run, and the
// message left by a recovery.
#include "app/component_manager_app.h"
#include "catalog_test_util.h"

namespace comp_mgr {
namespace testing_support {
namespace {

class CatalogAppTest : public ::testing::Test {
protected:
    CatalogAppTest() {
        machine.UseStandardLayout();
        machine.files.Put("C:\\Vantrel\\plugins\\one.dll", "MZ");
        machine.files.Put(TestMachine::kBakPath, "old backup");
    }
    std::string Db() { return machine.files.Get(TestMachine::kDbPath); }
    std::string Bak() { return machine.files.Get(TestMachine::kBakPath); }

    TestMachine machine;
};

const char kCatalog[] =
    "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nPlugInLst_GrpName=PlugIn_1\r\n"
    "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\nDisplayName=One\r\n";

TEST_F(CatalogAppTest, RunWithoutChangesLeavesBothFilesAlone) {
    machine.files.Put(TestMachine::kDbPath, kCatalog);
    {
        ComponentManagerApp app(machine.platform);
        app.InitInstance();
        EXPECT_EQ(app.database().flags() & kFlagModified, 0u);
        EXPECT_TRUE(app.pendingMessage().empty());
        app.ExitInstance();
    }
    EXPECT_EQ(Db(), kCatalog);
    EXPECT_EQ(Bak(), "old backup");
}

TEST_F(CatalogAppTest, RecoveryLeavesAMessageAndIsSavedAtUnload) {
    machine.files.Put(TestMachine::kDbPath, "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\n");
    machine.files.Put(TestMachine::kInstallEntryPath, HostSection("VntInstallation_4"));
    {
        ComponentManagerApp app(machine.platform);
        app.InitInstance();
        EXPECT_EQ(app.database().flags() & (kFlagModified | kFlagChangeKinds), kFlagModified);
        EXPECT_TRUE(machine.ui.messages.empty());
        app.ShowPendingMessage();
        ASSERT_EQ(machine.ui.messages.size(), 1u);
        EXPECT_EQ(machine.ui.messages[0].first, "comp_mgr");
        EXPECT_NE(machine.ui.messages[0].second.find("recovered from backup"), std::string::npos);
        EXPECT_TRUE(app.pendingMessage().empty());
        app.ExitInstance();
    }
    EXPECT_EQ(Bak(), "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\n");
    EXPECT_NE(Db().find("[VntInstallation_1]\r\nDisplayName      =\r\nProgLocation     =C:\\Vantrel\\bin\\vn_app.exe"),
              std::string::npos);
}

TEST_F(CatalogAppTest, AbortedRunSavesNothing) {
    machine.files.Put(TestMachine::kDbPath, "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\n");
    machine.files.Put(TestMachine::kInstallEntryPath, HostSection("VntInstallation_4"));
    {
        ComponentManagerApp app(machine.platform);
        app.InitInstance();
        ASSERT_NE(app.database().flags() & kFlagModified, 0u);
        app.AbortUpdate();
        app.ExitInstance();
    }
    EXPECT_EQ(Db(), "[PlugIn_1]\r\nProgLocation=C:\\Vantrel\\plugins\\one.dll\r\n");
    EXPECT_EQ(Bak(), "old backup");
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr

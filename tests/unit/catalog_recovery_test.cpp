// The host check after a load and the rebuilding of lost installations from
// VNTInstallEntry.ini.
#include "catalog_test_util.h"

namespace comp_mgr {
namespace testing_support {
namespace {

const char kRecovered[] =
    "A problem has been detected in the component manager database. \n\r\n\r"
    "The database has been recovered from backup.\n\rSome components may have been reset to the defaults.";
const char kNotRecovered[] =
    "A problem has been detected in the component manager database. \n\r\n\r"
    "Please contact Customer Support for further information.";

using CatalogRecoveryTest = CatalogTest;

TEST(IsHostProgramTest, FoldersMustMatchAndTheFileMustBeTheIdeProgram) {
    EXPECT_TRUE(ComponentDatabase::IsHostProgram("C:\\V\\bin\\x.exe", "c:\\v\\BIN\\VN_APP.EXE"));
    EXPECT_TRUE(ComponentDatabase::IsHostProgram("C:\\V\\bin\\x.exe", "C:\\V\\bin\\vn_app"));
    EXPECT_FALSE(ComponentDatabase::IsHostProgram("C:\\V\\bin\\x.exe", "C:\\V\\bin\\vn_app.dll"));
    EXPECT_FALSE(ComponentDatabase::IsHostProgram("C:\\V\\bin\\x.exe", "C:\\V\\vn_app.exe"));
    EXPECT_FALSE(ComponentDatabase::IsHostProgram("vn_app.exe", "vn_app.exe"));
    EXPECT_FALSE(ComponentDatabase::IsHostProgram("C:\\V\\vn_app.exe", "vn_app.exe"));
}

TEST_F(CatalogRecoveryTest, HostInstallationPresentNeedsNoRecovery) {
    machine.files.Put(TestMachine::kInstallEntryPath, HostSection("VntInstallation_9"));
    ComponentDatabase& d = LoadFile(HostSection("VntInstallation_1"));
    EXPECT_TRUE(pendingMessage.empty());
    EXPECT_EQ(d.CountByKind(kKindInstallation), 1);
    EXPECT_EQ(d.flags() & kFlagModified, 0u);
}

TEST_F(CatalogRecoveryTest, AnyKindOfEntryNamingTheHostCounts) {
    ComponentDatabase& d = LoadFile("[Other]\r\nProgLocation=C:\\Vantrel\\bin\\VN_APP.EXE\r\n");
    EXPECT_TRUE(pendingMessage.empty());
    EXPECT_EQ(d.CountByKind(kKindInstallation), 0);
}

TEST_F(CatalogRecoveryTest, ToolRunningBesideTheIdeLooksForTheIdeProgram) {
    machine.files.Put("C:\\Vantrel\\bin\\COMP_MGR.EXE", "MZ");
    machine.process.modulePath = "C:\\Vantrel\\bin\\COMP_MGR.EXE";
    LoadFile(HostSection());
    EXPECT_TRUE(pendingMessage.empty());
}

TEST_F(CatalogRecoveryTest, InstallerProcessNeverRecovers) {
    machine.files.Put("C:\\Setup\\vntInstall_Plugin7.exe", "MZ");
    machine.process.modulePath = "C:\\Setup\\vntInstall_Plugin7.exe";
    machine.files.Put("C:\\Setup\\VNTInstallEntry.ini",
                      "[VntInstallation_1]\r\nProgLocation=C:\\Setup\\vn_app.exe\r\n");
    ComponentDatabase& d = LoadFile("[PlugIn_1]\r\nDisplayName=x\r\n");
    EXPECT_TRUE(pendingMessage.empty());
    EXPECT_EQ(d.CountByKind(kKindInstallation), 0);
}

TEST_F(CatalogRecoveryTest, NoBackupLeavesTheSecondMessageAndNoChange) {
    ComponentDatabase& d = LoadFile("[VntInstallation_1]\r\nProgLocation=D:\\Other\\vn_app.exe\r\n");
    EXPECT_EQ(pendingMessage, kNotRecovered);
    EXPECT_EQ(d.flags() & kFlagModified, 0u);
    EXPECT_TRUE(machine.ui.messages.empty());  // the load itself shows nothing
}

TEST_F(CatalogRecoveryTest, RestoredSectionTakesTheNextInstallationNumber) {
    machine.files.Put(TestMachine::kInstallEntryPath,
                      "[VntInstallation_2]\r\nDisplayName=Vantrel 4\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\n"
                      "SdkVersion=4.5\r\nCpuSupport=A,B\r\nPlugInLst_GrpName=PlugIn_1\r\nStatus=1\r\nUrlBase=u\r\n");
    ComponentDatabase& d = LoadFile(
        "[VntInstallation_2]\r\nProgLocation=D:\\Old\\vn_app.exe\r\n"
        "[VntInstallation_5]\r\nProgLocation=D:\\Older\\vn_app.exe\r\n"
        "[PlugIn_1]\r\nDisplayName=p\r\n");
    EXPECT_EQ(pendingMessage, kRecovered);
    EXPECT_EQ(d.flags() & (kFlagModified | kFlagChangeKinds), kFlagModified);
    ASSERT_EQ(d.CountByKind(kKindInstallation), 3);
    EXPECT_EQ(d.installationNames()[2], "VntInstallation_6");
    const CatalogEntry* restored = d.Entry("VntInstallation_6");
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->DisplayName, "Vantrel 4");
    EXPECT_DOUBLE_EQ(restored->SdkVersion, 4.5);
    EXPECT_EQ(restored->CpuSupport, (StringList{"A", "B"}));
    EXPECT_EQ(restored->PlugInLst_GrpName, (StringList{"PlugIn_1"}));
    EXPECT_EQ(restored->Status, 1);
    EXPECT_EQ(*restored->extraProperties.find("UrlBase"), "u");
    // The old section VntInstallation_2 is untouched.
    EXPECT_EQ(d.Entry("VntInstallation_2")->ProgLocation, "D:\\Old\\vn_app.exe");

    // The restored record is saved at exit.
    ASSERT_EQ(d.Save(), 1);
    EXPECT_NE(machine.files.Get(TestMachine::kDbPath).find("[VntInstallation_6]\r\nDisplayName      =Vantrel 4\r\n"),
              std::string::npos);
}

TEST_F(CatalogRecoveryTest, SectionsWithoutLocationOrAlreadyKnownAreDropped) {
    machine.files.Put(TestMachine::kInstallEntryPath,
                      "[VntInstallation_1]\r\nDisplayName=no location\r\n"
                      "[VntInstallation_2]\r\nProgLocation=D:\\Known\\vn_app.exe\r\nDisplayName=known\r\n"
                      "[VntInstallation_3]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nDisplayName=first\r\n"
                      "[VntInstallation_4]\r\nProgLocation=C:\\VANTREL\\BIN\\vn_app.exe\r\nDisplayName=again\r\n");
    ComponentDatabase& d = LoadFile("[VntInstallation_1]\r\nProgLocation=D:\\Known\\vn_app.exe\r\n");
    EXPECT_EQ(pendingMessage, kRecovered);
    ASSERT_EQ(d.CountByKind(kKindInstallation), 2);
    EXPECT_EQ(d.Entry("VntInstallation_2")->DisplayName, "first");
}

TEST_F(CatalogRecoveryTest, RestoringOnlyOtherInstallationsStillReportsFailure) {
    machine.files.Put(TestMachine::kInstallEntryPath,
                      "[X]\r\nProgLocation=D:\\Elsewhere\\vn_app.exe\r\nProgLocation=E:\\Last\\vn_app.exe\r\n");
    ComponentDatabase& d = LoadFile("[PlugIn_1]\r\nDisplayName=p\r\n");
    EXPECT_EQ(pendingMessage, kNotRecovered);
    ASSERT_EQ(d.CountByKind(kKindInstallation), 1);
    EXPECT_EQ(d.Entry("VntInstallation_1")->ProgLocation, "E:\\Last\\vn_app.exe");
    EXPECT_NE(d.flags() & kFlagModified, 0u);
}

TEST_F(CatalogRecoveryTest, KeysBeforeTheFirstHeaderFormASectionToo) {
    machine.files.Put(TestMachine::kInstallEntryPath, "ProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nSku=S1\r\n");
    ComponentDatabase& d = LoadFile("");
    EXPECT_EQ(pendingMessage, kRecovered);
    ASSERT_NE(d.Entry("VntInstallation_1"), nullptr);
    EXPECT_EQ(d.Entry("VntInstallation_1")->Sku, "S1");
}

TEST_F(CatalogRecoveryTest, LongBackupIsReadInLinearTime) {
    // Fifty thousand installations in as many folders: each is checked
    // against the growing catalog without walking it.
    std::string backup;
    for (int i = 0; i < 50000; ++i)
        backup += "[VntInstallation_1]\r\nProgLocation=D:\\I" + std::to_string(i) + "\\vn_app.exe\r\n";
    backup += HostSection();
    machine.files.Put(TestMachine::kInstallEntryPath, backup);
    ComponentDatabase& d = LoadFile("");
    EXPECT_EQ(pendingMessage, kRecovered);
    EXPECT_EQ(d.CountByKind(kKindInstallation), 50001);
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr

// Start-up repairs: dropping records whose file is gone, substituting
// same-named plug-ins, and reconciling group names.
#include <gtest/gtest.h>

#include <memory>

#include "support/catalog_builder.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace {

using testing_support::AddInstallation;
using testing_support::AddPlugIn;
using testing_support::TestCatalog;
using testing_support::TestMachine;

class StartupRepairsTest : public ::testing::Test {
protected:
    StartupRepairsTest() {
        machine.UseStandardLayout();
        machine.files.Put(TestMachine::kDbPath, "");
        db = std::make_unique<TestCatalog>(machine.platform);
        db->SetFlags(kFlagLoaded);
    }
    // A plug-in whose file exists (unless `present` is false).
    CatalogEntry& PlugIn(const std::string& section, const std::string& path, const std::string& name, double sdk = 1.0,
                         bool present = true) {
        if (present) machine.files.Put(path, "MZ");
        return AddPlugIn(*db, section, path, name, 0, sdk);
    }
    CatalogEntry& Installation(const std::string& section, const std::string& path, const std::string& links,
                               double sdk = 1.0, bool present = true) {
        if (present) machine.files.Put(path, "MZ");
        return AddInstallation(*db, section, path, links, 0, sdk);
    }
    CatalogEntry& Group(const std::string& section, const std::string& path, const std::string& name,
                        const std::string& group) {
        CatalogEntry& e = PlugIn(section, path, name);
        db->SetProperty(section, "PlugInLst_GrpName", group);
        return e;
    }

    TestMachine machine;
    std::unique_ptr<TestCatalog> db;
};

TEST_F(StartupRepairsTest, NothingIsRepairedBeforeTheCatalogIsLoadedOrScanned) {
    PlugIn("PlugIn_1", "C:\\gone.dll", "Gone", 1.0, /*present=*/false);
    PlugIn("PlugIn_2", "C:\\p\\s.dll", "A");
    PlugIn("PlugIn_3", "C:\\p\\s.dll", "B");
    db->ResetFlags(kFlagOpened);
    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 0);
    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 0);
    EXPECT_NE(db->Entry("PlugIn_1"), nullptr);
    EXPECT_TRUE(db->Entry("PlugIn_2")->PlugInLst_GrpName.empty());

    db->ResetFlags(kFlagScanned);  // the scan alone is enough
    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 1);
    EXPECT_EQ(db->Entry("PlugIn_1"), nullptr);
}

TEST_F(StartupRepairsTest, AVanishedPlugInIsReplacedInEachInstallationBySdkFit) {
    CatalogEntry& i1 = Installation("VntInstallation_1", "C:\\i1\\vn_app.exe", "PlugIn_1,PlugIn_2", 2.0);
    CatalogEntry& i2 = Installation("VntInstallation_2", "C:\\i2\\vn_app.exe", "PlugIn_2", 3.0);
    PlugIn("PlugIn_1", "C:\\p\\other.dll", "Other");
    PlugIn("PlugIn_2", "C:\\p\\gone.dll", "Tool", 2.0, /*present=*/false);
    PlugIn("PlugIn_3", "C:\\p\\tool3.dll", "Tool", 2.5);  // too new for the first installation
    PlugIn("PlugIn_4", "C:\\p\\tool4.dll", "Tool", 1.5);
    PlugIn("PlugIn_5", "C:\\p\\tool5.dll", "tool");  // names compare exactly

    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 1);
    EXPECT_EQ(db->Entry("PlugIn_2"), nullptr);
    EXPECT_FALSE(db->plugInNames().contains("PlugIn_2"));
    EXPECT_EQ(i1.PlugInLst_GrpName, (StringList{"PlugIn_1", "PlugIn_4"}));
    EXPECT_EQ(i2.PlugInLst_GrpName, (StringList{"PlugIn_3"}));
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagEntriesRemoved), kFlagModified | kFlagEntriesRemoved);
}

TEST_F(StartupRepairsTest, ASubstituteAlreadyLinkedIsNotLinkedTwice) {
    CatalogEntry& i1 = Installation("VntInstallation_1", "C:\\i1\\vn_app.exe", "PlugIn_2,PlugIn_1");
    PlugIn("PlugIn_1", "C:\\p\\gone.dll", "Tool", 1.0, /*present=*/false);
    PlugIn("PlugIn_2", "C:\\p\\tool2.dll", "Tool");
    db->services.startupRepairs.DropMissingFiles();
    EXPECT_EQ(i1.PlugInLst_GrpName, (StringList{"PlugIn_2"}));
}

TEST_F(StartupRepairsTest, AVanishedInstallationAndUnnamedSectionsAreRemoved) {
    Installation("VntInstallation_1", "C:\\i1\\vn_app.exe", "");
    Installation("VntInstallation_7", "C:\\i7\\vn_app.exe", "", 1.0, /*present=*/false);
    db->SetProperty("", "Stray", "key before any section");
    db->SetProperty("Notes", "ProgLocation", "C:\\notes.txt");
    machine.files.Put("C:\\notes.txt", "");
    const std::size_t plugIns = db->plugInNames().size();

    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 1);
    EXPECT_EQ(db->installationNames(), (StringList{"VntInstallation_1"}));
    EXPECT_EQ(db->Entry("VntInstallation_7"), nullptr);
    EXPECT_EQ(db->Entry(""), nullptr);
    EXPECT_NE(db->Entry("Notes"), nullptr);
    EXPECT_EQ(db->plugInNames().size(), plugIns);
    // The number is not handed out again in this run.
    EXPECT_EQ(db->maxInstallationNumber(), 7);
}

TEST_F(StartupRepairsTest, UnreadableFilesCountAsGoneAndACompleteCatalogIsLeftAlone) {
    PlugIn("PlugIn_1", "C:\\p\\a.dll", "A");
    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 0);
    EXPECT_EQ(db->flags() & kFlagModified, 0u);

    machine.files.SetUnreadable("C:\\p\\a.dll");
    EXPECT_EQ(db->services.startupRepairs.DropMissingFiles(), 1);
    EXPECT_TRUE(db->plugInNames().empty());
}

TEST_F(StartupRepairsTest, UnlinkAndSubstituteIgnoresUnknownAndUnlinkedNames) {
    CatalogEntry& i1 = Installation("VntInstallation_1", "C:\\i1\\vn_app.exe", "PlugIn_1");
    PlugIn("PlugIn_1", "C:\\p\\a.dll", "A");
    PlugIn("PlugIn_2", "C:\\p\\b.dll", "A");
    db->services.startupRepairs.UnlinkAndSubstitute("VntInstallation_9", "PlugIn_1");
    db->services.startupRepairs.UnlinkAndSubstitute("VntInstallation_1", "PlugIn_9");
    db->services.startupRepairs.UnlinkAndSubstitute("VntInstallation_1", "PlugIn_2");
    EXPECT_EQ(i1.PlugInLst_GrpName, (StringList{"PlugIn_1"}));
    db->services.startupRepairs.UnlinkAndSubstitute("VntInstallation_1", "PlugIn_1");
    EXPECT_EQ(i1.PlugInLst_GrpName, (StringList{"PlugIn_2"}));
}

TEST_F(StartupRepairsTest, PlugInsSharingALibraryWithoutGroupFormACerrGroup) {
    CatalogEntry& b = PlugIn("PlugIn_1", "C:\\p\\shared.dll", "Beta");
    CatalogEntry& a = PlugIn("PlugIn_2", "C:\\p\\shared.dll", "Alpha,Extra");
    CatalogEntry& alone = PlugIn("PlugIn_3", "C:\\p\\alone.dll", "Alone");

    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 1);
    const std::string group = "CERR: <Beta><Alpha,Extra>";
    EXPECT_EQ(b.PlugInLst_GrpName, (StringList{"CERR: <Beta><Alpha", "Extra>"}));
    EXPECT_EQ(a.PlugInLst_GrpName, b.PlugInLst_GrpName);
    EXPECT_EQ(a.GroupDescription, group);
    EXPECT_TRUE(alone.PlugInLst_GrpName.empty());
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagGroupsReconciled), kFlagModified | kFlagGroupsReconciled);
}

TEST_F(StartupRepairsTest, GroupedPlugInsGetTheFolderOfTheirLibraryWithoutMarkingTheCatalog) {
    machine.files.Put("C:\\Ide\\Plugins\\T.dll", "MZ");
    CatalogEntry& split = Group("PlugIn_1", "c:\\ide\\plugins\\t.dll", "T", "SPLIT: <Tools>");
    CatalogEntry& moved = Group("PlugIn_2", "c:\\new\\p.dll", "P", "Tools <c:\\old>");
    CatalogEntry& open = Group("PlugIn_3", "c:\\ide\\plugins\\t.dll", "U", "x SPLIT: <Tools");
    CatalogEntry& plain = Group("PlugIn_4", "c:\\new\\p.dll", "Q", "  Debug  ,Second");

    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 0);
    EXPECT_EQ(split.PlugInLst_GrpName, (StringList{"Tools <c:\\ide\\plugins>"}));
    EXPECT_EQ(split.GroupDescription, "Tools <c:\\ide\\plugins>");
    EXPECT_EQ(moved.PlugInLst_GrpName, (StringList{"Tools <c:\\new>"}));
    EXPECT_EQ(open.PlugInLst_GrpName, (StringList{" <c:\\ide\\plugins>"}));
    EXPECT_EQ(plain.PlugInLst_GrpName, (StringList{"Debug <c:\\new>"}));
    EXPECT_EQ(db->flags() & kFlagModified, 0u);
}

TEST_F(StartupRepairsTest, ReconcilingAgainSettlesAndThenStaysTheSame) {
    CatalogEntry& a = PlugIn("PlugIn_1", "C:\\p\\shared.dll", "Alpha");
    PlugIn("PlugIn_2", "C:\\p\\shared.dll", "Beta");
    CatalogEntry& g = Group("PlugIn_3", "C:\\q\\g.dll", "G", "SPLIT: <Tools>");

    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 1);
    EXPECT_EQ(a.PlugInLst_GrpName, (StringList{"CERR: <Alpha><Beta>"}));
    // Next start: the CERR group is now a group like any other.
    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 0);
    EXPECT_EQ(a.PlugInLst_GrpName, (StringList{"CERR: <c:\\p>"}));
    const StringList settledA = a.PlugInLst_GrpName;
    const StringList settledG = g.PlugInLst_GrpName;
    EXPECT_EQ(db->services.startupRepairs.ReconcileGroups(), 0);
    EXPECT_EQ(a.PlugInLst_GrpName, settledA);
    EXPECT_EQ(g.PlugInLst_GrpName, settledG);
    EXPECT_EQ(g.PlugInLst_GrpName, (StringList{"Tools <c:\\q>"}));
}

}  // namespace
}  // namespace comp_mgr

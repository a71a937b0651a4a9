// Display-name conflicts across groups, replacement by a better processor
// fit, and linking everything to the installation that becomes current.
#include "link_fixture.h"

namespace comp_mgr {
namespace {

using testing_support::LinkFixture;

class LinkNames : public LinkFixture {};

// Each member of a group being linked takes the place of a linked plug-in of
// its own display name, so that no display name is linked twice.
TEST_F(LinkNames, GroupMembersReplaceLinkedNamesakesOfTheirOwn) {
    Installation("VntInstallation_1", "alpha");
    PlugIn("PlugIn_1", "Editor", "alpha", "old");
    PlugIn("PlugIn_2", "Old tools", "alpha", "old");
    PlugIn("PlugIn_3", "Viewer", "alpha", "new");
    PlugIn("PlugIn_4", "Editor", "alpha", "new");
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    ASSERT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2"}));

    // The requested plug-in has no namesake linked, but its group member has.
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_3", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_3", "PlugIn_4"}));
}

TEST_F(LinkNames, RelinkingAGroupWithAMemberAlreadyLinkedDoesNotDuplicateIt) {
    Installation("VntInstallation_1", "alpha");
    PlugIn("PlugIn_1", "A", "alpha", "g");
    PlugIn("PlugIn_2", "B", "alpha", "g", 1.0, kStatusRecordWriter | kStatusNeverUnlink);
    CatalogEntry& installation = *db->Entry("VntInstallation_1");
    installation.PlugInLst_GrpName.push_back("PlugIn_2");
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_2", "PlugIn_1"}));

    installation.PlugInLst_GrpName.clear();
    installation.PlugInLst_GrpName.push_back("PlugIn_1");
    db->Entry("PlugIn_2")->Status = kStatusRecordWriter;
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_2", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2"}));
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_2", LinkMode::kUnlink, SameName::kRefuse), 1);
    EXPECT_TRUE(Links("VntInstallation_1").empty()) << "one unlink removes every copy there was";
}

TEST_F(LinkNames, UnlinkSameNameGivesUpOnALinkItsGroupCannotReach) {
    CatalogEntry& installation = Installation("VntInstallation_1", "alpha");
    // A linked entry outside plugInNames: its group's members do not include it.
    db->SetProperty("Bogus", "DisplayName", "Same");
    db->SetProperty("Bogus", "PlugInLst_GrpName", "g");
    PlugIn("PlugIn_1", "Same", "alpha", "g");
    installation.PlugInLst_GrpName.push_back("Bogus");
    EXPECT_FALSE(db->services.linker.UnlinkSameName("VntInstallation_1", "PlugIn_1"));
    EXPECT_EQ(Links("VntInstallation_1"), Names{"Bogus"});
    EXPECT_FALSE(db->services.linker.UnlinkSameName("VntInstallation_9", "PlugIn_1"));
    EXPECT_FALSE(db->services.linker.UnlinkSameName("VntInstallation_1", "PlugIn_9"));
}

TEST_F(LinkNames, UnlinkSameNameRemovesEveryNamesakeWithItsGroup) {
    CatalogEntry& installation =
        Installation("VntInstallation_1", "alpha", 1.0, kStatusRecordWriter | kStatusFoundOrCurrent);
    PlugIn("PlugIn_1", "Same", "alpha", "g1");
    PlugIn("PlugIn_2", "Helper", "alpha", "g1");
    PlugIn("PlugIn_3", "Keep", "alpha");
    PlugIn("PlugIn_4", "Same", "alpha", "g2");
    for (const char* name : {"PlugIn_1", "PlugIn_2", "PlugIn_3", "PlugIn_4", "PlugIn_4"})
        installation.PlugInLst_GrpName.push_back(name);
    EXPECT_TRUE(db->services.linker.UnlinkSameName("VntInstallation_1", "PlugIn_4"));
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_3"});
    EXPECT_NE(installation.Status & kStatusCreatedOrRelinked, 0);
}

TEST_F(LinkNames, UnlinkGroupRefusesWhenAMemberIsProtected) {
    CatalogEntry& installation = Installation("VntInstallation_1", "alpha");
    CatalogEntry& a = PlugIn("PlugIn_1", "A", "alpha", "g");
    PlugIn("PlugIn_2", "B", "alpha", "g", 1.0, kStatusRecordWriter | kStatusNeverUnlink);
    CatalogEntry& lone = PlugIn("PlugIn_3", "C", "alpha");
    installation.PlugInLst_GrpName.push_back("PlugIn_1");
    installation.PlugInLst_GrpName.push_back("PlugIn_3");
    EXPECT_FALSE(db->services.linker.UnlinkGroup("VntInstallation_1", a));
    EXPECT_FALSE(db->services.linker.UnlinkGroup("VntInstallation_1", lone)) << "no group";
    EXPECT_FALSE(db->services.linker.UnlinkGroup("VntInstallation_9", a));
    db->Entry("PlugIn_2")->Status = kStatusRecordWriter;
    EXPECT_TRUE(db->services.linker.UnlinkGroup("VntInstallation_1", a));
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_3"});
}

class ReplaceByFit : public LinkFixture {
protected:
    void SetUp() override {
        Installation("VntInstallation_1", "alpha,beta", 2.0, kStatusRecordWriter, "C:\\Ide\\bin\\vn_app.exe");
        PlugIn("PlugIn_1", "Same", "alpha", "", 1.0, kStatusRecordWriter, "C:\\Ide\\plugins\\old.dll");
        db->Entry("VntInstallation_1")->PlugInLst_GrpName.push_back("PlugIn_1");
    }
};

TEST_F(ReplaceByFit, ABetterFitTakesThePlaceOfTheLinkedNamesake) {
    PlugIn("PlugIn_2", "Same", "alpha,beta", "", 1.0, kStatusRecordWriter, "c:\\IDE\\plugins\\new.dll");
    db->ResetFlags(kFlagLoaded);
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_2"), 1);
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_2"});
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagLinksChanged), kFlagModified | kFlagLinksChanged);
}

TEST_F(ReplaceByFit, AnEqualFitDoesNot) {
    PlugIn("PlugIn_2", "Same", "alpha", "", 1.0, kStatusRecordWriter, "C:\\Ide\\plugins\\new.dll");
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_2"), 0);
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_1"});
}

TEST_F(ReplaceByFit, APlugInTakingEveryProcessorAlwaysFitsBetter) {
    PlugIn("PlugIn_2", "Same", "*", "", 1.0, kStatusRecordWriter, "C:\\Ide\\plugins\\new.dll");
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_2"), 1);
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_2"});
}

TEST_F(ReplaceByFit, RefusedCases) {
    PlugIn("PlugIn_2", "Same", "alpha,beta", "", 1.0, kStatusRecordWriter, "C:\\Other\\plugins\\new.dll");
    PlugIn("PlugIn_3", "Same", "alpha,beta", "", 1.0, kStatusRecordWriter, "new.dll");
    PlugIn("PlugIn_4", "Same", "alpha,beta", "", 3.0, kStatusRecordWriter, "C:\\Ide\\plugins\\new.dll");
    PlugIn("PlugIn_5", "Other", "alpha,beta", "", 1.0, kStatusRecordWriter, "C:\\Ide\\plugins\\new.dll");
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_2"), 0) << "another first folder";
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_3"), 0) << "no folder at all";
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_4"), 0) << "newer than the installation";
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_5"), 0) << "no namesake linked";
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_9"), 0);
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_1"});
}

TEST_F(ReplaceByFit, AProtectedOrUniversalLinkedPlugInKeepsItsPlace) {
    PlugIn("PlugIn_2", "Same", "alpha,beta", "", 1.0, kStatusRecordWriter, "C:\\Ide\\plugins\\new.dll");
    db->Entry("PlugIn_1")->Status |= kStatusNeverUnlink;
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_2"), 0);
    db->Entry("PlugIn_1")->Status = kStatusRecordWriter;
    db->Entry("PlugIn_1")->CpuSupport.push_back("*");
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_2"), 0);
    db->Entry("PlugIn_1")->CpuSupport.clear();
    db->Entry("PlugIn_1")->CpuSupport.push_back("alpha");
    db->Entry("VntInstallation_1")->CpuSupport.push_back("x*");
    EXPECT_EQ(db->services.linker.ReplaceByCpuFit("VntInstallation_1", "PlugIn_2"), 0)
        << "installation takes every processor";
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_1"});
}

TEST_F(LinkNames, LinkAllPlugInsForcesEveryFittingPlugInIn) {
    Installation("VntInstallation_1", "alpha", 2.0);
    PlugIn("PlugIn_1", "A", "alpha", "g");
    PlugIn("PlugIn_2", "B", "alpha", "g");
    PlugIn("PlugIn_3", "A", "alpha");  // forced in, replacing PlugIn_1's group
    PlugIn("PlugIn_4", "C", "beta");   // does not fit
    PlugIn("PlugIn_5", "D", "alpha", "", 5.0);
    db->services.linker.LinkAllPlugIns("VntInstallation_1");
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_3"});
    db->services.linker.LinkAllPlugIns("VntInstallation_9");  // unknown: nothing happens
}

TEST_F(LinkNames, MakeCurrentInstallationLinksAllAndLeavesOneCurrent) {
    CatalogEntry& a = Installation("VntInstallation_1", "*", 1.0, kStatusRecordWriter | kStatusFoundOrCurrent);
    CatalogEntry& b = Installation("VntInstallation_2", "*");
    PlugIn("PlugIn_1", "A", "alpha");
    db->ResetFlags(0);
    EXPECT_EQ(db->services.linker.MakeCurrentInstallation(&b), 0) << "neither loaded nor scanned";
    db->ResetFlags(kFlagScanned);
    EXPECT_EQ(db->services.linker.MakeCurrentInstallation(nullptr), 0);
    EXPECT_EQ(db->services.linker.MakeCurrentInstallation(&b), 1);
    EXPECT_EQ(a.Status & kStatusFoundOrCurrent, 0);
    EXPECT_NE(b.Status & kStatusFoundOrCurrent, 0);
    EXPECT_EQ(Links("VntInstallation_2"), Names{"PlugIn_1"});
    EXPECT_TRUE(Links("VntInstallation_1").empty());
    EXPECT_NE(db->flags() & kFlagModified, 0u);
}

}  // namespace
}  // namespace comp_mgr

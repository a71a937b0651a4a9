// The link rules one request at a time: modes, versions, processors, groups
// and protected plug-ins.
#include "link_fixture.h"

namespace comp_mgr {
namespace {

using testing_support::LinkFixture;

class LinkRules : public LinkFixture {};

TEST_F(LinkRules, ModesOutsideMinusOneToTwoAreRefusedWithoutAnyChange) {
    Installation("VntInstallation_1", "*");
    PlugIn("PlugIn_1", "A", "alpha");
    const std::uint32_t before = db->flags();
    for (int mode : {3, -2, 1000, -1000})
        EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", static_cast<LinkMode>(mode),
                                                 SameName::kMakeRoom),
                  0);
    EXPECT_TRUE(Links("VntInstallation_1").empty());
    EXPECT_EQ(db->flags(), before);
}

TEST_F(LinkRules, CheckOnlyModesChangeNoListButMarkTheCatalogModified) {
    Installation("VntInstallation_1", "alpha", 2.0);
    PlugIn("PlugIn_1", "A", "alpha", "g", 3.0);  // newer than the installation: not checked in these modes
    PlugIn("PlugIn_2", "B", "gamma");
    for (int mode : {2, -1}) {
        db->ResetFlags(kFlagLoaded);
        EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", static_cast<LinkMode>(mode),
                                                 SameName::kRefuse),
                  1)
            << mode;
        EXPECT_EQ(db->flags() & (kFlagModified | kFlagLinksChanged), kFlagModified | kFlagLinksChanged);
        EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_2", static_cast<LinkMode>(mode),
                                                 SameName::kRefuse),
                  0)
            << "processors do not fit";
    }
    EXPECT_TRUE(Links("VntInstallation_1").empty());
}

TEST_F(LinkRules, UnknownNamesOrRecordsNotMadeByTheRecordWritersAreRefused) {
    Installation("VntInstallation_1", "*");
    Installation("VntInstallation_2", "*", 1.0, 0);
    PlugIn("PlugIn_1", "A", "alpha");
    PlugIn("PlugIn_2", "B", "alpha", "", 1.0, 0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_9", LinkMode::kLink, SameName::kMakeRoom), 0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_9", "PlugIn_1", LinkMode::kLink, SameName::kMakeRoom), 0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("vntinstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kMakeRoom), 0)
        << "section names are case-sensitive";
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "plugin_1", LinkMode::kLink, SameName::kMakeRoom), 0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("", "", LinkMode::kLink, SameName::kMakeRoom), 0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_2", "PlugIn_1", LinkMode::kLink, SameName::kMakeRoom), 0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_2", LinkMode::kLink, SameName::kMakeRoom), 0);
    EXPECT_TRUE(Links("VntInstallation_1").empty());
    EXPECT_EQ(db->services.linker.IsLinked("VntInstallation_9", "PlugIn_1"), 0);
}

TEST_F(LinkRules, APlugInNewerThanTheInstallationIsNotLinked) {
    Installation("VntInstallation_1", "*", 2.5);
    Installation("VntInstallation_2", "*", 3.0);
    PlugIn("PlugIn_1", "A", "alpha", "", 3.0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_2", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(Links("VntInstallation_2"), Names{"PlugIn_1"});
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_2", "PlugIn_1", LinkMode::kLink, SameName::kMakeRoom), 0)
        << "already linked";
}

TEST_F(LinkRules, ProcessorFit) {
    Installation("VntInstallation_1", "alpha,beta");
    Installation("VntInstallation_2", "alpha2");
    Installation("VntInstallation_3", "*");
    PlugIn("PlugIn_1", "A", "alpha2");
    PlugIn("PlugIn_2", "B", "gamma");
    PlugIn("PlugIn_3", "C", "alpha");
    PlugIn("PlugIn_4", "D", "");
    PlugIn("PlugIn_5", "E", "x*");
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1)
        << "alpha2 contains alpha";
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_2", LinkMode::kLink, SameName::kRefuse), 0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_2", "PlugIn_3", LinkMode::kLink, SameName::kRefuse), 0)
        << "alpha does not contain alpha2";
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_3", "PlugIn_2", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_3", "PlugIn_4", LinkMode::kLink, SameName::kRefuse), 0)
        << "no processors: never linked";
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_2", "PlugIn_5", LinkMode::kLink, SameName::kRefuse), 1)
        << "a plug-in taking every processor";
}

TEST_F(LinkRules, LinkingOneMemberLinksTheWholeGroupInCatalogOrder) {
    Installation("VntInstallation_1", "alpha", 2.0);
    PlugIn("PlugIn_1", "First", "alpha", "tools,extra");
    PlugIn("PlugIn_2", "Other group", "alpha", "misc,tools");
    PlugIn("PlugIn_3", "Too new", "alpha", "tools", 3.0);
    PlugIn("PlugIn_4", "Last", "beta", "tools");  // processors are only checked for the requested plug-in
    PlugIn("PlugIn_5", "Requested", "alpha", "tools");
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_5", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_4", "PlugIn_5"}));

    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kUnlink, SameName::kRefuse), 1);
    EXPECT_TRUE(Links("VntInstallation_1").empty()) << "unlinked together";
}

TEST_F(LinkRules, AProtectedMemberKeepsItsWholeGroupLinked) {
    Installation("VntInstallation_1", "alpha");
    PlugIn("PlugIn_1", "A", "alpha", "g");
    PlugIn("PlugIn_2", "B", "alpha", "g", 1.0, kStatusRecordWriter | kStatusNeverUnlink);
    PlugIn("PlugIn_3", "C", "alpha");
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_3", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kUnlink, SameName::kRefuse), 0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_2", LinkMode::kUnlink, SameName::kRefuse), 0);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2", "PlugIn_3"}));
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_3", LinkMode::kUnlink, SameName::kRefuse), 1);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2"}));
}

TEST_F(LinkRules, UnlinkingAPlugInThatIsNotLinkedUnlinksItsNamesakes) {
    Installation("VntInstallation_1", "alpha");
    PlugIn("PlugIn_1", "Same", "alpha", "g1");
    PlugIn("PlugIn_2", "Same", "alpha", "g2");
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_2", LinkMode::kUnlink, SameName::kRefuse), 1);
    EXPECT_TRUE(Links("VntInstallation_1").empty());
}

TEST_F(LinkRules, OneLinkedPlugInPerDisplayNameUnlessForced) {
    Installation("VntInstallation_1", "alpha");
    PlugIn("PlugIn_1", "Same", "alpha", "old");
    PlugIn("PlugIn_2", "Old helper", "alpha", "old");
    PlugIn("PlugIn_3", "Same", "alpha", "new");
    PlugIn("PlugIn_4", "Same", "alpha");  // no group
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    ASSERT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2"}));

    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_3", LinkMode::kLink, SameName::kRefuse), 0);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2"}));
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_3", LinkMode::kLink, SameName::kMakeRoom), 1);
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_3"}) << "the old one goes with its group";

    // A linked namesake without a group cannot be unlinked: the request fails.
    db->Entry("VntInstallation_1")->PlugInLst_GrpName.clear();
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_4", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_3", LinkMode::kLink, SameName::kMakeRoom), 0);
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_4"});
}

TEST_F(LinkRules, DisplayNamesAreComparedWithLetterCase) {
    Installation("VntInstallation_1", "alpha");
    PlugIn("PlugIn_1", "Name", "alpha");
    PlugIn("PlugIn_2", "NAME", "alpha");
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_2", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2"}));
}

TEST_F(LinkRules, LinkListsNamingMissingEntriesAreToleratedAndKept) {
    CatalogEntry& installation = Installation("VntInstallation_1", "alpha");
    installation.PlugInLst_GrpName.push_back("PlugIn_77");
    installation.PlugInLst_GrpName.push_back("Bogus");
    PlugIn("PlugIn_1", "A", "alpha", "g");
    EXPECT_EQ(db->services.linker.IsLinked("VntInstallation_1", "PlugIn_77"), 1);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_77", LinkMode::kUnlink, SameName::kRefuse),
              0);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kUnlink, SameName::kRefuse), 1);
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_77", "Bogus"}));
}

TEST_F(LinkRules, ChangingTheCurrentInstallationsLinksMarksIt) {
    CatalogEntry& current =
        Installation("VntInstallation_1", "alpha", 1.0, kStatusRecordWriter | kStatusFoundOrCurrent);
    CatalogEntry& other = Installation("VntInstallation_2", "alpha");
    PlugIn("PlugIn_1", "A", "alpha");
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_2", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_EQ(other.Status & kStatusCreatedOrRelinked, 0);
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    EXPECT_NE(current.Status & kStatusCreatedOrRelinked, 0);
}

TEST_F(LinkRules, AnUnlinkThatIsThenRefusedStillMarksTheCatalogModified) {
    Installation("VntInstallation_1", "alpha");
    PlugIn("PlugIn_1", "Same", "alpha", "g1");
    PlugIn("PlugIn_2", "Same", "alpha", "g2", 1.0, kStatusRecordWriter | kStatusNeverUnlink);
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    db->ResetFlags(kFlagLoaded);
    EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_2", LinkMode::kUnlink, SameName::kRefuse), 0)
        << "protected";
    EXPECT_TRUE(Links("VntInstallation_1").empty()) << "its namesake was unlinked on the way";
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagLinksChanged), kFlagModified | kFlagLinksChanged);
}

}  // namespace
}  // namespace comp_mgr

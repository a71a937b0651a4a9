// ExplainLink: its answers are the linker's (checked against LinkPlugIn on a
// random catalog), asking changes nothing, and each rule tells its reason.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "link_fixture.h"
#include "services/linking/link_explanation.h"
#include "services/linking/linker.h"

namespace comp_mgr {
namespace testing_support {
namespace {

using LinkExplanationTest = LinkFixture;

// Everything a request could touch, to see that explaining touched nothing.
std::string Snapshot(TestCatalog& db) {
    std::string s = std::to_string(db.flags()) + "\n";
    for (const auto& item : db.entries()) {
        s += item.key() + " " + std::to_string(item.value().Status) + ":";
        for (const std::string& link : item.value().PlugInLst_GrpName) s += " " + link;
        s += "\n";
    }
    return s;
}

// The proof: on a random catalog, 1,000 (installation, plug-in)
// pairs, some unknown, the explanation's check is what mode 2 answers and its
// request is what that request then answers when made for real. Real
// requests change the catalog, so later pairs meet the changed lists.
TEST_F(LinkExplanationTest, AgreesWithTheLinkerOnARandomCatalog) {
    std::mt19937 random(20261209);
    auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    const std::vector<std::string> cpus = {"alpha", "alpha", "beta",       "alpha2",     "*",
                                           "*",     "",      "alpha,beta", "beta2,gamma"};
    const std::vector<std::string> groups = {"", "", "G1", "G2", "G3,extra"};
    const std::vector<std::string> names = {"Probe", "Scope", "Trace", "Flash"};
    const std::vector<double> versions = {1.0, 2.0, 2.5, 3.0};
    const std::vector<std::int32_t> statuses = {kStatusRecordWriter,        kStatusRecordWriter,
                                                kStatusRecordWriter | 0x01, kStatusRecordWriter | kStatusNeverUnlink,
                                                kStatusRecordWriter,        0};
    std::vector<std::string> installations, plugIns;
    for (int i = 1; i <= 30; ++i) {
        const std::string section = "PlugIn_" + std::to_string(i);
        PlugIn(section, pick(names), pick(cpus), pick(groups), versions[random() % versions.size()],
               statuses[random() % statuses.size()]);
        plugIns.push_back(section);
    }
    for (int i = 1; i <= 6; ++i) {
        const std::string section = "VntInstallation_" + std::to_string(i);
        Installation(section, pick(cpus), versions[random() % versions.size()],
                     statuses[random() % statuses.size()] | (i == 1 ? 0x01 : 0));
        std::string links;
        for (int k = 0; k < 3; ++k) links += (k ? "," : "") + pick(plugIns);
        db->SetProperty(section, "PlugInLst_GrpName", links + ",PlugIn_99");
        installations.push_back(section);
    }
    installations.push_back("VntInstallation_77");  // unknown
    plugIns.push_back("PlugIn_88");                 // unknown

    Linker linker(*db);
    int accepted = 0, checked = 0;
    std::set<std::string> refusedBy;
    for (int pair = 0; pair < 1000; ++pair) {
        const std::string installation = pick(installations), plugIn = pick(plugIns);
        const std::string before = Snapshot(*db);
        const LinkExplanation why = linker.ExplainLink(installation, plugIn);
        ASSERT_EQ(Snapshot(*db), before) << "explaining changed the catalog at pair " << pair;

        ASSERT_EQ(why.check, linker.LinkPlugIn(installation, plugIn, LinkMode::kCheck, SameName::kMakeRoom))
            << installation << " " << plugIn << "\n"
            << LinkExplanationText(why);
        ASSERT_EQ(why.linked, linker.IsLinked(installation, plugIn) == 1);
        ASSERT_EQ(why.requestAnswer, linker.LinkPlugIn(installation, plugIn, why.request, SameName::kMakeRoom))
            << installation << " " << plugIn << "\n"
            << LinkExplanationText(why);
        // A refusal names the rule that refused it.
        bool refusedRule = false;
        for (const LinkRule& rule : why.rules) refusedRule = refusedRule || !rule.ok;
        ASSERT_EQ(refusedRule, why.check == 0 || why.requestAnswer == 0) << LinkExplanationText(why);
        for (const LinkRule& rule : why.rules)
            if (!rule.ok) refusedBy.insert(rule.rule);
        accepted += why.requestAnswer;
        checked += why.check;
    }
    // The catalog is varied enough that both answers occur often and every
    // rule refuses some pair.
    EXPECT_GT(accepted, 30);
    EXPECT_GT(checked, 200);
    EXPECT_LT(checked, 900);
    EXPECT_EQ(refusedBy, (std::set<std::string>{"display name", "group", "processor fit", "processors", "protection",
                                                "record", "sections", "version"}));
}

struct RuleCase {
    const char* name;
    std::string installationCpu, plugInCpu;
    double installationSdk, plugInSdk;
    std::int32_t plugInStatus;
    const char* rule;  // the rule that decides
    bool ok;
    const char* reasonPart;
    int check, request;
};

TEST_F(LinkExplanationTest, EachRuleTellsWhy) {
    const RuleCase cases[] = {
        {"fits", "alpha", "alpha2", 3.0, 3.0, kStatusRecordWriter, "processor fit", true,
         "plug-in processor alpha2 contains installation processor alpha", 1, 1},
        {"takes every processor", "*", "gamma", 3.0, 2.0, kStatusRecordWriter, "processor fit", true,
         "the installation takes every processor (*)", 1, 1},
        {"no fit", "alpha2", "alpha", 3.0, 3.0, kStatusRecordWriter, "processor fit", false,
         "no plug-in processor (alpha) contains an installation processor (alpha2)", 0, 0},
        {"no processors", "*", "", 3.0, 3.0, kStatusRecordWriter, "processors", false,
         "PlugIn_1 lists no processor (CpuSupport is empty)", 0, 0},
        {"version", "alpha", "alpha", 2.5, 3.0, kStatusRecordWriter, "version", false,
         "the plug-in's SdkVersion 3.0 is above the installation's 2.5", 1, 0},
        {"record", "alpha", "alpha", 3.0, 3.0, 0, "record", false, "PlugIn_1 lacks status bit 0x10 (Status=0)", 0, 0},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.name);
        db = std::make_unique<TestCatalog>(machine.platform);
        db->SetFlags(kFlagLoaded);
        Installation("VntInstallation_1", c.installationCpu, c.installationSdk);
        PlugIn("PlugIn_1", "Probe", c.plugInCpu, "", c.plugInSdk, c.plugInStatus);
        Linker linker(*db);
        const LinkExplanation why = linker.ExplainLink("VntInstallation_1", "PlugIn_1");
        EXPECT_EQ(why.check, c.check);
        EXPECT_EQ(why.requestAnswer, c.request);
        bool found = false;
        for (const LinkRule& rule : why.rules) {
            if (rule.rule != c.rule) continue;
            found = true;
            EXPECT_EQ(rule.ok, c.ok);
            EXPECT_NE(rule.reason.find(c.reasonPart), std::string::npos) << rule.reason;
        }
        EXPECT_TRUE(found) << LinkExplanationText(why);
    }
}

TEST_F(LinkExplanationTest, RoomMadeForASameNamedPlugInOrRefusedByItsProtectedGroup) {
    Installation("VntInstallation_1", "alpha", 3.0);
    PlugIn("PlugIn_1", "Probe", "alpha", "Old");
    PlugIn("PlugIn_2", "Probe", "alpha", "New");
    db->SetProperty("VntInstallation_1", "PlugInLst_GrpName", "PlugIn_1");
    Linker linker(*db);
    LinkExplanation why = linker.ExplainLink("VntInstallation_1", "PlugIn_2");
    EXPECT_EQ(why.requestAnswer, 1);
    EXPECT_NE(LinkExplanationText(why).find("display name: ok: PlugIn_1, also named \"Probe\", is unlinked with its "
                                            "group to make room\n"),
              std::string::npos)
        << LinkExplanationText(why);

    db->Entry("PlugIn_1")->Status |= kStatusNeverUnlink;
    why = linker.ExplainLink("VntInstallation_1", "PlugIn_2");
    EXPECT_EQ(why.check, 1);
    EXPECT_EQ(why.requestAnswer, 0);
    const std::string text = LinkExplanationText(why);
    EXPECT_NE(text.find("protection: refused: PlugIn_1 of group \"Old\" has status bit 0x08"), std::string::npos)
        << text;
    EXPECT_NE(text.find("display name: refused: PlugIn_1, also named \"Probe\", is linked and cannot be unlinked"),
              std::string::npos)
        << text;
    EXPECT_NE(
        text.find("check: ok: bLinkPlugIns mode 2 answers 1\nlink: refused: bLinkPlugIns mode 1 would answer 0\n"),
        std::string::npos)
        << text;

    // Linked already: the next request is the unlink, refused by the same mark.
    why = linker.ExplainLink("VntInstallation_1", "PlugIn_1");
    EXPECT_TRUE(why.linked);
    EXPECT_EQ(why.request, LinkMode::kUnlink);
    EXPECT_EQ(why.requestAnswer, 0);
    EXPECT_NE(LinkExplanationText(why).find("protection: refused: PlugIn_1 has status bit 0x08"), std::string::npos);
}

TEST_F(LinkExplanationTest, UnknownSectionsAreRefusedWithAReason) {
    Installation("VntInstallation_1", "alpha");
    Linker linker(*db);
    const LinkExplanation why = linker.ExplainLink("VntInstallation_1", "PlugIn_9");
    EXPECT_EQ(why.check, 0);
    EXPECT_EQ(LinkExplanationText(why),
              "sections: refused: no section PlugIn_9\ncheck: refused: bLinkPlugIns mode 2 answers 0\n"
              "link: refused: bLinkPlugIns mode 1 would answer 0\n");
    EXPECT_EQ(LinkExplanationText(linker.ExplainLink("Nope", "PlugIn_9")).substr(0, 46),
              "sections: refused: no section Nope and no sect");
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr

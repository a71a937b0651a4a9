// Which decisions the library records in its event log, on the memory port:
// the start-up repairs of a vanished plug-in, a renumbering, the link rules'
// refusals, server registration; and that nothing is built when no one listens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link_fixture.h"
#include "support/event_line.h"
#include "support/fake_servers.h"

namespace comp_mgr {
namespace {

using testing_support::FakeServers;
using testing_support::LinkFixture;

// "kind|subject|text" of each event, in order.
std::vector<std::string> Told(const MemoryEvents& events) {
    std::vector<std::string> told;
    for (const EventFields& e : events.events) told.push_back(e.kind + "|" + e.subject + "|" + e.text);
    return told;
}

class EventsTest : public LinkFixture {
protected:
    void PutFile(const std::string& section) { machine.files.Put(db->Entry(section)->ProgLocation, "MZ"); }
};

TEST_F(EventsTest, AStartWithAVanishedPlugInTellsTheDropAndTheStandIn) {
    Installation("VntInstallation_1", "SHARC", 2.0);
    db->Entry("VntInstallation_1")->PlugInLst_GrpName.push_back("PlugIn_1");
    Installation("VntInstallation_2", "SHARC", 2.0);
    db->Entry("VntInstallation_2")->PlugInLst_GrpName.push_back("PlugIn_1");
    db->Entry("VntInstallation_2")->SdkVersion = 1.0;  // too old for the stand-in
    PlugIn("PlugIn_1", "Trace", "SHARC", "", 1.0);     // its file is gone
    PlugIn("PlugIn_2", "Trace", "SHARC", "", 2.0);
    PlugIn("PlugIn_3", "Other", "SHARC");
    for (const char* present : {"VntInstallation_1", "VntInstallation_2", "PlugIn_2", "PlugIn_3"}) PutFile(present);

    ASSERT_EQ(db->services.startupRepairs.DropMissingFiles(), 1);
    EXPECT_EQ(Told(machine.events),
              (Names{"substituted|VntInstallation_1|PlugIn_1 -> PlugIn_2 (\"Trace\")",
                     "unlinked|VntInstallation_2|PlugIn_1 (its file is gone; no plug-in of its name to stand in)",
                     "dropped|PlugIn_1|C:\\Ide\\plugins\\PlugIn_1.dll: the file is gone"}));
    // The pass changes only memory, so its records may be written together.
    EXPECT_EQ(machine.events.heldRecords, 3);
    EXPECT_EQ(machine.events.depth, 0);
}

TEST_F(EventsTest, ARenumberingTellsEachMoveAndAnUnchangedGroupIsNotTold) {
    Installation("VntInstallation_1", "*");
    Installation("VntInstallation_3", "*");
    PlugIn("PlugIn_4", "Four", "x");
    PlugIn("PlugIn_2", "Two", "x", "Tools <c:\\ide\\plugins>");
    PutFile("PlugIn_4");
    PutFile("PlugIn_2");
    db->services.startupRepairs.ReconcileGroups();  // the group is what it would be made
    ASSERT_EQ(db->services.exitRepairs.RenumberSections(), 1);
    EXPECT_EQ(Told(machine.events),
              (Names{"renumbered|VntInstallation_3|VntInstallation_3 -> VntInstallation_2",
                     "renumbered|PlugIn_2|PlugIn_2 -> PlugIn_1", "renumbered|PlugIn_4|PlugIn_4 -> PlugIn_2"}));
    EXPECT_EQ(machine.events.heldRecords, 3);
    EXPECT_EQ(machine.events.depth, 0);
}

TEST_F(EventsTest, AGroupThatChangesIsTold) {
    PlugIn("PlugIn_1", "A", "x", "Tools");
    db->services.startupRepairs.ReconcileGroups();
    EXPECT_EQ(Told(machine.events), (Names{"regrouped|PlugIn_1|\"Tools\" -> \"Tools<c:\\ide\\plugins>\""}));
}

TEST_F(EventsTest, GroupsAreRetiedInTheOrderOfAMapByDisplayName) {
    // Display names that fall into several buckets, met more than once and
    // out of order: the walk is the map's (bucket, name met last first,
    // then plug-in order), which a BucketMap built here gives.
    const char* displays[] = {"Trace", "Zed", "Trace", "A", "Mem", "Zed", "B", "Mem", "Trace", "Q"};
    BucketMap<StringList> reference;
    for (int i = 0; i < 10; ++i) {
        const std::string name = "PlugIn_" + std::to_string(i + 1);
        PlugIn(name, displays[i], "x", "Tools");
        reference[displays[i]].push_back(name);
    }
    db->services.startupRepairs.ReconcileGroups();
    std::vector<std::string> expected;
    for (const auto& sameName : reference)
        for (const std::string& name : sameName.value()) expected.push_back(name);
    std::vector<std::string> told;
    for (const EventFields& e : machine.events.events) told.push_back(e.subject);
    EXPECT_EQ(told, expected);
}

TEST_F(EventsTest, EachRefusalOfALinkSaysWhichRuleRefused) {
    struct Case {
        const char* what;
        const char* plugIn;
        LinkMode mode;
        SameName sameName;
        const char* told;  // the event's text
    };
    const Case cases[] = {
        {"no such plug-in", "PlugIn_9", LinkMode::kLink, SameName::kRefuse,
         "link PlugIn_9: sections: no section PlugIn_9"},
        {"version", "PlugIn_1", LinkMode::kLink, SameName::kRefuse,
         "link PlugIn_1: version: the plug-in's SdkVersion 3.5 is above the installation's 2.0"},
        {"processors", "PlugIn_2", LinkMode::kLink, SameName::kRefuse,
         "link PlugIn_2: processor fit: no plug-in processor (TS201) contains an installation processor (SHARC, "
         "Blackfin)"},
        {"no processors", "PlugIn_3", LinkMode::kCheck, SameName::kRefuse,
         "check PlugIn_3: processors: PlugIn_3 lists no processor (CpuSupport is empty)"},
        {"already linked", "PlugIn_4", LinkMode::kLink, SameName::kRefuse,
         "link PlugIn_4: linked: PlugIn_4 is linked to VntInstallation_1 already"},
        {"same name", "PlugIn_5", LinkMode::kLink, SameName::kRefuse,
         "link PlugIn_5: display name: PlugIn_4, also named \"Trace\", is linked and no room is made"},
        {"protected", "PlugIn_6", LinkMode::kUnlink, SameName::kRefuse,
         "unlink PlugIn_6: protection: PlugIn_6 has status bit 0x08: it must not be unlinked"},
        {"not a record of ours", "PlugIn_7", LinkMode::kLink, SameName::kRefuse,
         "link PlugIn_7: record: PlugIn_7 lacks status bit 0x10 (Status=0): only records made by the record writers "
         "are "
         "linked"},
    };
    Installation("VntInstallation_1", "SHARC,Blackfin", 2.0);
    PlugIn("PlugIn_1", "New", "SHARC", "", 3.5);
    PlugIn("PlugIn_2", "Tiger", "TS201");
    PlugIn("PlugIn_3", "None", "");
    PlugIn("PlugIn_4", "Trace", "SHARC");
    PlugIn("PlugIn_5", "Trace", "SHARC");
    PlugIn("PlugIn_6", "Kept", "SHARC", "", 1.0, kStatusRecordWriter | kStatusNeverUnlink);
    PlugIn("PlugIn_7", "Foreign", "SHARC", "", 1.0, 0);
    db->Entry("VntInstallation_1")->PlugInLst_GrpName.push_back("PlugIn_4");
    db->Entry("VntInstallation_1")->PlugInLst_GrpName.push_back("PlugIn_6");
    for (const Case& c : cases) {
        machine.events.events.clear();
        EXPECT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", c.plugIn, c.mode, c.sameName), 0) << c.what;
        ASSERT_EQ(machine.events.events.size(), 1u) << c.what;
        EXPECT_EQ(machine.events.events[0].kind, event_kind::kLinkRefused) << c.what;
        EXPECT_EQ(machine.events.events[0].subject, "VntInstallation_1") << c.what;
        EXPECT_EQ(machine.events.events[0].text, c.told) << c.what;
    }
}

TEST_F(EventsTest, ALinkMadeIsToldOnceAndTheRequestsOfABulkLinkingAreOneEvent) {
    Installation("VntInstallation_1", "SHARC", 2.0);
    PlugIn("PlugIn_1", "A", "SHARC");
    PlugIn("PlugIn_2", "B", "SHARC");
    PlugIn("PlugIn_3", "C", "TS201");  // refused inside the bulk linking: not told one by one
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    db->services.linker.LinkAllPlugIns("VntInstallation_1");
    EXPECT_EQ(Told(machine.events), (Names{"linked|VntInstallation_1|PlugIn_1",
                                           "linked|VntInstallation_1|every plug-in that fits (1 linked)"}));
}

TEST_F(EventsTest, EachServerRegistrationIsToldWithItsOutcome) {
    FakeServers servers(machine);
    servers.Add("C:\\s\\good.dll");
    servers.Add("C:\\s\\half.dll", /*withRegister=*/false);
    db->services.registration.RegisterServer("C:\\s\\good.dll", ServerAction::kRegister);
    db->services.registration.RegisterServer("C:\\s\\half.dll", ServerAction::kRegister);
    db->services.registration.RegisterServer("C:\\s\\gone.dll", ServerAction::kUnregister);
    EXPECT_EQ(Told(machine.events), (Names{"registered|C:\\s\\good.dll|DllRegisterServer returned 0x00000000",
                                           "register-failed|C:\\s\\half.dll|the server has no DllRegisterServer",
                                           "unregister-failed|C:\\s\\gone.dll|the server did not load"}));
}

TEST_F(EventsTest, WithTheLogOffNoTextIsBuiltAndNothingIsRecorded) {
    machine.events.on = false;
    Installation("VntInstallation_1", "SHARC");
    Installation("VntInstallation_4", "SHARC");
    PlugIn("PlugIn_1", "Gone", "SHARC");
    PlugIn("PlugIn_2", "A", "SHARC", "Tools");
    db->services.startupRepairs.DropMissingFiles();
    db->services.startupRepairs.ReconcileGroups();
    db->services.linker.LinkPlugIn("VntInstallation_4", "PlugIn_9", LinkMode::kLink, SameName::kRefuse);
    db->services.exitRepairs.RenumberSections();
    EXPECT_EQ(db->Entry("PlugIn_1"), nullptr) << "the repairs still ran";
    EXPECT_EQ(machine.events.recorded, 0);
}

}  // namespace
}  // namespace comp_mgr

// What DetectNewPlugIns does with the plug-ins created in this run.
#include "link_fixture.h"
#include "support/fake_servers.h"

namespace comp_mgr {
namespace {

using testing_support::FakeServers;
using testing_support::LinkFixture;

class Detection : public LinkFixture {
protected:
    void AddNew(const std::string& section, const std::string& displayName, const std::string& cpu, std::int32_t status,
                const std::string& location) {
        PlugIn(section, displayName, cpu, "", 1.0, status, location);
        db->AddNewPlugIn(section);
    }
};

TEST_F(Detection, BeforeLoadOrScanNothingHappens) {
    Installation("VntInstallation_1", "*");
    AddNew("PlugIn_1", "A", "alpha", kStatusRecordWriter, "C:\\Ide\\plugins\\a.dll");
    db->ResetFlags(0);
    for (int mode : {0, 1, 2, 3})
        EXPECT_EQ(db->services.detection.DetectNewPlugIns(static_cast<DetectionMode>(mode)), -1);
    EXPECT_EQ(db->newPlugInNames().size(), 1u);
    EXPECT_TRUE(Links("VntInstallation_1").empty());
    db->ResetFlags(kFlagScanned);
    EXPECT_EQ(db->services.detection.DetectNewPlugIns(DetectionMode::kLink), 0);
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_1"});
}

TEST_F(Detection, OtherModesOnlyCountTheNewPlugIns) {
    Installation("VntInstallation_1", "*");
    AddNew("PlugIn_1", "A", "alpha", kStatusRecordWriter | kStatusFoundOrCurrent, "C:\\Ide\\plugins\\a.dll");
    AddNew("PlugIn_2", "B", "alpha", kStatusRecordWriter, "C:\\Ide\\plugins\\b.dll");
    const std::uint32_t flags = db->flags();
    for (int mode : {2, -1, 99})
        EXPECT_EQ(db->services.detection.DetectNewPlugIns(static_cast<DetectionMode>(mode)), 2) << mode;
    EXPECT_EQ(db->newPlugInNames().size(), 2u);
    EXPECT_TRUE(Links("VntInstallation_1").empty());
    EXPECT_EQ(db->flags(), flags);
}

TEST_F(Detection, LinkModeLinksToEveryFittingInstallationAndEmptiesTheList) {
    Installation("VntInstallation_1", "alpha");
    Installation("VntInstallation_2", "beta");
    Installation("VntInstallation_3", "*", 1.0, 0);  // not made by the record writers
    AddNew("PlugIn_1", "A", "alpha", kStatusRecordWriter, "C:\\Ide\\plugins\\a.dll");
    AddNew("PlugIn_2", "B", "alpha,beta", kStatusRecordWriter, "C:\\Ide\\plugins\\b.dll");
    db->AddNewPlugIn("PlugIn_404");  // no entry: passed over
    EXPECT_EQ(db->services.detection.DetectNewPlugIns(DetectionMode::kLink), 0);
    EXPECT_TRUE(db->newPlugInNames().empty());
    EXPECT_EQ(Links("VntInstallation_1"), (Names{"PlugIn_1", "PlugIn_2"}));
    EXPECT_EQ(Links("VntInstallation_2"), Names{"PlugIn_2"});
    EXPECT_TRUE(Links("VntInstallation_3").empty());
}

TEST_F(Detection, ARefusedNewPlugInMayStillReplaceAWorseFittingNamesake) {
    Installation("VntInstallation_1", "alpha,beta");
    PlugIn("PlugIn_1", "Same", "alpha", "", 1.0, kStatusRecordWriter, "C:\\Ide\\plugins\\old.dll");
    ASSERT_EQ(db->services.linker.LinkPlugIn("VntInstallation_1", "PlugIn_1", LinkMode::kLink, SameName::kRefuse), 1);
    AddNew("PlugIn_2", "Same", "alpha,beta", kStatusRecordWriter, "C:\\Ide\\plugins\\new.dll");
    AddNew("PlugIn_3", "Same", "beta", kStatusRecordWriter, "C:\\Ide\\plugins\\newer.dll");
    EXPECT_EQ(db->services.detection.DetectNewPlugIns(DetectionMode::kLink), 0);
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_2"}) << "PlugIn_3 fits no better than PlugIn_2";
}

TEST_F(Detection, UnregisterModeCallsEachFoundLibraryOnceAndRestoresTheDirectory) {
    FakeServers servers{machine};
    for (const char* path : {"C:\\Ide\\plugins\\a.dll", "C:\\Ide\\plugins\\b.dll", "C:\\Ide\\plugins\\c.dll"}) {
        machine.files.Put(path, "MZ");
        servers.Add(path);
    }
    const int found = kStatusRecordWriter | kStatusFoundOrCurrent;
    AddNew("PlugIn_1", "A", "alpha", found, "C:\\Ide\\plugins\\a.dll");
    AddNew("PlugIn_2", "B", "alpha", found, "C:\\Ide\\plugins\\a.dll");
    AddNew("PlugIn_3", "C", "alpha", kStatusRecordWriter, "C:\\Ide\\plugins\\c.dll");  // not in the registry
    AddNew("PlugIn_4", "D", "alpha", found, "C:\\Ide\\plugins\\b.dll");
    std::string before;
    ASSERT_TRUE(machine.files.GetCurrentDirectory(&before, 1024));

    EXPECT_EQ(db->services.detection.DetectNewPlugIns(DetectionMode::kUnregister), 0);
    EXPECT_EQ(servers.calls, (std::vector<std::string>{"unregister C:\\Ide\\plugins\\a.dll cwd=C:\\Ide\\plugins",
                                                       "unregister C:\\Ide\\plugins\\b.dll cwd=C:\\Ide\\plugins"}));
    std::string after;
    ASSERT_TRUE(machine.files.GetCurrentDirectory(&after, 1024));
    EXPECT_EQ(after, before);
    EXPECT_TRUE(db->newPlugInNames().empty());
}

}  // namespace
}  // namespace comp_mgr

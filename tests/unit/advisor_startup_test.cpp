// Binding the advisor at start-up, the timed reminder and what the user's
// answer does, and the product identifiers sent to the update page.
#include "advisor_test_util.h"

namespace comp_mgr {
namespace testing_support {
namespace {

constexpr const char* kKey = "VntInstallation_1";

class AdvisorStartupTest : public AdvisorTest {
protected:
    AdvisorStartupTest() { machine.clock.Set(2006, 12, 4, 15, 4, 33); }
    // Binds with the given stored settings and asks whether the reminder shows.
    bool ReminderShows(const std::string& lastCheck, const std::string& frequency,
                       const std::string& autoLaunch = "TRUE") {
        Load("LastCheckDate=" + lastCheck + "\r\nFrequency=" + frequency + "\r\nAutoLaunch=" + autoLaunch + "\r\n");
        EXPECT_EQ(web->WebStartup(kKey, 1), 1);
        const int before = machine.ui.remindersShown;
        int disable = -7;
        web->CheckReminder(&disable);
        return machine.ui.remindersShown > before;
    }
    void Answer(int result, int disable) { machine.ui.reminderAnswers.push_back({result, disable}); }
};

TEST_F(AdvisorStartupTest, ReminderIsDueFromTheLastCheckAndTheInterval) {
    struct Case {
        std::string lastCheck, frequency;
        bool shows;
    } cases[] = {
        {"04 01,2000 00:00:00", "30", true},   // the default
        {"11 04,2006 15:04:33", "30", true},   // exactly 30 days ago
        {"11 04,2006 15:04:34", "30", false},  // one second less
        {"12 03,2006 15:04:33", "1", true},
        {"12 03,2006 15:04:33", "2", false},
        {"13 04,2005 15:04:33", "335", false},  // month 13 of 2005 is January 2006: 334 days ago
        {"13 04,2005 15:04:33", "334", true},
        {"11 32,2006 15:04:33", "2", true},  // day 32 of November is 2 December
        {"11 32,2006 15:04:33", "3", false},
        {"12 05,2006 15:04:33", "30", true},    // in the future: overdue
        {"04 01,2000 00:00:0", "3000", false},  // 18 characters still read: 2438 days
        {"04 01,2000 00:00:", "3000", true},    // 17: never checked, 999999 days
        {"04 01,2000 00:00:", "1000000", false},
        {"", "30", true},
        {"00 01,2006 00:00:00", "3000", true},  // month 0: never checked
        {"12 01,1999 00:00:00", "3000", true},  // year 1999: never checked
        {"14 01,2006 00:00:00", "1000000", false},
        {"ab cd,efgh ij:kl:mn", "999999", true},
        {"12 03,2006 15:04:33", "-1", false},  // a negative interval never reminds
        {"12 03,2006 15:04:33", "abc", true},  // text reads as 0: always due
        {"12 03,2006 15:04:33", "99999999999", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReminderShows(c.lastCheck, c.frequency), c.shows) << c.lastCheck << " / " << c.frequency;
    EXPECT_FALSE(ReminderShows("04 01,2000 00:00:00", "30", "FALSE"));
}

TEST_F(AdvisorStartupTest, TheAnswerDecidesTheCheckDateAndTheDisableValue) {
    Load();
    web->WebStartup(kKey, 1);
    struct Case {
        int result, disable, want;
    } cases[] = {{1, 0, 1}, {1, 1, 1}, {2, 1, 0}, {2, 0, 0}};
    for (const auto& c : cases) {
        web->WebStartup(kKey, 1);  // back to the stored, long past check
        Answer(c.result, c.disable);
        int disable = -7;
        const std::string before = web->lastCheckDate();
        EXPECT_EQ(web->CheckReminder(&disable), c.want);
        EXPECT_EQ(disable, c.disable);
        EXPECT_EQ(web->lastCheckDate(), c.result == 1 ? "12 04,2006 15:04:33" : before);
    }
}

TEST_F(AdvisorStartupTest, ModesRemindOpenAndStoreAsTheUserAnswers) {
    struct Case {
        int mode;
        int result, disable;  // the answer given, if the dialog shows
        bool opened;
        std::string autoLaunch, lastCheck;
    } cases[] = {
        {0, 2, 0, true, "TRUE", "04 01,2000 00:00:00"},  // opens whatever the answer; no Yes, old date
        {0, 1, 0, true, "TRUE", "12 04,2006 15:04:33"},
        {0, 2, 1, true, "FALSE", "04 01,2000 00:00:00"},
        {1, 1, 1, false, "<missing>", "04 01,2000 00:00:00"},  // only binds: defaults written, no dialog
        {2, 2, 1, false, "FALSE", "04 01,2000 00:00:00"},
        {2, 1, 0, true, "TRUE", "12 04,2006 15:04:33"},
        {2, 1, 1, true, "FALSE", "12 04,2006 15:04:33"},
        {7, 1, 0, false, "<missing>", "04 01,2000 00:00:00"},  // other modes act as mode 1
    };
    for (const auto& c : cases) {
        Load("LastCheckDate=04 01,2000 00:00:00\r\nFrequency=30\r\n");
        machine.shell.opened.clear();
        machine.ui.reminderAnswers.clear();
        machine.ui.remindersShown = 0;
        Answer(c.result, c.disable);
        db->ResetFlags(0);
        EXPECT_EQ(web->WebStartup(kKey, c.mode), 1) << c.mode;
        EXPECT_EQ(machine.ui.remindersShown, c.mode == 0 || c.mode == 2 ? 1 : 0) << c.mode;
        EXPECT_EQ(!machine.shell.opened.empty(), c.opened) << c.mode << " " << c.result;
        EXPECT_EQ(StoredOr("AutoLaunch"), c.mode == 1 || c.mode == 7 ? "TRUE" : c.autoLaunch) << c.mode;
        EXPECT_EQ(StoredOr("LastCheckDate"), c.lastCheck) << c.mode << " " << c.result;
        EXPECT_EQ(db->flags(), 0x880u) << c.mode;  // defaults or the stores
        EXPECT_EQ(web->products(), std::vector<std::string>{"VNTPRO/2"});
    }
}

TEST_F(AdvisorStartupTest, AStartupReEnablesADisabledReminderWhenNoDialogShows) {
    Load("LastCheckDate=12 04,2006 15:04:33\r\nFrequency=30\r\nAutoLaunch=FALSE\r\n");
    ASSERT_EQ(web->WebStartup(kKey, 2), 1);
    EXPECT_EQ(machine.ui.remindersShown, 0);
    EXPECT_EQ(StoredOr("AutoLaunch"), "TRUE");
}

TEST_F(AdvisorStartupTest, BindingFillsTheIdentifiersOfTheInstallationAndItsPlugIns) {
    Load("Registration=R 1, R 2\r\nPlugInLst_GrpName=PlugIn_1,PlugIn_2,PlugIn_3,PlugIn_4,PlugIn_5,PlugIn_9\r\n",
         "[PlugIn_1]\r\nProgLocation=C:\\p\\one.dll\r\nSku=UA-ONE\r\n"
         "[PlugIn_2]\r\nProgLocation=C:\\p\\two.dll\r\nSku=XA TWO\r\n"
         "[PlugIn_3]\r\nProgLocation=C:\\p\\three.dll\r\nSku=UA-ONE\r\n"
         "[PlugIn_4]\r\nProgLocation=C:\\p\\four.dll\r\n"
         "[PlugIn_5]\r\nProgLocation=C:\\p\\five.dll\r\nSku=XA-FIVE\r\n");
    machine.files.Put("C:\\Vantrel\\bin\\vn_app.exe", "MZ");
    db->Entry(kKey)->ProgLocation = "  C:\\Vantrel\\bin\\vn_app.exe \t";
    versions.versions["C:\\p\\one.dll"] = {true, true, "1, 2, 0, 5"};
    versions.versions["C:\\p\\three.dll"] = {true, true, "1,2,0,5"};  // the same identifier: kept once
    versions.versions["C:\\p\\five.dll"] = {true, false, ""};         // read, but no US English block
    EXPECT_EQ(web->WebStartup(kKey, 1), 0);                           // the last version asked for was not found
    EXPECT_EQ(web->products(), (std::vector<std::string>{"VNTPRO/2", "UA-ONE-1.2.0.5", "XATWO", "XA-FIVE"}));
    EXPECT_EQ(web->installSku(), "VNT+PRO_2");
    EXPECT_EQ(web->productName(), "Vantrel");
    EXPECT_EQ(web->registration(), "R1,R2");
    EXPECT_EQ(web->installLocation(), "C:\\Vantrel\\bin\\vn_app.exe");
    EXPECT_EQ(versions.lookups.size(), 4u);  // PlugIn_4 has no Sku, PlugIn_9 no entry

    versions.versions["C:\\p\\five.dll"] = {true, true, "3.0"};
    EXPECT_EQ(web->WebStartup(kKey, 1), 1);
    EXPECT_EQ(web->products().back(), "XA-FIVE-3.0");
    versions.versions.erase("C:\\p\\five.dll");  // not loadable: its Sku alone, the result stays
    EXPECT_EQ(web->WebStartup(kKey, 1), 1);
    EXPECT_EQ(web->products().back(), "XA-FIVE");
}

TEST_F(AdvisorStartupTest, StartupRefusesUnknownKeysAndInstallationsWithoutSku) {
    LoadFile(HostSection() + "[VntInstallation_2]\r\nProgLocation=C:\\b\\x.exe\r\n");
    web = std::make_unique<WebSettings>(*db, machine.platform, db->services.records, config);
    ASSERT_TRUE(web->BindInstallation(kKey));
    EXPECT_EQ(web->WebStartup(nullptr, 0), 0);
    EXPECT_EQ(web->WebStartup("VntInstallation_7", 0), 0);
    EXPECT_EQ(web->currentKey(), kKey);  // a key not found leaves the binding
    EXPECT_EQ(web->WebStartup("VntInstallation_2", 0), 0);
    EXPECT_EQ(web->currentKey(), "VntInstallation_2");  // bound, defaults written, nothing else
    EXPECT_EQ(*db->Entry("VntInstallation_2")->extraProperties.find("Frequency"), "30");
    EXPECT_EQ(machine.ui.remindersShown, 0);
    // Update after such a start-up: no products, nothing opens, no date stored.
    EXPECT_EQ(web->WebUpdate("VntInstallation_2"), 1);
    EXPECT_TRUE(machine.shell.opened.empty());
}

TEST_F(AdvisorStartupTest, UpdateRemindsOpensAndStoresTheDateAfterALaunch) {
    Load("LastCheckDate=04 01,2000 00:00:00\r\nFrequency=30\r\n");
    ASSERT_EQ(web->WebStartup(kKey, 1), 1);
    Answer(1, 1);
    ASSERT_EQ(web->WebUpdate(kKey), 1);
    EXPECT_EQ(machine.ui.remindersShown, 1);
    EXPECT_EQ(machine.shell.opened.size(), 1u);
    EXPECT_EQ(StoredOr("LastCheckDate"), "12 04,2006 15:04:33");
    EXPECT_EQ(StoredOr("AutoLaunch"), "TRUE");  // the box is ignored here

    machine.shell.succeed = false;
    ASSERT_EQ(web->WebStartup(kKey, 1), 1);
    db->Entry(kKey)->extraProperties.set("LastCheckDate", "kept");
    ASSERT_EQ(web->WebUpdate(kKey), 1);
    EXPECT_EQ(StoredOr("LastCheckDate"), "kept");
}

TEST_F(AdvisorStartupTest, StartupForTheHostFollowsTheStoredAutoLaunch) {
    Load();
    const char* location = "C:\\\\Vantrel\\\\bin\\\\vn_app.exe";  // doubled backslashes are reduced
    EXPECT_EQ(web->WebStartupByVnt(location, "1.0"), 0);          // no AutoLaunch yet
    ASSERT_EQ(web->WebStartup(kKey, 1), 1);                       // writes the default TRUE
    Answer(1, 0);
    EXPECT_EQ(web->WebStartupByVnt(location, "1.0"), 1);
    EXPECT_EQ(machine.ui.remindersShown, 1);
    EXPECT_EQ(machine.shell.opened.size(), 1u);
    db->Entry(kKey)->extraProperties.set("AutoLaunch", "no");
    EXPECT_EQ(web->WebStartupByVnt(location, "1.0"), 1);
    EXPECT_EQ(machine.ui.remindersShown, 1);
    EXPECT_EQ(web->WebStartupByVnt(location, "0"), 0);
    EXPECT_EQ(web->WebStartupByVnt(nullptr, "1.0"), 0);
    EXPECT_EQ(web->WebStartupByVnt("C:\\other.exe", "1.0"), 0);
}

TEST_F(AdvisorStartupTest, AddProductKeepsOrderAndRefusesEmptyAndDuplicates) {
    Load();
    EXPECT_EQ(web->AddProduct(""), 0);
    EXPECT_EQ(web->AddProduct("A"), 1);
    EXPECT_EQ(web->AddProduct("B"), 1);
    EXPECT_EQ(web->AddProduct("A"), 0);
    EXPECT_EQ(web->AddProduct("a"), 1);
    EXPECT_EQ(web->products(), (std::vector<std::string>{"A", "B", "a"}));
}

TEST(CalendarSecondsTest, OutOfRangeFieldsRollOver) {
    auto at = [](int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
        std::tm t = {};
        t.tm_year = y - 1900;
        t.tm_mon = mo - 1;
        t.tm_mday = d;
        t.tm_hour = h;
        t.tm_min = mi;
        t.tm_sec = s;
        return CalendarSeconds(t);
    };
    EXPECT_EQ(at(1970, 1, 1), 0);
    EXPECT_EQ(at(2000, 4, 1), 954547200);
    EXPECT_EQ(at(2005, 13, 4), at(2006, 1, 4));
    EXPECT_EQ(at(2006, 11, 32), at(2006, 12, 2));
    EXPECT_EQ(at(2004, 2, 30), at(2004, 3, 1));  // leap year
    EXPECT_EQ(at(2005, 2, 29), at(2005, 3, 1));
    EXPECT_EQ(at(2006, 13, 32), at(2007, 2, 1));
    EXPECT_EQ(at(2006, 1, 1, 24, 60, 60), at(2006, 1, 2, 1, 1, 0));
    EXPECT_EQ(at(2006, 0, 1), at(2005, 12, 1));
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr

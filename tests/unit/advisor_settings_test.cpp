// The advisor's settings: defaults written once, the gate that admits only
// the bound installation, reading through caller buffers and writing back.
#include <cstring>

#include "advisor_test_util.h"

namespace comp_mgr {
namespace testing_support {
namespace {

constexpr const char* kKey = "VntInstallation_1";

class AdvisorSettingsTest : public AdvisorTest {};

TEST_F(AdvisorSettingsTest, DefaultsAreWrittenOnceAndMarkTheCatalog) {
    Load();
    ASSERT_TRUE(web->BindInstallation(kKey));
    db->ResetFlags(0);
    ASSERT_EQ(web->GetWebSettingWithDefault(kKey), 1);
    EXPECT_EQ(StoredOr("UrlBase"), "www.vendor.test");
    EXPECT_EQ(StoredOr("Section"), "apps/advisor");
    EXPECT_EQ(StoredOr("LastCheckDate"), "04 01,2000 00:00:00");
    EXPECT_EQ(StoredOr("Frequency"), "30");
    EXPECT_EQ(StoredOr("AutoLaunch"), "TRUE");
    EXPECT_EQ(web->frequency(), 30);
    EXPECT_EQ(web->autoLaunch(), 1);
    EXPECT_EQ(web->urlBase(), "www.vendor.test");
    EXPECT_EQ(db->flags(), 0x880u);

    db->ResetFlags(0);
    ASSERT_EQ(web->GetWebSettingWithDefault(kKey), 1);
    EXPECT_EQ(db->flags(), 0u);
}

TEST_F(AdvisorSettingsTest, StoredValuesAreReadAsTheyStand) {
    struct Case {
        std::string autoLaunch, frequency;
        int wantAutoLaunch, wantFrequency;
    } cases[] = {
        {"true", "7", 1, 7},
        {"yes", "7", 0, 7},
        {"TRUE", "abc", 1, 0},
        {"TRUE", "-5", 1, -5},
        {"FALSE", "12days", 0, 12},
        {"TRUE", "99999999999999", 1, 2147483647},  // saturates, as the C runtime's reading does
    };
    for (const auto& c : cases) {
        Load("AutoLaunch=" + c.autoLaunch + "\r\nFrequency=" + c.frequency + "\r\n");
        web->BindInstallation(kKey);
        ASSERT_EQ(web->GetWebSettingWithDefault(kKey), 1);
        EXPECT_EQ(web->autoLaunch(), c.wantAutoLaunch) << c.autoLaunch;
        EXPECT_EQ(web->frequency(), c.wantFrequency) << c.frequency;
    }
}

TEST_F(AdvisorSettingsTest, TheGateAdmitsOnlyTheBoundInstallation) {
    Load("", "[VntInstallation_2]\r\nDisplayName=two\r\n");
    int a = -1, f = -1;
    unsigned s1 = 10, s2 = 10;
    char t1[10] = "x", t2[10] = "y";
    // Before any binding nothing passes, not even the empty key.
    for (const char* key : {static_cast<const char*>(nullptr), "", kKey}) {
        EXPECT_EQ(web->GetWebSettingWithDefault(key), 0);
        EXPECT_EQ(web->WebGetSetting(key, &a, &f, &s1, t1, &s2, t2), 0);
        EXPECT_EQ(web->WebSetSetting(key, 1, 1, "h", "s"), 0);
        EXPECT_EQ(web->WebUpdate(key), 0);
        EXPECT_EQ(web->WebSupport(key), 0);
    }
    web->BindInstallation(kKey);
    db->ResetFlags(0);
    for (const char* key : {"vntinstallation_1", "VntInstallation_2", "VntInstallation_1 ", "PlugIn_1"}) {
        EXPECT_EQ(web->GetWebSettingWithDefault(key), 0) << key;
        EXPECT_EQ(web->WebGetSetting(key, &a, &f, &s1, t1, &s2, t2), 0) << key;
        EXPECT_EQ(web->WebSetSetting(key, 1, 1, "h", "s"), 0) << key;
    }
    EXPECT_EQ(a, -1);
    EXPECT_STREQ(t1, "x");
    EXPECT_EQ(db->flags(), 0u);
    EXPECT_EQ(Stored("UrlBase"), nullptr);
    // A bound key whose section left the catalog fails too.
    web->BindInstallation("VntInstallation_9");
    EXPECT_EQ(web->GetWebSettingWithDefault("VntInstallation_9"), 0);
    EXPECT_FALSE(web->BindInstallation(""));
    EXPECT_EQ(web->currentKey(), "");
}

TEST_F(AdvisorSettingsTest, GetSettingFollowsTheCallerBufferRule) {
    Load("UrlBase=host.test\r\nSection=sec\r\n");
    web->BindInstallation(kKey);
    web->GetWebSettingWithDefault(kKey);
    struct Case {
        unsigned size1;
        std::string text1;
        unsigned wantSize1;
        bool nul1;
    } cases[] = {
        {10, "host.test", 9, true},  // fits with its terminator
        {9, "host.test", 9, false},  // exactly the length: cut, no terminator, still true
        {4, "host", 4, false},      {1, "h", 1, false}, {0, "", 0, false},
    };
    for (const auto& c : cases) {
        char t1[16], t2[16];
        std::memset(t1, '#', sizeof t1);
        std::memset(t2, '#', sizeof t2);
        unsigned s1 = c.size1, s2 = 16;
        int a = -1, f = -1;
        ASSERT_EQ(web->WebGetSetting(kKey, &a, &f, &s1, t1, &s2, t2), 1) << c.size1;
        EXPECT_EQ(std::string(t1, c.text1.size()), c.text1);
        EXPECT_EQ(s1, c.wantSize1);
        EXPECT_EQ(t1[c.text1.size()], c.nul1 ? '\0' : '#') << c.size1;
        EXPECT_STREQ(t2, "sec");
        EXPECT_EQ(s2, 3u);
        EXPECT_EQ(a, 1);
        EXPECT_EQ(f, 30);
    }
    unsigned s = 4;
    char t[4];
    int a = 0;
    EXPECT_EQ(web->WebGetSetting(kKey, nullptr, &a, &s, t, &s, t), 0);
    EXPECT_EQ(web->WebGetSetting(kKey, &a, &a, &s, nullptr, &s, t), 0);
}

TEST_F(AdvisorSettingsTest, SetSettingAppliesAndWritesBackWhatDiffers) {
    Load(
        "UrlBase=Host.test\r\nSection=sec\r\nAutoLaunch=TRUE\r\nFrequency=30\r\n"
        "LastCheckDate=04 01,2000 00:00:00\r\n");
    web->BindInstallation(kKey);
    web->GetWebSettingWithDefault(kKey);

    // Only the letter case differs: the working copy changes, the entry and
    // the catalog's marks do not.
    db->ResetFlags(0);
    ASSERT_EQ(web->WebSetSetting(kKey, 1, 30, "HOST.TEST", "sec"), 1);
    EXPECT_EQ(web->urlBase(), "HOST.TEST");
    EXPECT_EQ(StoredOr("UrlBase"), "Host.test");
    EXPECT_EQ(db->flags(), 0u);
    EXPECT_NE(web->launchedMark() & kLaunchedBit, 0u);

    // Empty texts are ignored; AutoLaunch is TRUE only for exactly 1.
    ASSERT_EQ(web->WebSetSetting(kKey, 2, 7, "", ""), 1);
    EXPECT_EQ(web->autoLaunch(), 2);
    EXPECT_EQ(StoredOr("AutoLaunch"), "FALSE");
    EXPECT_EQ(StoredOr("Frequency"), "7");
    EXPECT_EQ(StoredOr("UrlBase"), "Host.test");
    EXPECT_EQ(db->flags(), 0x880u);

    // Any integer and any text are taken as given, stored whole.
    const std::string huge(10 * 1024, 'q');
    ASSERT_EQ(web->WebSetSetting(kKey, -1, -2147483647 - 1, "a \"quoted\" host", huge.c_str()), 1);
    EXPECT_EQ(StoredOr("Frequency"), "-2147483648");
    EXPECT_EQ(StoredOr("UrlBase"), "a \"quoted\" host");
    EXPECT_EQ(StoredOr("Section"), huge);
    ASSERT_EQ(web->WebSetSetting(kKey, 1, 1, nullptr, nullptr), 1);
    EXPECT_EQ(StoredOr("Section"), huge);
}

TEST_F(AdvisorSettingsTest, SetSettingWritesAMissingLastCheckDate) {
    Load();
    web->BindInstallation(kKey);
    web->GetWebSettingWithDefault(kKey);
    db->Entry(kKey)->extraProperties.erase("LastCheckDate");
    db->ResetFlags(0);
    ASSERT_EQ(web->WebSetSetting(kKey, 1, 30, "", ""), 1);
    EXPECT_EQ(StoredOr("LastCheckDate"), "04 01,2000 00:00:00");
    EXPECT_EQ(db->flags(), 0x880u);
}

TEST_F(AdvisorSettingsTest, ResetForgetsEverythingButTheLocation) {
    Load();
    web->BindInstallation(kKey);
    web->GetWebSettingWithDefault(kKey);
    web->SetLaunchState("R", "P", "S", "C:\\x\\y.exe", {"A"});
    web->ApplyValues(5, 5, "h", "s");
    web->ResetWebSettings();
    EXPECT_EQ(web->frequency(), 0);
    EXPECT_EQ(web->autoLaunch(), 0);
    EXPECT_EQ(web->launchedMark(), 1u);
    EXPECT_TRUE(web->products().empty());
    EXPECT_EQ(web->currentKey() + web->urlBase() + web->section() + web->lastCheckDate() + web->productName() +
                  web->installSku() + web->registration(),
              "");
    EXPECT_EQ(web->installLocation(), "C:\\x\\y.exe");
}

TEST(AdvisorConfigTest, TheShippedFileGivesTheAddressesAndTheTable) {
    const AdvisorConfig& shipped = AdvisorConfig::Shipped();
    EXPECT_FALSE(shipped.urlBase.empty());
    EXPECT_EQ(shipped.urlBase.find_first_of("/: "), std::string::npos);
    EXPECT_EQ(shipped.supportAddress.compare(0, 7, "http://"), 0);
    // 26 rows, the last one fixed.
    std::size_t rows = 0;
    for (char c : shipped.knownProductKeys) rows += c == '{';
    EXPECT_EQ(rows, 26u);
    const std::string last = "{0-1.00.00}";
    EXPECT_EQ(shipped.knownProductKeys.compare(shipped.knownProductKeys.size() - last.size(), last.size(), last), 0);

    const AdvisorConfig parsed = AdvisorConfig::Parse(
        "; comment\r\n[Addresses]\r\n UrlBase = a.test \r\nSupport=http://b\r\nJunk\r\n"
        "[KnownProductKeys]\r\n{X-1}\r\nnot a row\r\n{}\r\n{Y}\r\n");
    EXPECT_EQ(parsed.urlBase, "a.test");
    EXPECT_EQ(parsed.supportAddress, "http://b");
    EXPECT_EQ(parsed.knownProductKeys, "{X-1}{Y}");
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr

// Recording installations (InstallProduct) and plug-in records.
#include <clocale>

#include "link_fixture.h"
#include "services/records/time_stamp.h"

namespace comp_mgr {
namespace {

using testing_support::LinkFixture;

class InstallRecords : public LinkFixture {
protected:
    int Install(const char* location, const char* sdk = "2.0", const char* cpu = "alpha", const char* sku = "A",
                const char* display = "Vantrel", const char* folder = "C:\\Ide", const char* registration = "R1") {
        return db->services.records.InstallProduct(location, sdk, cpu, sku, display, folder, registration);
    }
    const char* kStamp = "Monday, December 04, 2006 15:04:33";
};

TEST_F(InstallRecords, ANewInstallationIsStampedMarkedAndMadeCurrent) {
    EXPECT_EQ(Install("C:\\Ide\\bin\\vn_app.exe"), 1);
    ASSERT_EQ(db->installationNames().items(), Names{"VntInstallation_1"});
    const CatalogEntry& e = *db->Entry("VntInstallation_1");
    EXPECT_EQ(e.LastAccessDate, std::string("(I) ") + kStamp);
    EXPECT_EQ(e.Status, kStatusRecordWriter | kStatusFoundOrCurrent);
    EXPECT_EQ(e.SdkVersion, 2.0);
    EXPECT_EQ(e.CpuSupport.items(), Names{"alpha"});
    EXPECT_EQ(e.Sku, "A");
    ASSERT_NE(e.extraProperties.find("Registration"), nullptr);
    EXPECT_EQ(*e.extraProperties.find("Registration"), "R1");
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagRecordCreated), kFlagModified | kFlagRecordCreated);
}

TEST_F(InstallRecords, MissingMandatoryArgumentsAreRefusedButNewPlugInsAreStillLinked) {
    Installation("VntInstallation_1", "*");
    ASSERT_NE(db->services.records.FindPlugInRecord("C:\\Ide\\plugins\\a.dll", "1.0", "alpha", "A"), nullptr);
    ASSERT_EQ(db->newPlugInNames().size(), 1u);
    EXPECT_EQ(db->services.records.InstallProduct(nullptr, "2.0", "alpha", "A", "n", "f", "r"), 0);
    EXPECT_EQ(db->services.records.InstallProduct("C:\\x\\y.exe", nullptr, "alpha", "A", "n", "f", "r"), 0);
    EXPECT_EQ(db->services.records.InstallProduct("C:\\x\\y.exe", "2.0", nullptr, "A", "n", "f", "r"), 0);
    EXPECT_EQ(db->services.records.InstallProduct("C:\\x\\y.exe", "2.0", "alpha", nullptr, "n", "f", "r"), 0);
    EXPECT_EQ(db->installationNames().size(), 1u);
    EXPECT_TRUE(db->newPlugInNames().empty());
    EXPECT_EQ(Links("VntInstallation_1"), Names{"PlugIn_1"});
}

TEST_F(InstallRecords, EmptyOrBadVersionsLocationsAndProcessorsCreateNothing) {
    for (const char* version : {"0", "abc", "inf", "nan", "1e400", "-2", "", " "})
        EXPECT_EQ(Install("C:\\Ide\\bin\\vn_app.exe", version), 0) << version;
    EXPECT_EQ(Install("", "2.0"), 0);
    EXPECT_EQ(Install("C:\\Ide\\bin\\vn_app.exe", "2.0", ""), 0);
    EXPECT_TRUE(db->installationNames().empty());
    EXPECT_EQ(db->flags() & kFlagRecordCreated, 0u);
}

TEST_F(InstallRecords, NullOptionalTextsReadAsEmpty) {
    EXPECT_EQ(
        db->services.records.InstallProduct("C:\\Ide\\bin\\vn_app.exe", "1.0", "alpha", "", nullptr, nullptr, nullptr),
        1);
    const CatalogEntry& e = *db->Entry("VntInstallation_1");
    EXPECT_EQ(e.DisplayName, "");
    EXPECT_EQ(e.SdkVersion, 1.0);
    EXPECT_EQ(e.Sku, "");
    ASSERT_NE(e.extraProperties.find("Registration"), nullptr);
    EXPECT_EQ(*e.extraProperties.find("Registration"), "");
}

TEST_F(InstallRecords, TheSameLocationInOtherLetterCaseOrDoubledBackslashesIsOneInstallation) {
    ASSERT_EQ(Install("C:\\Ide\\bin\\vn_app.exe"), 1);
    const std::string first = db->Entry("VntInstallation_1")->LastAccessDate;
    EXPECT_EQ(Install("c:\\\\IDE\\\\BIN\\\\vn_app.exe"), 1);
    EXPECT_EQ(db->installationNames().size(), 1u);
    EXPECT_EQ(db->Entry("VntInstallation_1")->LastAccessDate, first) << "nothing changed";

    machine.clock.Set(2007, 1, 2, 3, 4, 5);
    EXPECT_EQ(Install("C:\\Ide\\bin\\vn_app.exe", "2.0", "beta"), 1);
    const CatalogEntry& e = *db->Entry("VntInstallation_1");
    EXPECT_EQ(e.LastAccessDate, "(U) Tuesday, January 02, 2007 03:04:05");
    EXPECT_EQ(e.CpuSupport.items(), (Names{"alpha", "beta"}));
}

TEST_F(InstallRecords, SkuAndRegistrationListsAreMergedAndTidied) {
    ASSERT_EQ(Install("C:\\Ide\\bin\\vn_app.exe", "2.0", "alpha", "A,B", "n", "", "r1"), 1);
    db->ResetFlags(kFlagLoaded);
    ASSERT_EQ(Install("C:\\Ide\\bin\\vn_app.exe", "2.0", "alpha", ", B, C,", "n", "", " r2 ,r1"), 1);
    const CatalogEntry& e = *db->Entry("VntInstallation_1");
    EXPECT_EQ(e.Sku, "A,B,C");
    EXPECT_EQ(*e.extraProperties.find("Registration"), "r1,r2");
    EXPECT_NE(db->flags() & kFlagModified, 0u);
}

TEST_F(InstallRecords, PlugInRecords) {
    CatalogEntry* p =
        db->services.records.FindPlugInRecord("C:\\Ide\\plugins\\a.dll", "2.5", "alpha,beta", "Alpha tools");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Status, kStatusRecordWriter | kStatusCreatedOrRelinked);
    EXPECT_EQ(*p->extraProperties.find("Family_InstDate"), "Alpha tools");
    EXPECT_EQ(p->extraProperties.find("Registration"), nullptr);
    EXPECT_EQ(db->newPlugInNames().items(), Names{"PlugIn_1"});

    // Found again by location and name without regard to case, version exactly.
    EXPECT_EQ(db->services.records.FindPlugInRecord("c:\\ide\\PLUGINS\\a.dll", "2.50", "alpha", "ALPHA TOOLS"), p);
    EXPECT_NE(db->services.records.FindPlugInRecord("C:\\Ide\\plugins\\a.dll", "2.6", "alpha", "Alpha tools"), p);

    // A version not above 1.0 is stored as 1.0, so each call makes a further record.
    CatalogEntry* low = db->services.records.FindPlugInRecord("C:\\Ide\\plugins\\b.dll", "0.5", "alpha", "B");
    ASSERT_NE(low, nullptr);
    EXPECT_EQ(low->SdkVersion, 1.0);
    EXPECT_NE(db->services.records.FindPlugInRecord("C:\\Ide\\plugins\\b.dll", "0.5", "alpha", "B"), low);
    EXPECT_EQ(db->plugInNames().size(), 4u);

    EXPECT_EQ(db->services.records.FindPlugInRecord("C:\\Ide\\plugins\\c.dll", "2.0", "alpha", ""), nullptr);
    EXPECT_EQ(db->services.records.FindPlugInRecord("C:\\Ide\\plugins\\c.dll", "nan", "alpha", "C"), nullptr);
}

TEST_F(InstallRecords, UpdateRecordProcessorRules) {
    CatalogEntry& e = PlugIn("PlugIn_1", "A", "A");
    EXPECT_EQ(db->services.records.UpdateRecord(e, e.ProgLocation, "A", "1.0", "A"), 0) << "already an item";
    EXPECT_EQ(db->services.records.UpdateRecord(e, e.ProgLocation, "A", "1.0", "A,B"), 1);
    EXPECT_EQ(e.CpuSupport.items(), (Names{"A", "B"}));
    EXPECT_EQ(db->services.records.UpdateRecord(e, e.ProgLocation, "A", "1.0", "*"), 1);
    EXPECT_EQ(e.CpuSupport.items(), Names{"*"});
    EXPECT_EQ(db->services.records.UpdateRecord(e, "", "A", "1.0", "C"), 0);
    EXPECT_EQ(db->services.records.UpdateRecord(e, e.ProgLocation, "A", "abc", "C"), 0);
    EXPECT_EQ(e.CpuSupport.items(), Names{"*"});
}

TEST_F(InstallRecords, UpdateRecordTakesOnlyVersionsAboveOne) {
    // Versions of 1.0 and below never replace a stored one, nor count as a
    // change; any version above 1.0 that differs does.
    const struct {
        const char* sdk;
        int changed;
        double stored;
    } cases[] = {{"1.0", 0, 2.0},   {"1", 0, 2.0},   {"0.5", 0, 2.0}, {"-3", 0, 2.0},
                 {"1.01", 1, 1.01}, {"2.0", 0, 2.0}, {"3.5", 1, 3.5}};
    for (const auto& c : cases) {
        CatalogEntry& e = PlugIn("PlugIn_1", "A", "A", "", 2.0);
        EXPECT_EQ(db->services.records.UpdateRecord(e, e.ProgLocation, "A", c.sdk, "A"), c.changed) << c.sdk;
        EXPECT_DOUBLE_EQ(e.SdkVersion, c.stored) << c.sdk;
    }
}

TEST_F(InstallRecords, TimeStampsUseEnglishNamesWhateverTheLocale) {
    std::tm t{};
    t.tm_year = 106;
    t.tm_mon = 11;
    t.tm_mday = 4;
    t.tm_wday = 1;
    t.tm_hour = 15;
    t.tm_min = 4;
    t.tm_sec = 33;
    std::setlocale(LC_ALL, "de_DE.UTF-8");  // if installed; the result must not care
    EXPECT_EQ(FormatTimeStamp(kInstalledStamp, t), std::string("(I) ") + kStamp);
    std::setlocale(LC_ALL, "C");
    t.tm_wday = 99;
    t.tm_mon = -1;
    EXPECT_EQ(FormatTimeStamp(kUpdatedStamp, t), "(U) Monday, December 04, 2006 15:04:33") << "wrapped, not read past";
}

}  // namespace
}  // namespace comp_mgr

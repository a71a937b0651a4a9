// The catalog's data model as the file fills it: section kinds and numbers,
// and what SetProperty keeps, replaces, splits and clears.
#include <limits>

#include "catalog_test_util.h"

namespace comp_mgr {
namespace testing_support {
namespace {

using CatalogModelTest = CatalogTest;

TEST(SectionKindTest, PrefixesAreExactAndCaseSensitive) {
    EXPECT_EQ(ComponentDatabase::SectionKind("VntInstallation_3"), kKindInstallation);
    EXPECT_EQ(ComponentDatabase::SectionKind("VntInstallation_"), kKindInstallation);
    EXPECT_EQ(ComponentDatabase::SectionKind("PlugIn_abc"), kKindPlugIn);
    EXPECT_EQ(ComponentDatabase::SectionKind("VntInstallation"), kKindOther);
    EXPECT_EQ(ComponentDatabase::SectionKind("PlugIn"), kKindOther);
    EXPECT_EQ(ComponentDatabase::SectionKind("plugin_3"), kKindOther);
    EXPECT_EQ(ComponentDatabase::SectionKind(""), kKindOther);
}

TEST_F(CatalogModelTest, FirstHeaderSetsTheHighestNumberAndNewNamesFollowIt) {
    ComponentDatabase& d = LoadFile(
        "[VntInstallation_7]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\n"
        "[PlugIn_abc]\r\nDisplayName=x\r\n[PlugIn_3]\r\nDisplayName=y\r\n");
    EXPECT_EQ(d.maxInstallationNumber(), 7);
    EXPECT_EQ(d.maxPlugInNumber(), 3);
    EXPECT_EQ(d.MakeNewSectionName(kKindInstallation), "VntInstallation_8");
    EXPECT_EQ(d.maxInstallationNumber(), 8);
    EXPECT_EQ(d.MakeNewSectionName(kKindPlugIn), "PlugIn_4");
    // PlugIn_abc counts as a plug-in with number 0.
    EXPECT_EQ(d.CountByKind(kKindPlugIn), 2);
}

TEST_F(CatalogModelTest, AtTheTopOfTheRangeNewRecordsTakeFreeNumbersAndAreSaved) {
    // A section numbered 2147483647 leaves no number above it that the file
    // can hold; new records must still get names the save writes.
    const struct {
        int kind;
        const char* top;
        std::vector<std::string> expected;
    } cases[] = {
        {kKindPlugIn,
         "[PlugIn_2147483647]\r\nProgLocation=C:\\p\\top.dll\r\n[PlugIn_2]\r\nDisplayName=y\r\n",
         {"PlugIn_1", "PlugIn_3"}},
        {kKindInstallation,
         "[VntInstallation_2147483647]\r\nProgLocation=C:\\i\\top.exe\r\n",
         {"VntInstallation_2", "VntInstallation_3"}},
    };
    for (const auto& c : cases) {
        ComponentDatabase& d = LoadFile(HostSection() + c.top);
        std::vector<std::string> made;
        for (int i = 0; i < 2; ++i) {
            const std::string location = "C:\\new\\" + std::to_string(i) + ".dll";
            CatalogEntry* e = db->services.records.AddOrUpdateRecord(location, "2.0", "*", "New " + std::to_string(i),
                                                                     c.kind, FoundRecord::kUpdate, "");
            ASSERT_NE(e, nullptr);
            for (const auto& item : d.entries())
                if (&item.value() == e) made.push_back(item.key());
        }
        EXPECT_EQ(made, c.expected) << c.top;
        EXPECT_EQ(d.Save(), 1);
        const std::string saved = machine.files.Get(TestMachine::kDbPath);
        for (const std::string& name : c.expected) EXPECT_NE(saved.find("[" + name + "]"), std::string::npos) << name;
    }
}

TEST_F(CatalogModelTest, SdkVersionOnlyRisesAboveOne) {
    ComponentDatabase& d = LoadFile(HostSection() +
                                    "[PlugIn_1]\r\nSdkVersion=1.0\r\n"
                                    "[PlugIn_2]\r\nSdkVersion=2.50\r\nSdkVersion=0.5\r\nSdkVersion=abc\r\n"
                                    "[PlugIn_3]\r\nSdkVersion=-4\r\nSdkVersion=3.25\r\n");
    EXPECT_DOUBLE_EQ(d.Entry("PlugIn_1")->SdkVersion, 1.0);
    EXPECT_DOUBLE_EQ(d.Entry("PlugIn_2")->SdkVersion, 2.5);
    EXPECT_DOUBLE_EQ(d.Entry("PlugIn_3")->SdkVersion, 3.25);
}

TEST_F(CatalogModelTest, StringFieldsIgnoreChangesOfLetterCaseOnly) {
    ComponentDatabase& d = LoadFile(HostSection() +
                                    "[PlugIn_1]\r\nDisplayName=abc\r\nDisplayName=ABC\r\n"
                                    "Sku=one\r\nSku=two\r\n");
    EXPECT_EQ(d.Entry("PlugIn_1")->DisplayName, "abc");
    EXPECT_EQ(d.Entry("PlugIn_1")->Sku, "two");
}

TEST_F(CatalogModelTest, ListsSplitAtCommasKeepBlanksAndOnlyGrow) {
    ComponentDatabase& d = LoadFile(HostSection() +
                                    "[PlugIn_1]\r\nCpuSupport=a,b,a\r\nCpuSupport=b,c\r\n"
                                    "[PlugIn_2]\r\nCpuSupport=a, b\r\nPlugInLst_GrpName=g,,h\r\nCpuSupport=\r\n");
    EXPECT_EQ(d.Entry("PlugIn_1")->CpuSupport, (StringList{"a", "b", "c"}));
    EXPECT_EQ(d.Entry("PlugIn_2")->CpuSupport, (StringList{"a", " b"}));
    EXPECT_EQ(d.Entry("PlugIn_2")->PlugInLst_GrpName, (StringList{"g", "", "h"}));
}

TEST_F(CatalogModelTest, StatusBitsThatDescribeARunDoNotSurviveTheFile) {
    ComponentDatabase& d = LoadFile(HostSection() +
                                    "[PlugIn_1]\r\nStatus=3\r\n"
                                    "[PlugIn_2]\r\nStatus=27\r\n"
                                    "[VntInstallation_2]\r\nStatus=3\r\n"
                                    "[VntInstallation_3]\r\nStatus=259\r\n"
                                    "[VntInstallation_4]\r\nstatus=5\r\n");
    EXPECT_EQ(d.Entry("PlugIn_1")->Status, 0);
    EXPECT_EQ(d.Entry("PlugIn_2")->Status, 0x18);
    EXPECT_EQ(d.Entry("VntInstallation_2")->Status, 3);
    EXPECT_EQ(d.Entry("VntInstallation_3")->Status, 3);
    const CatalogEntry* lower = d.Entry("VntInstallation_4");
    EXPECT_EQ(lower->Status, 0);
    ASSERT_NE(lower->extraProperties.find("status"), nullptr);
    EXPECT_EQ(*lower->extraProperties.find("status"), "5");
}

TEST_F(CatalogModelTest, StatusBitsAreClearedByLaterLinesToo) {
    // The bits fall whatever key comes after Status.
    ComponentDatabase& d = LoadFile(HostSection() + "[PlugIn_1]\r\nStatus=3\r\nHelpFile=h\r\n");
    EXPECT_EQ(d.Entry("PlugIn_1")->Status, 0);
    d.Entry("PlugIn_1")->Status = 3;
    d.SetProperty("PlugIn_1", "HelpFile", "h2");
    EXPECT_EQ(d.Entry("PlugIn_1")->Status, 0);
}

TEST_F(CatalogModelTest, FamilyInstallDateFillsNamesOnlyWhenEmpty) {
    ComponentDatabase& d = LoadFile(HostSection() +
                                    "[PlugIn_1]\r\nFamily_InstDate=x\r\n"
                                    "[PlugIn_2]\r\nDisplayName=named\r\nFamily_InstDate=x\r\n"
                                    "[VntInstallation_2]\r\nFamily_InstDate=x\r\n"
                                    "[VntInstallation_3]\r\nDisplayName=d\r\nLastAccessDate=l\r\nFamily_InstDate=x\r\n"
                                    "[Other]\r\nFamily_InstDate=x\r\n");
    EXPECT_EQ(d.Entry("PlugIn_1")->DisplayName, "x");
    EXPECT_EQ(d.Entry("PlugIn_1")->LastAccessDate, "");
    EXPECT_EQ(d.Entry("PlugIn_2")->DisplayName, "named");
    EXPECT_EQ(d.Entry("VntInstallation_2")->DisplayName, "VntInstallation_2");
    EXPECT_EQ(d.Entry("VntInstallation_2")->LastAccessDate, "x");
    EXPECT_EQ(d.Entry("VntInstallation_3")->DisplayName, "d");
    EXPECT_EQ(d.Entry("VntInstallation_3")->LastAccessDate, "l");
    EXPECT_EQ(d.Entry("Other")->DisplayName, "");
    for (const char* name : {"PlugIn_1", "VntInstallation_2", "Other"})
        EXPECT_EQ(*d.Entry(name)->extraProperties.find("Family_InstDate"), "x") << name;
}

TEST_F(CatalogModelTest, OtherKeysGoToExtraPropertiesAndReplaceEarlierValues) {
    ComponentDatabase& d = LoadFile(HostSection() + "[PlugIn_1]\r\nRegistration=r1\r\nUrlBase=a\r\nUrlBase=b\r\n");
    const CatalogEntry* e = d.Entry("PlugIn_1");
    EXPECT_EQ(*e->extraProperties.find("Registration"), "r1");
    EXPECT_EQ(*e->extraProperties.find("UrlBase"), "b");
    EXPECT_EQ(e->extraProperties.size(), 2u);
}

TEST_F(CatalogModelTest, ClearEmptiesEverything) {
    ComponentDatabase& d = LoadFile(HostSection() + "[PlugIn_1]\r\nDisplayName=x\r\n");
    d.Clear();
    EXPECT_EQ(d.flags(), 0u);
    EXPECT_TRUE(d.iniPath().empty());
    EXPECT_TRUE(d.entries().empty());
    EXPECT_EQ(d.CountByKind(kKindInstallation), 0);
    EXPECT_EQ(d.CountByKind(kKindPlugIn), 0);
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr

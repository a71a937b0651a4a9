// Counting and reading catalog entries by index and by section name, and
// handing names out through a caller's buffer.
#include <cstring>

#include "catalog_test_util.h"
#include "support/text_output.h"

namespace comp_mgr {
namespace testing_support {
namespace {

class CatalogQueriesTest : public CatalogTest {
protected:
    CatalogQueriesTest() {
        LoadFile("[VntInstallation_3]\r\nDisplayName=three\r\n" + HostSection("VntInstallation_1") +
                 "[VntInstallation_2]\r\nDisplayName=two\r\n"
                 "[PlugIn_3]\r\nDisplayName=p3\r\nCpuSupport=A\r\nUrlBase=u\r\n"
                 "[Other]\r\nDisplayName=other\r\n");
    }
};

TEST_F(CatalogQueriesTest, CountsByKind) {
    EXPECT_EQ(db->CountByKind(kKindInstallation), 3);
    EXPECT_EQ(db->CountByKind(kKindPlugIn), 1);
    EXPECT_EQ(db->CountByKind(2), -1);
    EXPECT_EQ(db->CountByKind(-1), -1);
}

TEST_F(CatalogQueriesTest, IndexFollowsFirstAppearance) {
    CatalogEntry entry;
    std::string name;
    const char* expected[] = {"VntInstallation_3", "VntInstallation_1", "VntInstallation_2"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(db->GetEntryByIndex(kKindInstallation, i, name, entry), 1);
        EXPECT_EQ(name, expected[i]);
    }
    EXPECT_EQ(entry.DisplayName, "two");
    name = "unchanged";
    EXPECT_EQ(db->GetEntryByIndex(kKindInstallation, 3, name, entry), 0);
    EXPECT_EQ(db->GetEntryByIndex(kKindInstallation, -1, name, entry), 0);
    EXPECT_EQ(name, "unchanged");
    ASSERT_EQ(db->GetEntryByIndex(kKindPlugIn, 0, name, entry), 1);
    EXPECT_EQ(name, "PlugIn_3");
    EXPECT_EQ(*entry.extraProperties.find("UrlBase"), "u");
}

TEST_F(CatalogQueriesTest, BadKindLooksUpTheNameItWasGiven) {
    CatalogEntry entry;
    std::string name;
    EXPECT_EQ(db->GetEntryByIndex(2, 5, name, entry), 0);  // no empty section here
    name = "Other";
    EXPECT_EQ(db->GetEntryByIndex(7, 0, name, entry), 1);
    EXPECT_EQ(entry.DisplayName, "other");

    LoadFile("orphan=1\r\n" + HostSection());
    name.clear();
    EXPECT_EQ(db->GetEntryByIndex(2, 12345, name, entry), 1);
    EXPECT_EQ(*entry.extraProperties.find("orphan"), "1");
}

TEST_F(CatalogQueriesTest, KeyLookupIsExactAndLimitedToTheTwoKinds) {
    CatalogEntry* found = nullptr;
    EXPECT_EQ(db->FindCatalogEntry("PlugIn_3", &found), 1);
    EXPECT_EQ(found, db->Entry("PlugIn_3"));  // the stored entry itself
    CatalogEntry* untouched = reinterpret_cast<CatalogEntry*>(0x1);
    EXPECT_EQ(db->FindCatalogEntry("pLUGIN_3", &untouched), 0);
    EXPECT_EQ(db->FindCatalogEntry("Other", &untouched), 0);
    EXPECT_EQ(db->FindCatalogEntry(nullptr, &untouched), 0);
    EXPECT_EQ(untouched, reinterpret_cast<CatalogEntry*>(0x1));

    CatalogEntry entry;
    EXPECT_EQ(db->GetEntryByKey("VntInstallation_2", &entry), 1);
    EXPECT_EQ(entry.DisplayName, "two");
    EXPECT_EQ(db->GetEntryByKey("VntInstallation_2", nullptr), 0);
    EXPECT_EQ(db->GetEntryByKey(nullptr, &entry), 0);
    EXPECT_EQ(db->GetEntryByKey("Other", &entry), 0);
}

TEST_F(CatalogQueriesTest, CopiesAreIndependentOfTheCatalog) {
    CatalogEntry copy;
    ASSERT_EQ(db->GetEntryByKey("PlugIn_3", &copy), 1);
    copy.DisplayName = "changed";
    copy.CpuSupport.push_back("B");
    copy.extraProperties.set("UrlBase", "other");
    std::string name;
    CatalogEntry byIndex;
    ASSERT_EQ(db->GetEntryByIndex(kKindPlugIn, 0, name, byIndex), 1);
    byIndex.Status = 99;
    const CatalogEntry* stored = db->Entry("PlugIn_3");
    EXPECT_EQ(stored->DisplayName, "p3");
    EXPECT_EQ(stored->CpuSupport, (StringList{"A"}));
    EXPECT_EQ(*stored->extraProperties.find("UrlBase"), "u");
    EXPECT_EQ(stored->Status, 0);
}

TEST_F(CatalogQueriesTest, NameThatExactlyFillsTheBufferIsCutButTheEntryIsFilled) {
    LoadFile(HostSection("VntInstallation_1") + "[PlugIn_123456789]\r\nDisplayName=long\r\n");
    ASSERT_EQ(std::strlen("PlugIn_123456789"), 16u);
    CatalogEntry entry;
    std::string name;
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    unsigned size = 16;
    ASSERT_EQ(db->GetEntryByIndex(kKindPlugIn, 0, name, entry), 1);
    EXPECT_FALSE(CopyTextOut(name, &size, buffer));
    EXPECT_EQ(size, 16u);
    EXPECT_EQ(std::string(buffer, 17), "PlugIn_123456789#");
    EXPECT_EQ(entry.DisplayName, "long");

    size = 17;
    EXPECT_TRUE(CopyTextOut(name, &size, buffer));
    EXPECT_EQ(size, 16u);
    EXPECT_STREQ(buffer, "PlugIn_123456789");
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr

// Replacing one Sku item (bUpdateVNT), finding an installation's key
// (bGetKeyVNT) and the comma-list rules behind them.
#include "catalog/comma_list.h"
#include "link_fixture.h"

namespace comp_mgr {
namespace {

using testing_support::LinkFixture;

class SkuRecords : public LinkFixture {
protected:
    void SetUp() override {
        CatalogEntry& e = Installation("VntInstallation_3", "alpha", 2.0);
        e.ProgLocation = "C:\\Ide\\bin";
        e.Sku = "A,B,C";
        e.DisplayName = "Vantrel";
    }
    int Replace(const char* oldToken, const char* newToken, const char* display = nullptr, const char* sdk = "2.0",
                const char* location = "C:\\Ide\\bin") {
        return db->services.records.ReplaceSkuToken(location, sdk, oldToken, newToken, display);
    }
    CatalogEntry& Entry() { return *db->Entry("VntInstallation_3"); }
};

TEST_F(SkuRecords, ReplacesTheFirstOccurrenceAsASubstring) {
    db->ResetFlags(kFlagLoaded);
    EXPECT_EQ(Replace("B", "D"), 1);
    EXPECT_EQ(Entry().Sku, "A,D,C");
    EXPECT_EQ(Entry().LastAccessDate, "(U) Monday, December 04, 2006 15:04:33");
    EXPECT_EQ(db->flags() & (kFlagModified | kFlagLinksChanged), kFlagModified | kFlagLinksChanged);

    Entry().Sku = "AB,C";
    EXPECT_EQ(Replace("A", "D"), 1) << "not a whole-item match";
    EXPECT_EQ(Entry().Sku, "DB,C");
    EXPECT_EQ(Replace("DB", " X , "), 1);
    EXPECT_EQ(Entry().Sku, "X,,C") << "normalised after the replacement";
}

TEST_F(SkuRecords, RefusalsLeaveTheSkuAlone) {
    EXPECT_EQ(Replace(nullptr, "D"), 0);
    EXPECT_EQ(Replace("B", nullptr), 0);
    EXPECT_EQ(Replace("B", "B"), 0);
    EXPECT_EQ(Replace("", "D"), 0);
    EXPECT_EQ(Replace("B", ""), 0);
    EXPECT_EQ(Replace("Z", "D"), 0);
    EXPECT_EQ(Replace("A,B,C,D", "D"), 0) << "longer than the Sku";
    EXPECT_EQ(Replace("b", "D"), 0) << "case-sensitive search";
    EXPECT_EQ(Replace("B", "b"), 0) << "the same Sku without regard to case";
    EXPECT_EQ(Replace("B", "D", nullptr, "abc"), 0);
    EXPECT_EQ(Replace("B", "D", nullptr, nullptr), 0);
    EXPECT_EQ(Replace("B", "D", nullptr, "2.0", "C:\\Other"), 0);
    EXPECT_EQ(Replace("B", "D", nullptr, "2.0", nullptr), 0);
    Entry().Sku.clear();
    EXPECT_EQ(Replace("B", "D"), 0);
    EXPECT_EQ(Entry().LastAccessDate, "");
}

TEST_F(SkuRecords, AlsoUpdatesVersionAndDisplayName) {
    EXPECT_EQ(Replace("B", "D", "New name", "3.5"), 1);
    EXPECT_EQ(Entry().SdkVersion, 3.5);
    EXPECT_EQ(Entry().DisplayName, "New name");
    EXPECT_EQ(Replace("D", "E", "", "0.5"), 1);
    EXPECT_EQ(Entry().SdkVersion, 3.5);
    EXPECT_EQ(Entry().DisplayName, "New name");
}

TEST_F(SkuRecords, ASecondChangeInTheSameSecondStillReportsSuccess) {
    EXPECT_EQ(Replace("B", "D"), 1);
    EXPECT_EQ(Replace("D", "E"), 1);
    EXPECT_EQ(Entry().Sku, "A,E,C");
}

TEST_F(SkuRecords, FindInstallationKey) {
    std::string name;
    EXPECT_EQ(db->services.records.FindInstallationKey("c:\\\\ide\\\\BIN", "7", &name), &Entry())
        << "version only has to be positive";
    EXPECT_EQ(name, "VntInstallation_3");
    for (const char* version : {"0", "-1", "abc", "inf", "nan", "1e400"}) {
        EXPECT_EQ(db->services.records.FindInstallationKey("C:\\Ide\\bin", version, &name), nullptr) << version;
        EXPECT_EQ(name, "");
    }
    EXPECT_EQ(db->services.records.FindInstallationKey(nullptr, "2", &name), nullptr);
    EXPECT_EQ(db->services.records.FindInstallationKey("C:\\Ide\\bin", nullptr, nullptr), nullptr);
    EXPECT_EQ(db->services.records.FindInstallationKey("C:\\Ide\\bin\\", "2", &name), nullptr);
}

TEST(CommaList, Normalising) {
    EXPECT_EQ(NormaliseCommaText(", a b ,"), "ab");
    EXPECT_EQ(NormaliseCommaText(",,a,,"), ",a,");
    EXPECT_EQ(NormaliseCommaText(","), "");
    EXPECT_EQ(NormaliseCommaText(""), "");
    EXPECT_EQ(NormaliseCommaText("a\t,b"), "a\t,b") << "only blanks go";
}

TEST(CommaList, TokenListLooksOnlyAtTheFirstOccurrence) {
    EXPECT_TRUE(TokenListContains("A,B,C", "B"));
    EXPECT_TRUE(TokenListContains("A,B,C", "A"));
    EXPECT_TRUE(TokenListContains("A,B,C", "C"));
    EXPECT_FALSE(TokenListContains("AB,C", "B"));
    EXPECT_FALSE(TokenListContains("AB,B", "B")) << "first occurrence inside AB";
    EXPECT_FALSE(TokenListContains("A,BC", "B"));
    std::string text;
    TokenListAppend(text, "r1");
    TokenListAppend(text, "r1");
    TokenListAppend(text, "r2");
    EXPECT_EQ(text, "r1,r2");
    std::string empty;
    TokenListAppend(empty, "");
    EXPECT_EQ(empty, "");
}

TEST(CommaList, MergeKeepsExistingOrderAndDropsRepeats) {
    EXPECT_EQ(MergeCommaTexts("A,B", ", B, C,"), "A,B,C");
    EXPECT_EQ(MergeCommaTexts("", "C,A,C"), "C,A");
    EXPECT_EQ(MergeCommaTexts("A", ""), "A");
    EXPECT_EQ(MergeCommaTexts("A", " , "), "A");
    EXPECT_EQ(MergeCommaTexts("A,,B", "C,,D"), "A,,B,C,D") << "stored items stay as they are";
}

}  // namespace
}  // namespace comp_mgr

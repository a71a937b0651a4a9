#include "services/versions/version.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/memory_file_versions.h"
#include "support/version_resource.h"

namespace comp_mgr {
namespace {

using testing_support::EightValues;
using testing_support::Encode;
using testing_support::TextValue;
using testing_support::VersionNode;
using testing_support::VersionRoot;
using Tables = std::vector<std::pair<std::u16string, std::vector<VersionNode>>>;
using Words = std::vector<std::uint16_t>;

constexpr const char* kPath = "C:\\Vantrel\\bin\\plug.dll";

std::vector<VersionNode> Without(std::vector<VersionNode> values, const std::u16string& key) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (it->key == key) {
            values.erase(it);
            break;
        }
    }
    return values;
}

std::vector<VersionNode> WithZeroLength(std::vector<VersionNode> values, const std::u16string& key) {
    for (VersionNode& v : values) {
        if (v.key == key) v.valueLength = 0;
    }
    return values;
}

struct LoadCase {
    const char* name;
    Tables tables;
    std::optional<Words> translation;
    bool loaded;
    // Every code recorded, with its FileVersion.
    std::vector<std::pair<TranslationCode, std::string>> recorded;
};

TEST(VersionTest, LoadRecordsEveryCompleteTranslationTheFileLists) {
    const LoadCase cases[] = {
        {"all eight strings",
         {{u"040904B0", EightValues(u"us")}},
         Words{0x0409, 0x04B0},
         true,
         {{0x040904B0, "FileVersion of us"}}},
        {"no LegalCopyright",
         {{u"040904B0", Without(EightValues(u"us"), u"LegalCopyright")}},
         Words{0x0409, 0x04B0},
         false,
         {}},
        {"no CompanyName",
         {{u"040904B0", Without(EightValues(u"us"), u"CompanyName")}},
         Words{0x0409, 0x04B0},
         false,
         {}},
        {"a value of length zero is present and empty",
         {{u"040904B0", WithZeroLength(EightValues(u"us"), u"FileVersion")}},
         Words{0x0409, 0x04B0},
         true,
         {{0x040904B0, ""}}},
        {"two translations",
         {{u"040704E4", EightValues(u"de")}, {u"040904B0", EightValues(u"us")}},
         Words{0x0407, 0x04E4, 0x0409, 0x04B0},
         true,
         {{0x040704E4, "FileVersion of de"}, {0x040904B0, "FileVersion of us"}}},
        {"one incomplete among two",
         {{u"040704E4", Without(EightValues(u"de"), u"ProductName")}, {u"040904B0", EightValues(u"us")}},
         Words{0x0407, 0x04E4, 0x0409, 0x04B0},
         false,
         {{0x040904B0, "FileVersion of us"}}},
        {"a table of 6 bytes gives one pair",
         {{u"040904B0", EightValues(u"us")}, {u"040704E4", EightValues(u"de")}},
         Words{0x0409, 0x04B0, 0x0407},
         true,
         {{0x040904B0, "FileVersion of us"}}},
        {"a translation without its table",
         {{u"040904B0", EightValues(u"us")}},
         Words{0x0409, 0x04B0, 0x040C, 0x04E4},
         false,
         {{0x040904B0, "FileVersion of us"}}},
        {"a table the translation array does not list", {{u"040704E4", EightValues(u"de")}}, Words{}, true, {}},
        {"no translation array", {{u"040904B0", EightValues(u"us")}}, std::nullopt, false, {}},
        {"the table's key in lower case",
         {{u"040904b0", EightValues(u"us")}},
         Words{0x0409, 0x04B0},
         true,
         {{0x040904B0, "FileVersion of us"}}},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileVersions versions;
        versions.SetResource(kPath, Encode(VersionRoot(c.tables, c.translation)));
        CVersion version(versions);
        EXPECT_EQ(version.Load(kPath), c.loaded);
        EXPECT_EQ(version.stringInfos().size(), c.recorded.size());
        for (const auto& r : c.recorded) {
            std::string text = "untouched";
            EXPECT_TRUE(version.GetFileVersion(r.first, text));
            EXPECT_EQ(text, r.second);
        }
        // The fixed record is copied whenever the information could be read.
        EXPECT_EQ(std::string(version.fixedInfo().begin(), version.fixedInfo().end()),
                  testing_support::FixedInfo(1, 2, 3, 4));
    }
}

TEST(VersionTest, AnIncompleteTranslationIsNotRecordedEvenWithItsFileVersion) {
    MemoryFileVersions versions;
    versions.SetResource(kPath, Encode(VersionRoot({{u"040904B0", Without(EightValues(u"us"), u"LegalCopyright")}},
                                                   Words{0x0409, 0x04B0})));
    CVersion version(versions);
    EXPECT_FALSE(version.Load(kPath));
    std::string text = "untouched";
    EXPECT_FALSE(version.GetFileVersion(kUsEnglishUnicode, text));
    EXPECT_EQ(text, "untouched");
}

TEST(VersionTest, StringsAreTheCodePageTextUpToTheirTerminator) {
    std::vector<VersionNode> values = EightValues(u"us");
    values[2] = TextValue(u"FileVersion", u"2.1\u00E9\u0100", false);  // stored without its NUL
    values[4] = TextValue(u"LegalCopyright", u"\u00A9 Kovra", true);
    MemoryFileVersions versions;
    versions.SetResource(kPath, Encode(VersionRoot({{u"040904B0", values}}, Words{0x0409, 0x04B0})));
    CVersion version(versions);
    ASSERT_TRUE(version.Load(kPath));
    const CVersionStringInfo& info = version.stringInfos().at(kUsEnglishUnicode);
    EXPECT_EQ(info.FileVersion,
              "2.1\xE9"
              "A");
    EXPECT_EQ(info.LegalCopyright, "\xA9 Kovra");
    EXPECT_EQ(info.CompanyName, "CompanyName of us");
    EXPECT_EQ(info.ProductVersion, "ProductVersion of us");
}

TEST(VersionTest, LoadsAddToWhatEarlierLoadsRecorded) {
    MemoryFileVersions versions;
    versions.SetResource("C:\\a.dll", Encode(VersionRoot({{u"040904B0", EightValues(u"a")}}, Words{0x0409, 0x04B0})));
    versions.SetResource("C:\\b.dll",
                         Encode(VersionRoot({{u"040904B0", EightValues(u"b")}, {u"040704E4", EightValues(u"b")}},
                                            Words{0x0409, 0x04B0, 0x0407, 0x04E4})));
    CVersion version(versions);
    EXPECT_TRUE(version.Load("C:\\a.dll"));
    EXPECT_FALSE(version.Load("C:\\missing.dll"));
    EXPECT_EQ(version.stringInfos().size(), 1u);  // a failed load keeps what there was
    EXPECT_TRUE(version.Load("C:\\b.dll"));
    EXPECT_EQ(version.stringInfos().size(), 2u);
    std::string text;
    EXPECT_TRUE(version.GetFileVersion(kUsEnglishUnicode, text));
    EXPECT_EQ(text, "FileVersion of b");  // replaced by the later load
}

TEST(VersionTest, AFileWhoseInformationCannotBeReadLoadsNothing) {
    MemoryFileVersions versions;
    versions.SetResource(kPath, testing_support::StandardVersionResource());
    versions.SetReadFails(kPath);
    CVersion version(versions);
    EXPECT_FALSE(version.Load(kPath));
    EXPECT_TRUE(version.stringInfos().empty());
    EXPECT_EQ(versions.reads(), 1);
}

TEST(VersionTest, QueryPathsNameTheCodeInEightUpperCaseDigits) {
    EXPECT_EQ(CVersion::StringPath(0x040904B0, 2), "\\StringFileInfo\\040904B0\\FileVersion");
    EXPECT_EQ(CVersion::StringPath(0x000004e4, 0), "\\StringFileInfo\\000004E4\\CompanyName");
    EXPECT_EQ(CVersion::StringPath(0xFFFFFFFF, 7), "\\StringFileInfo\\FFFFFFFF\\ProductVersion");
}

}  // namespace
}  // namespace comp_mgr

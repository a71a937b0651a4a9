#include "platform/memory/memory_file_versions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/version_resource.h"

namespace comp_mgr {
namespace {

using testing_support::EightValues;
using testing_support::Encode;
using testing_support::StandardVersionResource;
using testing_support::TextValue;
using testing_support::VersionNode;
using testing_support::VersionRoot;

constexpr const char* kPath = "C:\\Tools\\plug.dll";

struct Query {
    std::string subBlock;
    bool found;
    std::uint32_t length;
    std::string bytes;
};

class MemoryFileVersionsTest : public ::testing::Test {
protected:
    VersionBlock Read(const std::string& resource) {
        versions.SetResource(kPath, resource);
        VersionBlock block;
        const std::uint32_t size = versions.InfoSize(kPath);
        EXPECT_EQ(size, resource.size() * 2 + 4);
        EXPECT_TRUE(versions.ReadInfo(kPath, size, &block));
        return block;
    }
    void Check(const std::string& resource, const std::vector<Query>& queries) {
        VersionBlock block = Read(resource);
        for (const Query& q : queries) {
            VersionValue value;
            value.length = 99;
            EXPECT_EQ(versions.QueryValue(block, q.subBlock, &value), q.found) << q.subBlock;
            EXPECT_EQ(value.length, q.length) << q.subBlock;
            EXPECT_EQ(value.bytes, q.bytes) << q.subBlock;
        }
    }
    MemoryFileVersions versions;
};

std::string Z(const std::string& text) {
    return text + std::string(1, '\0');
}

TEST_F(MemoryFileVersionsTest, QueriesOfTheUsualResourceFindItsValues) {
    Check(StandardVersionResource(),
          {
              {"\\", true, 52, testing_support::FixedInfo(1, 2, 3, 4)},
              {"", true, 52, testing_support::FixedInfo(1, 2, 3, 4)},
              {"\\VarFileInfo\\Translation", true, 4, std::string("\x09\x04\xB0\x04", 4)},
              {"\\StringFileInfo\\040904B0\\FileVersion", true, 24, Z("FileVersion of 040904B0")},
              // Names match without regard to case; empty components are skipped.
              {"\\\\stringfileinfo\\040904b0\\\\PRODUCTVERSION\\", true, 27, Z("ProductVersion of 040904B0")},
              {"StringFileInfo\\040904B0\\CompanyName", true, 24, Z("CompanyName of 040904B0")},
              {"\\StringFileInfo\\040904B0\\Comments", false, 0, ""},
              {"\\StringFileInfo\\040704E4\\FileVersion", false, 0, ""},
              {"\\StringFileInfo\\040904B\\FileVersion", false, 0, ""},  // a prefix is no match
              {"\\VarFileInfo\\Translation\\More", false, 0, ""},
          });
}

TEST_F(MemoryFileVersionsTest, TextValuesConvertToTheCodePageAsWindowsDoes) {
    std::vector<VersionNode> values = {
        TextValue(u"Empty", u"", true),                          // the terminator only
        TextValue(u"Bare", u"abc", false),                       // no terminator stored
        TextValue(u"Accents", u"caf\u00E9 \u20AC\u0100", true),  // Latin-1, the euro, a best fit
        TextValue(u"Emoji", u"\U0001F600", true),
    };
    VersionNode zero = TextValue(u"Zero", u"x", true);
    zero.valueLength = 0;  // present, with no characters at all
    values.push_back(zero);
    Check(Encode(VersionRoot({{u"040904B0", values}}, std::vector<std::uint16_t>{0x0409, 0x04B0})),
          {
              {"\\StringFileInfo\\040904B0\\Empty", true, 1, std::string(1, '\0')},
              {"\\StringFileInfo\\040904B0\\Bare", true, 3, "abc"},
              {"\\StringFileInfo\\040904B0\\Accents", true, 8,
               Z("caf\xE9 \x80"
                 "A")},
              {"\\StringFileInfo\\040904B0\\Emoji", true, 3, Z("??")},
              {"\\StringFileInfo\\040904B0\\Zero", true, 0, ""},
          });
}

TEST_F(MemoryFileVersionsTest, ATranslationTableOfAnyLengthIsReturnedWhole) {
    Check(Encode(VersionRoot({}, std::vector<std::uint16_t>{0x0409, 0x04B0, 0x0407})),
          {{"\\VarFileInfo\\Translation", true, 6, std::string("\x09\x04\xB0\x04\x07\x04", 6)}});
}

TEST_F(MemoryFileVersionsTest, LyingLengthsNeverLeaveTheBlock) {
    const std::string standard = StandardVersionResource();
    // A value that claims far more than there is.
    VersionNode huge = TextValue(u"FileVersion", u"1.0");
    huge.valueLength = 0xFFFF;
    VersionNode hugeBinary;
    hugeBinary.key = u"Translation";
    hugeBinary.value = std::string("\x09\x04\xB0\x04", 4);
    hugeBinary.valueLength = 0xFFFF;
    VersionNode var;
    var.key = u"VarFileInfo";
    var.children = {hugeBinary};
    VersionNode root = VersionRoot({{u"040904B0", {huge}}}, std::nullopt);
    root.children.push_back(var);
    VersionBlock block = Read(Encode(root));
    VersionValue value;
    ASSERT_TRUE(versions.QueryValue(block, "\\StringFileInfo\\040904B0\\FileVersion", &value));
    // Not all of it fits into the room behind the resource: Windows reports 0.
    EXPECT_EQ(value.length, 0u);
    ASSERT_TRUE(versions.QueryValue(block, "\\VarFileInfo\\Translation", &value));
    EXPECT_EQ(value.length, 0xFFFFu);
    EXPECT_EQ(value.bytes.substr(0, 4), std::string("\x09\x04\xB0\x04", 4));
    EXPECT_LE(value.bytes.size(), block.size());

    // A child of length zero ends the search; a root claiming 64 KB is walked
    // over zeros; a resource cut short is looked through as far as it goes.
    VersionNode stopper = VersionRoot({{u"040904B0", EightValues(u"x")}}, std::vector<std::uint16_t>{0x0409, 0x04B0});
    stopper.children.front().children.front().children.front().length = 0;
    VersionNode wide = VersionRoot({{u"040904B0", EightValues(u"x")}}, std::vector<std::uint16_t>{0x0409, 0x04B0});
    wide.length = 0xFFFF;
    for (const std::string& resource :
         {Encode(stopper), Encode(wide), standard.substr(0, standard.size() / 2), standard.substr(0, 3)}) {
        VersionBlock b = Read(resource);
        for (const char* sub : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904B0\\CompanyName",
                                "\\StringFileInfo\\040904B0\\ProductVersion"}) {
            versions.QueryValue(b, sub, &value);
            EXPECT_LE(value.bytes.size(), value.length);
        }
    }
    VersionBlock b = Read(Encode(stopper));
    EXPECT_TRUE(
        versions.QueryValue(b, "\\StringFileInfo\\040904B0\\CompanyName", &value));  // found before its length counts
    EXPECT_FALSE(versions.QueryValue(b, "\\StringFileInfo\\040904B0\\FileDescription", &value));
}

TEST_F(MemoryFileVersionsTest, ABlockCarriesTheSignatureBehindTheResource) {
    const std::string resource = StandardVersionResource();
    VersionBlock block = Read(resource);
    const std::size_t declared =
        static_cast<unsigned char>(resource[0]) | (static_cast<unsigned char>(resource[1]) << 8);
    EXPECT_EQ(std::string(block.begin() + declared, block.begin() + declared + 4), "FE2X");
    EXPECT_EQ(std::string(block.begin(), block.begin() + declared), resource.substr(0, declared));
}

TEST_F(MemoryFileVersionsTest, AFileWithoutResourceOrThatCannotBeReadHasNone) {
    EXPECT_EQ(versions.InfoSize(kPath), 0u);
    VersionBlock block;
    EXPECT_FALSE(versions.ReadInfo(kPath, 100, &block));
    versions.SetResource("c:\\tools\\PLUG.DLL", StandardVersionResource());
    EXPECT_GT(versions.InfoSize(kPath), 0u);  // any letter case
    versions.SetReadFails(kPath);
    EXPECT_FALSE(versions.ReadInfo(kPath, versions.InfoSize(kPath), &block));
    versions.Remove(kPath);
    EXPECT_EQ(versions.InfoSize(kPath), 0u);
}

// A resource whose first key byte is printable is read in the 16-bit layout:
// 8-bit keys, no type, values returned as they are stored.
TEST_F(MemoryFileVersionsTest, SixteenBitResourcesAreReadInTheirOwnLayout) {
    auto node = [](const std::string& key, const std::string& value, const std::string& children) {
        std::string out(4, '\0');
        out += key + std::string(1, '\0');
        while (out.size() % 4) out.push_back('\0');
        out += value;
        while (out.size() % 4) out.push_back('\0');
        out += children;
        out[0] = static_cast<char>(out.size() & 0xFF);
        out[1] = static_cast<char>(out.size() >> 8);
        out[2] = static_cast<char>(value.size());
        return out;
    };
    const std::string resource = node(
        "VS_VERSION_INFO", "", node("StringFileInfo", "", node("040904E4", "", node("FileVersion", Z("3.1"), ""))));
    Check(resource, {{"\\StringFileInfo\\040904e4\\FileVersion", true, 4, Z("3.1")},
                     {"\\StringFileInfo\\040904E4\\CompanyName", false, 0, ""}});
}

}  // namespace
}  // namespace comp_mgr

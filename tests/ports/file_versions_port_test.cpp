// The file versions port (platform/file_versions.h) against every adapter of
// the build: the same library gives the same answers from the in-memory
// port, the hosted reader and Windows' own functions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ports/adapters_under_test.h"
#include "services/versions/version.h"
#include "support/version_resource.h"

namespace comp_mgr {
namespace ports_test {
namespace {

using testing_support::EightValues;
using testing_support::Encode;
using testing_support::TextValue;
using testing_support::VersionNode;
using testing_support::VersionRoot;

template <class Adapter>
class FileVersionsPort : public PortTest<Adapter> {
protected:
    FileVersions& versions() { return this->adapter.fileVersions(); }
    VersionBlock Read(const std::string& name, const std::string& resource) {
        this->adapter.WriteVersionedFile(name, resource);
        const std::string path = this->adapter.Path(name);
        const std::uint32_t size = versions().InfoSize(path);
        EXPECT_EQ(size, resource.size() * 2 + 4);
        VersionBlock block;
        EXPECT_TRUE(versions().ReadInfo(path, size, &block));
        return block;
    }
    // found, length, bytes
    std::string Query(VersionBlock& block, const std::string& subBlock) {
        VersionValue value;
        value.length = 77;
        const bool found = versions().QueryValue(block, subBlock, &value);
        return std::to_string(found) + " " + std::to_string(value.length) + " " + value.bytes;
    }
};

TYPED_TEST_SUITE(FileVersionsPort, AdaptersUnderTest, AdapterNames);

std::string Z(const std::string& text) {
    return text + std::string(1, '\0');
}

TYPED_TEST(FileVersionsPort, ValuesOfALibraryAreFoundByTheirPath) {
    std::vector<VersionNode> values = EightValues(u"us");
    values[1] = TextValue(u"FileDescription", u"\u0141oader \u2264 \U0001F600");  // outside the code page
    values[3].valueLength = 0;                                                    // present, empty
    values[5] = TextValue(u"OriginalFilename", u"plug.dll", false);               // no terminator
    VersionBlock block =
        this->Read("plug.dll", Encode(VersionRoot({{u"040904B0", values}, {u"040704E4", EightValues(u"de")}},
                                                  std::vector<std::uint16_t>{0x0409, 0x04B0, 0x0407, 0x04E4, 0x040C})));
    EXPECT_EQ(this->Query(block, "\\"), "1 52 " + testing_support::FixedInfo(1, 2, 3, 4));
    EXPECT_EQ(this->Query(block, "\\VarFileInfo\\Translation"),
              "1 10 " + std::string("\x09\x04\xB0\x04\x07\x04\xE4\x04\x0C\x04", 10));
    EXPECT_EQ(this->Query(block, "\\StringFileInfo\\040904B0\\FileVersion"), "1 18 " + Z("FileVersion of us"));
    EXPECT_EQ(this->Query(block, "\\stringfileinfo\\040704e4\\\\FILEVERSION"), "1 18 " + Z("FileVersion of de"));
    EXPECT_EQ(this->Query(block, "\\StringFileInfo\\040904B0\\FileDescription"), "1 12 " + Z("Loader = ??"));
    EXPECT_EQ(this->Query(block, "\\StringFileInfo\\040904B0\\InternalName"), "1 0 ");
    EXPECT_EQ(this->Query(block, "\\StringFileInfo\\040904B0\\OriginalFilename"), "1 8 plug.dll");
    EXPECT_EQ(this->Query(block, "\\StringFileInfo\\040904B0\\Comments"), "0 0 ");
    EXPECT_EQ(this->Query(block, "\\StringFileInfo\\040C04E4\\FileVersion"), "0 0 ");
}

TYPED_TEST(FileVersionsPort, LengthsThatLieGiveTheSameAnswersEverywhere) {
    VersionNode huge = TextValue(u"FileVersion", u"1.0");
    huge.valueLength = 0xFFFF;
    VersionNode root = VersionRoot({{u"040904B0", {TextValue(u"CompanyName", u"Kovra", true), huge}}},
                                   std::vector<std::uint16_t>{0x0409, 0x04B0});
    root.length = 0xFFF0;
    root.children.front().children.front().children.front().valueLength = 300;
    VersionBlock block = this->Read("lying.dll", Encode(root));
    // The root claims far more than the resource: conversions land behind
    // it in the block's zeros, and a value longer than the room is reported
    // as 0.
    const std::string company = this->Query(block, "\\StringFileInfo\\040904B0\\CompanyName");
    EXPECT_EQ(company.substr(0, 10), "1 300 Kovr");
    EXPECT_EQ(company.size(), 6u + 300u);
    EXPECT_EQ(this->Query(block, "\\StringFileInfo\\040904B0\\FileVersion"), "1 0 ");
}

TYPED_TEST(FileVersionsPort, FilesWithoutVersionInformationHaveNone) {
    this->adapter.WriteFile("plain.txt", "not a library");
    this->adapter.MakeFolder("Sub");
    for (const char* name : {"plain.txt", "missing.dll", "Sub"}) {
        const std::string path = this->adapter.Path(name);
        EXPECT_EQ(this->versions().InfoSize(path), 0u) << name;
        VersionBlock block;
        EXPECT_FALSE(this->versions().ReadInfo(path, 64, &block)) << name;
    }
}

TYPED_TEST(FileVersionsPort, CVersionRecordsTheCompleteTranslations) {
    this->adapter.WriteVersionedFile(
        "two.dll", Encode(VersionRoot({{u"040904B0", EightValues(u"us")}, {u"040704E4", EightValues(u"de")}},
                                      std::vector<std::uint16_t>{0x0409, 0x04B0, 0x0407, 0x04E4})));
    CVersion version(this->versions());
    EXPECT_TRUE(version.Load(this->adapter.Path("two.dll")));
    std::string text;
    EXPECT_TRUE(version.GetFileVersion(0x040704E4, text));
    EXPECT_EQ(text, "FileVersion of de");
    EXPECT_EQ(version.stringInfos().size(), 2u);
}

}  // namespace
}  // namespace ports_test
}  // namespace comp_mgr

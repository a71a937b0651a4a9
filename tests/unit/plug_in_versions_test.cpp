// Plug-in versions as the advisor finds them in the files' version
// resources, and the product identifiers the application object's advisor
// builds from them.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/component_manager_app.h"
#include "catalog_test_util.h"
#include "services/advisor/file_plug_in_versions.h"
#include "support/version_resource.h"

namespace comp_mgr {
namespace testing_support {
namespace {

// The eight values of `code` with this FileVersion.
std::vector<VersionNode> ValuesWithFileVersion(const std::u16string& code, const std::u16string& fileVersion) {
    std::vector<VersionNode> values = EightValues(code);
    values[2] = TextValue(u"FileVersion", fileVersion);
    return values;
}

std::string Resource(std::vector<std::pair<std::u16string, std::vector<VersionNode>>> tables,
                     std::vector<std::uint16_t> translations) {
    return Encode(VersionRoot(std::move(tables), std::move(translations)));
}

TEST(FilePlugInVersionsTest, TakesTheUsEnglishFileVersionOfACompletelyReadResource) {
    std::vector<VersionNode> incomplete = EightValues(u"040704B0");
    incomplete.pop_back();
    struct Case {
        const char* name;
        std::optional<std::string> resource;  // none: the file has no version information
        bool readFails;
        PlugInVersion expected;
    };
    const Case cases[] = {
        {"US English",
         Resource({{u"040904B0", ValuesWithFileVersion(u"040904B0", u"1, 2, 0, 5")}}, {0x0409, 0x04B0}),
         false,
         {true, true, "1, 2, 0, 5"}},
        {"US English among others",
         Resource({{u"040704B0", EightValues(u"040704B0")}, {u"040904B0", EightValues(u"040904B0")}},
                  {0x0407, 0x04B0, 0x0409, 0x04B0}),
         false,
         {true, true, "FileVersion of 040904B0"}},
        {"an empty FileVersion",
         Resource({{u"040904B0", ValuesWithFileVersion(u"040904B0", u"")}}, {0x0409, 0x04B0}),
         false,
         {true, true, ""}},
        {"German only",
         Resource({{u"040704B0", EightValues(u"040704B0")}}, {0x0407, 0x04B0}),
         false,
         {true, false, ""}},
        {"US English listed, table absent", Resource({}, {0x0409, 0x04B0}), false, {false, false, ""}},
        // Its US English block is complete, but the load as a whole is not.
        {"another table incomplete",
         Resource({{u"040904B0", EightValues(u"040904B0")}, {u"040704B0", incomplete}},
                  {0x0409, 0x04B0, 0x0407, 0x04B0}),
         false,
         {false, false, ""}},
        {"no version information", std::nullopt, false, {false, false, ""}},
        {"unreadable", Resource({{u"040904B0", EightValues(u"040904B0")}}, {0x0409, 0x04B0}), true, {false, false, ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileVersions files;
        if (c.resource) files.SetResource("C:\\P\\One.dll", *c.resource);
        files.SetReadFails("C:\\P\\One.dll", c.readFails);
        FilePlugInVersions versions(files);
        const PlugInVersion found = versions.Lookup("c:\\p\\one.DLL", kTranslationUsEnglishUnicode);
        EXPECT_EQ(found.loaded, c.expected.loaded);
        EXPECT_EQ(found.found, c.expected.found);
        EXPECT_EQ(found.fileVersion, c.expected.fileVersion);
    }
}

TEST(FilePlugInVersionsTest, EveryLookupReadsTheFileAgain) {
    MemoryFileVersions files;
    files.SetResource("C:\\p\\one.dll",
                      Resource({{u"040904B0", ValuesWithFileVersion(u"040904B0", u"1.0")}}, {0x0409, 0x04B0}));
    FilePlugInVersions versions(files);
    EXPECT_EQ(versions.Lookup("C:\\p\\one.dll", kTranslationUsEnglishUnicode).fileVersion, "1.0");
    files.SetResource("C:\\p\\one.dll",
                      Resource({{u"040904B0", ValuesWithFileVersion(u"040904B0", u"2.0")}}, {0x0409, 0x04B0}));
    EXPECT_EQ(versions.Lookup("C:\\p\\one.dll", kTranslationUsEnglishUnicode).fileVersion, "2.0");
    files.Remove("C:\\p\\one.dll");
    EXPECT_FALSE(versions.Lookup("C:\\p\\one.dll", kTranslationUsEnglishUnicode).loaded);
}

// The library's own advisor reads the plug-ins' files: versioned ones are
// sent with their version, the others by their Sku.
TEST(AppPlugInVersionsTest, ProductIdentifiersCarryThePlugInsFileVersions) {
    TestMachine machine;
    machine.UseStandardLayout();
    const char* const dlls[] = {"C:\\p\\one.dll", "C:\\p\\two.dll", "C:\\p\\three.dll"};
    for (const char* dll : dlls) machine.files.Put(dll, "MZ");
    machine.files.Put(TestMachine::kDbPath, HostSection() +
                                                "Sku=VNT PRO/2\r\nPlugInLst_GrpName=PlugIn_1,PlugIn_2,PlugIn_3\r\n"
                                                "[PlugIn_1]\r\nProgLocation=C:\\p\\one.dll\r\nSku=UA-ONE\r\n"
                                                "[PlugIn_2]\r\nProgLocation=C:\\p\\two.dll\r\nSku=XA-TWO\r\n"
                                                "[PlugIn_3]\r\nProgLocation=C:\\p\\three.dll\r\nSku=XA-THREE\r\n");
    machine.fileVersions.SetResource(
        "C:\\p\\one.dll",
        Resource({{u"040904B0", ValuesWithFileVersion(u"040904B0", u"1, 2, 0, 5")}}, {0x0409, 0x04B0}));
    machine.fileVersions.SetResource(
        "C:\\p\\three.dll", Resource({{u"040704B0", ValuesWithFileVersion(u"040704B0", u"3.0")}}, {0x0407, 0x04B0}));

    ComponentManagerApp app(machine.platform);
    app.InitInstance();
    // The last plug-in asked for was read but has no US English block.
    EXPECT_EQ(app.webSettings().WebStartup("VntInstallation_1", 1), 0);
    EXPECT_EQ(app.webSettings().products(),
              (std::vector<std::string>{"VNTPRO/2", "UA-ONE-1.2.0.5", "XA-TWO", "XA-THREE"}));
}

}  // namespace
}  // namespace testing_support
}  // namespace comp_mgr

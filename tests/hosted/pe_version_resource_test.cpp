#include "platform/hosted/pe_version_resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "hosted_test_root.h"
#include "platform/hosted/hosted_file_versions.h"
#include "services/versions/version.h"
#include "support/pe_image.h"
#include "support/version_resource.h"

namespace comp_mgr {
namespace {

using testing_support::BuildPeImage;
using testing_support::PeImage;
using testing_support::PeResource;
using testing_support::PutDword;

std::string Found(const std::string& file) {
    std::string_view resource;
    return FindVersionResource(file, &resource) ? std::string(resource) : std::string("<none>");
}

TEST(PeVersionResourceTest, TheVersionResourceIsFoundInPe32AndPe32Plus) {
    for (bool plus : {true, false}) {
        const PeImage image =
            BuildPeImage({{6, 1, 0x0409, "strings"}, {16, 1, 0x0409, "version"}, {24, 1, 0x0409, "m"}}, plus);
        EXPECT_EQ(Found(image.bytes), "version") << (plus ? "PE32+" : "PE32");
    }
}

// Neutral first, then US English, then English, else the first entry.
TEST(PeVersionResourceTest, TheLanguageIsTheOneWindowsPicks) {
    const struct {
        std::vector<std::uint16_t> languages;
        std::string picked;
    } cases[] = {
        {{0x0407, 0x0409}, "0409"}, {{0x0000, 0x0409}, "0000"}, {{0x0009, 0x040C}, "0009"},
        {{0x0407, 0x040C}, "0407"}, {{0x0809, 0x0C09}, "0809"}, {{0x0409}, "0409"},
    };
    for (const auto& c : cases) {
        std::vector<PeResource> resources;
        for (std::uint16_t language : c.languages) {
            char code[5];
            std::snprintf(code, sizeof code, "%04X", language);
            resources.push_back({16, 1, language, code});
        }
        EXPECT_EQ(Found(BuildPeImage(resources).bytes), c.picked);
    }
}

TEST(PeVersionResourceTest, FilesWithoutAVersionResourceOfName1HaveNone) {
    EXPECT_EQ(Found(BuildPeImage({{6, 1, 0x0409, "strings"}}).bytes), "<none>");
    EXPECT_EQ(Found(BuildPeImage({{16, 2, 0x0409, "second"}}).bytes), "<none>");
    EXPECT_EQ(Found(BuildPeImage({}).bytes), "<none>");
    EXPECT_EQ(Found(""), "<none>");
    EXPECT_EQ(Found("MZ"), "<none>");
}

// Every way a file can lie about where things are: the reader answers "none"
// and reads nothing outside the file (the sanitizer build checks the latter).
TEST(PeVersionResourceTest, HeadersAndDirectoriesThatLieGiveNoResource) {
    const PeImage good = BuildPeImage({{16, 1, 0x0409, "version"}});
    const std::size_t typeEntry = good.resourceRoot + 16;
    const struct {
        const char* what;
        std::function<void(std::string*)> corrupt;
    } cases[] = {
        {"no MZ", [](std::string* b) { (*b)[0] = 'X'; }},
        {"headers past the file", [](std::string* b) { PutDword(b, 0x3C, 0x7FFFFFF0); }},
        {"headers at the last bytes",
         [](std::string* b) { PutDword(b, 0x3C, static_cast<std::uint32_t>(b->size() - 2)); }},
        {"no PE signature", [&](std::string* b) { (*b)[good.ntHeaders] = 'Q'; }},
        {"an unknown optional header", [&](std::string* b) { (*b)[good.optionalHeader] = 0x07; }},
        {"no resource directory", [&](std::string* b) { PutDword(b, good.resourceDirectoryEntry, 0); }},
        {"a resource directory in no section",
         [&](std::string* b) { PutDword(b, good.resourceDirectoryEntry, 0x9000); }},
        {"a section past the file", [&](std::string* b) { PutDword(b, good.sectionHeader + 20, 0x7FFFFF00); }},
        {"a section count past the file",
         [&](std::string* b) {
             (*b)[0x46] = char(0xFF);
             (*b)[0x47] = char(0xFF);
             PutDword(b, good.resourceDirectoryEntry, 0x9000);
         }},
        {"a type entry that is data", [&](std::string* b) { PutDword(b, typeEntry + 4, 0x10); }},
        {"a type directory past the file", [&](std::string* b) { PutDword(b, typeEntry + 4, 0xFFFFFFF0u); }},
        {"a type directory that is the root (a loop)",
         [&](std::string* b) { PutDword(b, typeEntry + 4, 0x80000000u); }},
        {"a root with 65535 entries",
         [&](std::string* b) {
             (*b)[good.resourceRoot + 14] = char(0xFF);
             (*b)[good.resourceRoot + 15] = char(0xFF);
         }},
        {"data at an address in no section", [&](std::string* b) { PutDword(b, good.dataEntries[0], 0x50000); }},
        {"data longer than the file", [&](std::string* b) { PutDword(b, good.dataEntries[0] + 4, 0x100000); }},
        {"data of 4 GB", [&](std::string* b) { PutDword(b, good.dataEntries[0] + 4, 0xFFFFFFFFu); }},
    };
    for (const auto& c : cases) {
        std::string bytes = good.bytes;
        c.corrupt(&bytes);
        EXPECT_EQ(Found(bytes), "<none>") << c.what;
    }
    // A file cut anywhere before the end of the resource has none; after it,
    // the resource is whole.
    const std::size_t end = good.dataAt[0] + 7;
    for (std::size_t n = 0; n < good.bytes.size(); ++n) {
        EXPECT_EQ(Found(good.bytes.substr(0, n)), n >= end ? "version" : "<none>") << n;
    }
}

// The whole way on the hosted machine: the file in the machine's folder, the
// port, CVersion.
TEST(HostedFileVersionsTest, CVersionReadsAPlugInOnTheMachine) {
    hosted_test::TestRoot root;
    const std::string resource = testing_support::StandardVersionResource();
    root.Write("drive_c/Vantrel/Plug/Flash.dll", BuildPeImage({{16, 1, 0x0409, resource}}).bytes);
    root.Write("drive_c/Vantrel/Plug/plain.dll", BuildPeImage({{6, 1, 0x0409, "strings"}}).bytes);
    HostedMachine machine(root.path(), "C:\\Vantrel\\bin\\vn_app.exe", "C:\\");
    HostedFileVersions versions(machine);
    EXPECT_EQ(versions.InfoSize("c:\\vantrel\\plug\\FLASH.DLL"), resource.size() * 2 + 4);
    CVersion version(versions);
    EXPECT_TRUE(version.Load("C:\\Vantrel\\Plug\\flash.dll"));
    std::string text;
    EXPECT_TRUE(version.GetFileVersion(kUsEnglishUnicode, text));
    EXPECT_EQ(text, "FileVersion of 040904B0");
    for (const char* path : {"C:\\Vantrel\\Plug\\plain.dll", "C:\\Vantrel\\Plug\\gone.dll", "C:\\Vantrel\\Plug", ""}) {
        EXPECT_EQ(versions.InfoSize(path), 0u) << path;
        VersionBlock block;
        EXPECT_FALSE(versions.ReadInfo(path, 100, &block)) << path;
    }
}

}  // namespace
}  // namespace comp_mgr

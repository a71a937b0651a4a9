// The tool's `version FILE` against the library on a hosted machine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/pe_image.h"
#include "support/version_resource.h"
#include "tool_test_support.h"

namespace {

using comp_mgr::testing_support::BuildPeImage;
using comp_mgr::testing_support::EightValues;
using comp_mgr::testing_support::Encode;
using comp_mgr::testing_support::VersionNode;
using comp_mgr::testing_support::VersionRoot;

class ToolVersion : public ::testing::Test {
protected:
    void SetUp() override { tool_test::WriteFile(root() / "registry.reg", "REGEDIT4\r\n\r\n"); }
    std::filesystem::path root() const { return dir_.path() / "machine"; }
    void Library(const std::string& name, const std::string& resource) const {
        tool_test::WriteFile(root() / "drive_c" / "Plug" / name, BuildPeImage({{16, 1, 0x0409, resource}}).bytes);
    }
    tool_test::ToolRun Run(std::vector<std::string> words) const {
        words.insert(words.begin(), {"--library", COMP_MGR_LIBRARY_PATH, "--root", root().string(), "--ui", "none"});
        return tool_test::RunTool(words, "", {});
    }
    tool_test::TempDir dir_;
};

TEST_F(ToolVersion, PrintsTheStringsOfEachTranslationTheFileLists) {
    std::vector<VersionNode> german = EightValues(u"de");
    german.erase(german.begin() + 4);  // no LegalCopyright
    Library("flash.dll", Encode(VersionRoot({{u"040904B0", EightValues(u"us")}, {u"040704E4", german}},
                                            std::vector<std::uint16_t>{0x0409, 0x04B0, 0x0407, 0x04E4})));
    const tool_test::ToolRun run = Run({"version", "C:\\Plug\\flash.dll"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "file:            C:\\Plug\\flash.dll\n"
              "file version:    1.2.3.4\n"
              "product version: 1.2.3.4\n"
              "translation 040904B0 (language 0x0409, code page 0x04B0): all eight strings\n"
              "  CompanyName:      CompanyName of us\n"
              "  FileDescription:  FileDescription of us\n"
              "  FileVersion:      FileVersion of us\n"
              "  InternalName:     InternalName of us\n"
              "  LegalCopyright:   LegalCopyright of us\n"
              "  OriginalFilename: OriginalFilename of us\n"
              "  ProductName:      ProductName of us\n"
              "  ProductVersion:   ProductVersion of us\n"
              "translation 040704E4 (language 0x0407, code page 0x04E4): not all eight strings, so the library does "
              "not record it\n"
              "  CompanyName:      CompanyName of de\n"
              "  FileDescription:  FileDescription of de\n"
              "  FileVersion:      FileVersion of de\n"
              "  InternalName:     InternalName of de\n"
              "  LegalCopyright:   (missing)\n"
              "  OriginalFilename: OriginalFilename of de\n"
              "  ProductName:      ProductName of de\n"
              "  ProductVersion:   ProductVersion of de\n");
    const tool_test::ToolRun json = Run({"--json", "version", "C:\\Plug\\flash.dll"});
    EXPECT_NE(json.out.find("\"code\":\"040704E4\",\"language\":1031,\"codePage\":1252,\"complete\":false"),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"LegalCopyright\":null"), std::string::npos) << json.out;
}

TEST_F(ToolVersion, AFileWithoutVersionInformationEndsWithStatus3) {
    tool_test::WriteFile(root() / "drive_c" / "Plug" / "text.dll", "not a library");
    for (const char* path : {"C:\\Plug\\text.dll", "C:\\Plug\\missing.dll"}) {
        const tool_test::ToolRun run = Run({"version", path});
        EXPECT_EQ(run.status, 3) << path;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "comp_mgr: " + std::string(path) + ": no version information\n");
    }
    EXPECT_EQ(Run({"version"}).status, 2);
}

}  // namespace

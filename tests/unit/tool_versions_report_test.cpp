// The tool versions report on an in-memory machine: a product key with two
// processor families, their packages, compilers with and without a version,
// and a version-printing tool whose answer is laid out per test.
#include "services/setup/tool_versions_report.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "services/setup/compiler_version.h"
#include "services/setup/version_command.h"
#include "support/test_machine.h"
#include "support/version_resource.h"

namespace comp_mgr {
namespace {

using testing_support::Encode;
using testing_support::TestMachine;
using testing_support::TextValue;
using testing_support::VersionRoot;

constexpr const char* kHost = "C:\\Brimwell\\VNT3\\bin\\vn_app.exe";
constexpr const char* kReport = "C:\\Brimwell\\VNT3\\bin\\VN_App_Tool_Versions.txt";
constexpr const char* kVers = "C:\\Brimwell\\bin\\vers.exe";
constexpr const char* kProduct = "SOFTWARE\\Brimwell\\VNT3";
constexpr const char* kC6000Tools = "SOFTWARE\\Brimwell\\CodeGen\\CGT_C:|Brimwell|cgtools|c6000";
constexpr const char* kC5500Tools = "SOFTWARE\\Brimwell\\CodeGen\\CGT_D:|tools|c5500";
constexpr const char* kVersAnswer = "Lumakern ***cuda Lumakern v5.20 (C6000)\r\n***";

class ToolVersionsReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        // An earlier product of another host, then this host's, its path
        // stored in another letter case.
        machine.SetMachineString("SOFTWARE\\Brimwell\\Alpha", "VN_APP", "C:\\Alpha\\bin\\vn_app.exe");
        machine.SetMachineString(kProduct, "VN_APP", "c:\\BRIMWELL\\vnt3\\bin\\vn_app.exe");
        machine.SetMachineString(std::string(kProduct) + "\\C6000\\Build Tools", "", kC6000Tools);
        machine.SetMachineString(std::string(kProduct) + "\\C5500\\Build Tools", "", kC5500Tools);
        machine.SetMachineString(kC6000Tools, "ProductName", "Luma C6000 Code Generation Tools");
        machine.SetMachineString(kC5500Tools, "ProductName", "C5500 Code Generation Tools");
        Package("C6000", "LUMA_5", "SOFTWARE\\Brimwell\\Packages\\Kernel6", "lUma Kernel", "5.2.1");
        Package("C5500", "LUMA_4", "SOFTWARE\\Brimwell\\Packages\\Kernel5", "Luma Kernel", "4.0");

        machine.files.Put("C:\\Brimwell\\cgtools\\c6000\\cl6x.exe", "compiler");
        // Read through the first translation listed; the other strings of a
        // complete table need not be there.
        machine.fileVersions.SetResource(
            "C:\\Brimwell\\cgtools\\c6000\\cl6x.exe",
            Encode(VersionRoot({{u"040904B0", {TextValue(u"FileVersion", u"7.4.2.1")}},
                                {u"040704E4", {TextValue(u"FileVersion", u"9.9")}}},
                               std::vector<std::uint16_t>{0x0409, 0x04B0, 0x0407, 0x04E4})));
        // Only through the first subfolder.
        machine.files.Put("D:\\tools\\c5500\\bin\\cl55.exe", "compiler");
        machine.files.Put("D:\\tools\\c5500\\docs\\readme.txt", "");
        machine.files.Put("C:\\Brimwell\\luma\\luma.a64", "kernel library");
        machine.files.Put(kVers, "tool");
        machine.files.Put(kHost, "host program");
        machine.process.programs[kVers] = {kVersAnswer, false};
        machine.files.MakeFolder("C:\\Work");
        machine.files.SetCurrentDirectory("C:\\Work");
    }
    void Package(const std::string& family, const std::string& name, const std::string& key, const std::string& product,
                 const std::string& version) {
        machine.SetMachineString(std::string(kProduct) + "\\Packages\\" + family + "\\" + name, "", key);
        machine.SetMachineString(key, "ProductName", product);
        machine.SetMachineString(key, "Version", version);
    }
    std::string Run(const std::string& host = kHost) {
        ToolVersionsReport report(machine.platform, [this](const std::string& path) {
            return CompilerFileVersion(machine.fileVersions, path);
        });
        report.Run(host, "VN_App_Tool_Versions.txt");
        std::string text;
        for (const auto& line : report.lines()) text += line;
        return text;
    }
    std::string Version(const char* key) {
        std::string value = "<none>";
        machine.registry.GetString(kHkeyLocalMachine, key, "Version", &value);
        return value;
    }

    TestMachine machine;
};

const char* const kFullReport =
    "C5500 : C5500 Code Generation Tools : \r\n"
    "C6000 : Target Content (Lumakern) : 5.2.1\r\n"
    "C6000 : LUMA C6000 Code Generation Tools : 7.4.2.1\r\n"
    "C5500 : LUMA Kernel : 4.0\r\n";

TEST_F(ToolVersionsReportTest, TwoFamiliesWithCompilersKernelAndPackages) {
    EXPECT_EQ(kFullReport, Run());
    EXPECT_EQ(kFullReport, machine.files.Get(kReport));
    EXPECT_EQ("7.4.2.1", Version(kC6000Tools));
    EXPECT_EQ("", Version(kC5500Tools));  // no version resource: found, and empty
    // The tool was asked once, about the kernel library, and terminated.
    ASSERT_EQ(1u, machine.process.started.size());
    EXPECT_EQ(std::string(kVers) + " C:\\Brimwell\\luma\\\\luma.a64", machine.process.started[0]);
    EXPECT_EQ(1u, machine.process.terminated);
}

TEST_F(ToolVersionsReportTest, WithoutPackagesTheKernelLineComesBeforeTheCompilerLine) {
    machine.registry.RemoveTree(kHkeyLocalMachine, std::string(kProduct) + "\\Packages");
    EXPECT_EQ(
        "C5500 : C5500 Code Generation Tools : \r\n"
        "C6000 : Target Content (Lumakern) : Lumakern v5.20 (C6000)\r\n"
        "C6000 : LUMA C6000 Code Generation Tools : 7.4.2.1\r\n",
        Run());
}

// What the version-printing tool says, and what of it reaches the kernel line.
TEST_F(ToolVersionsReportTest, TheToolsAnswerIsCutToTheCudaPiece) {
    machine.registry.RemoveTree(kHkeyLocalMachine, std::string(kProduct) + "\\Packages");
    machine.registry.RemoveTree(kHkeyLocalMachine, std::string(kProduct) + "\\C5500");
    struct Case {
        const char* answer;
        bool silent;
        const char* line;  // the kernel line, or "" for none
    };
    const Case cases[] = {
        {"***cuda***", false, "C6000 : Target Content (Lumakern) : uda\r\n"},
        {"x*cudaLumakern 1\r\n2\n*cuda other", false, "C6000 : Target Content (Lumakern) : Lumakern 12\r\n"},
        {"no key here", false, ""},
        {"", true, ""},
        {"cu\0da*cuda 9", false, ""},  // the answer ends at its NUL
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        machine.process.programs[kVers] = {c.answer, c.silent};
        EXPECT_EQ(std::string(c.line) + "C6000 : LUMA C6000 Code Generation Tools : 7.4.2.1\r\n", Run());
    }
    EXPECT_EQ("uda 9", VersionCommand("t", "f").PieceOf(std::string("*cuda 9***", 10)));
    // At most 260 bytes are read.
    machine.process.programs[kVers] = {std::string(300, 'x') + "*cuda late", false};
    EXPECT_EQ("C6000 : LUMA C6000 Code Generation Tools : 7.4.2.1\r\n", Run());
}

// Bad or unusual machines: fewer lines or no report, never a lost value.
TEST_F(ToolVersionsReportTest, MachinesThatGiveFewerLinesOrNoReport) {
    struct Case {
        const char* name;
        std::function<void(TestMachine&)> change;
        const char* host;
        const char* reportPath;  // where the report is, or "" for nowhere
        bool anyLine;
    };
    const Case cases[] = {
        {"host name in upper case: report in the current directory", [](TestMachine&) {},
         "C:\\Brimwell\\VNT3\\bin\\VN_APP.EXE", "C:\\Work\\VN_App_Tool_Versions.txt", true},
        {"no product for this host", [](TestMachine&) {}, "C:\\Other\\bin\\vn_app.exe", "", false},
        {"VN_APP of the wrong type",
         [](TestMachine& m) { m.registry.SetDword(kHkeyLocalMachine, kProduct, "VN_APP", 7); }, kHost, "", false},
        {"VN_APP of 600 characters",
         [](TestMachine& m) { m.SetMachineString(kProduct, "VN_APP", std::string(600, 'C')); }, kHost, "", false},
        {"report folder read-only", [](TestMachine& m) { m.files.SetReadOnlyFolder("C:\\Brimwell\\VNT3\\bin"); }, kHost,
         "", false},
        {"no Brimwell key", [](TestMachine& m) { m.registry.RemoveTree(kHkeyLocalMachine, "SOFTWARE\\Brimwell"); },
         kHost, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        machine.registry.RemoveTree(kHkeyLocalMachine, kC6000Tools);
        machine.SetMachineString(kC6000Tools, "ProductName", "Luma C6000 Code Generation Tools");
        machine.files.Remove("C:\\Work\\VN_App_Tool_Versions.txt");
        c.change(machine);
        const std::string text = Run(c.host);
        EXPECT_EQ(c.anyLine, !text.empty());
        if (*c.reportPath) {
            EXPECT_EQ(text, machine.files.Get(c.reportPath));
        } else {
            EXPECT_FALSE(machine.files.Exists(kReport));
            EXPECT_EQ("<none>", Version(kC6000Tools));  // nothing recorded without a report
        }
        machine.files.SetReadOnlyFolder("C:\\Brimwell\\VNT3\\bin", false);
    }
}

TEST_F(ToolVersionsReportTest, FamiliesWhoseValuesCannotBeUsedAreLeftOut) {
    struct Case {
        const char* name;
        std::function<void(TestMachine&)> change;
        const char* report;
    };
    const Case cases[] = {
        {"Build Tools value of 600 characters",
         [](TestMachine& m) {
             m.SetMachineString(std::string(kProduct) + "\\C5500\\Build Tools", "", std::string(600, 'S'));
         },
         "C6000 : Target Content (Lumakern) : 5.2.1\r\n"
         "C6000 : LUMA C6000 Code Generation Tools : 7.4.2.1\r\n"
         "C5500 : LUMA Kernel : 4.0\r\n"},
        {"Build Tools value that is a number",
         [](TestMachine& m) {
             m.registry.SetDword(kHkeyLocalMachine, std::string(kProduct) + "\\C6000\\Build Tools", "", 5);
         },
         "C5500 : C5500 Code Generation Tools : \r\n"
         "C5500 : LUMA Kernel : 4.0\r\n"
         "C6000 : LUMA Kernel : 5.2.1\r\n"},
        {"the compiler in a later subfolder only",
         [](TestMachine& m) {
             m.files.Remove("D:\\tools\\c5500\\bin\\cl55.exe");
             m.files.Put("D:\\tools\\c5500\\docs\\cl55.exe", "compiler");
         },
         "C6000 : Target Content (Lumakern) : 5.2.1\r\n"
         "C6000 : LUMA C6000 Code Generation Tools : 7.4.2.1\r\n"
         "C5500 : LUMA Kernel : 4.0\r\n"},
        {"no vers.exe: no kernel content from the tool", [](TestMachine& m) { m.files.Remove(kVers); },
         "C5500 : C5500 Code Generation Tools : \r\n"
         "C6000 : LUMA C6000 Code Generation Tools : 7.4.2.1\r\n"
         "C5500 : LUMA Kernel : 4.0\r\n"
         "C6000 : LUMA Kernel : 5.2.1\r\n"},
        {"a package key without its default value ends its family's packages",
         [](TestMachine& m) {
             m.SetMachineString(std::string(kProduct) + "\\Packages\\C5500\\LUMA_3", "Other", "x");
             m.SetMachineString(std::string(kProduct) + "\\Packages\\C6000\\LUMA_1", "", "SOFTWARE\\Missing");
         },
         "C5500 : C5500 Code Generation Tools : \r\n"
         "C6000 : Target Content (Lumakern) : 5.2.1\r\n"
         "C6000 : LUMA C6000 Code Generation Tools : 7.4.2.1\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.change(machine);
        EXPECT_EQ(c.report, Run());
    }
}

// Folder trees the search cannot finish: 200 levels of first subfolders.
TEST_F(ToolVersionsReportTest, ADeepFolderTreeEndsTheSearch) {
    std::string folder = "D:\\tools\\c5500\\a";
    for (int level = 0; level < 200; ++level) folder += "\\d";
    machine.files.Remove("D:\\tools\\c5500\\bin\\cl55.exe");
    machine.files.MakeFolder(folder);
    machine.files.Put(folder + "\\cl55.exe", "compiler");
    EXPECT_EQ(
        "C6000 : Target Content (Lumakern) : 5.2.1\r\n"
        "C6000 : LUMA C6000 Code Generation Tools : 7.4.2.1\r\n"
        "C5500 : LUMA Kernel : 4.0\r\n",
        Run());
}

// The first translation listed decides, whatever else the resource holds.
TEST_F(ToolVersionsReportTest, TheCompilerVersionComesFromTheFirstTranslation) {
    const std::string path = "C:\\Brimwell\\cgtools\\c6000\\cl6x.exe";
    struct Case {
        const char* name;
        std::string resource;
        const char* version;
    };
    const Case cases[] = {
        {"German first",
         Encode(VersionRoot(
             {{u"040904B0", {TextValue(u"FileVersion", u"7.4")}}, {u"040704E4", {TextValue(u"FileVersion", u"9.9")}}},
             std::vector<std::uint16_t>{0x0407, 0x04E4, 0x0409, 0x04B0})),
         "9.9"},
        {"no table", Encode(VersionRoot({{u"040904B0", {TextValue(u"FileVersion", u"7.4")}}}, std::nullopt)), ""},
        {"no FileVersion",
         Encode(VersionRoot({{u"040904B0", {TextValue(u"ProductName", u"x")}}},
                            std::vector<std::uint16_t>{0x0409, 0x04B0})),
         ""},
        {"empty FileVersion",
         Encode(VersionRoot({{u"040904B0", {TextValue(u"FileVersion", u"")}}},
                            std::vector<std::uint16_t>{0x0409, 0x04B0})),
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        machine.fileVersions.SetResource(path, c.resource);
        EXPECT_EQ(c.version, CompilerFileVersion(machine.fileVersions, path));
    }
    machine.fileVersions.Remove(path);
    EXPECT_EQ("", CompilerFileVersion(machine.fileVersions, path));
    machine.fileVersions.SetResource(path, testing_support::StandardVersionResource());
    machine.fileVersions.SetReadFails(path);
    EXPECT_EQ("", CompilerFileVersion(machine.fileVersions, path));
}

TEST_F(ToolVersionsReportTest, AHostPathWithoutBackslashesRunsNoTool) {
    machine.SetMachineString(kProduct, "VN_APP", "vn_app.exe");
    const std::string text = Run("vn_app.exe");
    EXPECT_TRUE(machine.process.started.empty());
    EXPECT_EQ(text, machine.files.Get("C:\\Work\\VN_App_Tool_Versions.txt"));
    EXPECT_NE(std::string::npos, text.find("C6000 : LUMA C6000 Code Generation Tools : 7.4.2.1\r\n"));
}

}  // namespace
}  // namespace comp_mgr

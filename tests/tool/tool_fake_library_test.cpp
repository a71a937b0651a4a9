// The tool as a process against a stand-in library (tool_fake/): what reaches
// the library, one load and one unload, exit statuses, and the people's
// commands' text and JSON.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_test_support.h"

namespace {

using tool_test::ReadFile;
using tool_test::RunTool;
using tool_test::TempDir;
using tool_test::ToolRun;

class ToolFakeLibrary : public ::testing::Test {
protected:
    // The tool refuses to run without a machine, even for a stand-in library.
    void SetUp() override { tool_test::WriteFile(Machine() / "registry.reg", "REGEDIT4\r\n\r\n"); }

    ToolRun Run(std::vector<std::string> words, const std::string& input = "",
                const std::string& library = COMP_MGR_FAKE_LIBRARY_PATH) {
        words.insert(words.begin(), {"--library", library});
        return RunTool(words, input, Environment());
    }
    std::vector<std::pair<std::string, std::string>> Environment() const {
        return {{"COMP_MGR_FAKE_LOG", LogPath()}, {"VNT_ROOT", Machine().string()}};
    }
    std::filesystem::path Machine() const { return dir_.path() / "machine x"; }
    std::string LogPath() const { return (dir_.path() / "calls.log").string(); }
    std::string Log() const { return ReadFile(LogPath()); }
    // The stand-in's first line: the machine settings it saw when it was loaded.
    std::string Load() const {
        return "load VNT_ROOT=[" + Machine().string() + "] VNT_HOST_EXE=NULL VNT_CWD=NULL VNT_UI=NULL\n";
    }

    TempDir dir_;
};

TEST_F(ToolFakeLibrary, ScriptRunsInOneLoadAndSkipsCommentsAndBlankLines) {
    ToolRun r = Run({"exec", "-"},
                    "# a comment\n\n   \n  # indented comment\r\n"
                    "bGetKeyVNT \"C:\\Ide\\bin\\vn_app.exe\" 3.0 17\r\n"
                    "bGetDbUpdateFlag\n"
                    "bLinkPlugIns VntInstallation_1 PlugIn_2 1\n"
                    "bGetDbUpdateFlag\n"
                    "vUnRegAllPlgN\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "bGetKeyVNT -> 0 size=17 text=\"VntInstallation_3\" nul=no\n"
              "bGetDbUpdateFlag -> 0 changes=0xFFFFCFC7\n"
              "bLinkPlugIns -> 1\n"
              "bGetDbUpdateFlag -> 1 changes=0x00000900\n"
              "vUnRegAllPlgN -> -\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(Log(), Load() +
                         "bGetKeyVNT [C:\\Ide\\bin\\vn_app.exe] [3.0] 17\n"
                         "bGetDbUpdateFlag\n"
                         "bLinkPlugIns [VntInstallation_1] [PlugIn_2] 1\n"
                         "bGetDbUpdateFlag\n"
                         "vUnRegAllPlgN\n"
                         "unload\n");
}

TEST_F(ToolFakeLibrary, TextsReachTheLibraryExactly) {
    ToolRun r = Run({"exec", "-"}, "bInstallVNT NULL \"\" \"NULL\" \"a \"\"q\"\" b\" C:\\x\\\\y\\ \"\"\"\" -3\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "bInstallVNT -> 0\n");
    EXPECT_NE(Log().find("bInstallVNT NULL [] [NULL] [a \"q\" b] [C:\\x\\\\y\\] [\"] [-3]\n"), std::string::npos)
        << Log();
}

TEST_F(ToolFakeLibrary, MalformedLinesAreSkippedAndTheRunEndsWithStatus2) {
    ToolRun r = Run({"exec", "-"},
                    "bPrepareVNT \"unterminated\n"
                    "bPrepareVNT VntInstallation_1\n"
                    "noSuchExport 1\n"
                    "iDetectNewPlugIns two\n"
                    "iDetectNewPlugIns 2\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "bPrepareVNT -> 1\niDetectNewPlugIns -> 4\n");
    EXPECT_NE(r.err.find("line 1: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 3: unknown export: noSuchExport"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("line 4: "), std::string::npos) << r.err;
    // The library still loaded once, ran the good lines and unloaded normally.
    EXPECT_EQ(Log(), Load() + "bPrepareVNT [VntInstallation_1]\niDetectNewPlugIns 2\nunload\n");
}

TEST_F(ToolFakeLibrary, CatalogEntriesAndTheirKeywords) {
    ToolRun r = Run({"exec", "-"},
                    "bGetCatalogByNdx 0 0 18\n"
                    "bGetCatalogByNdx 1 1 8\n"
                    "bGetCatalogByNdx 1 5 8\n"
                    "bGetCatalogByNdx 1 0 9 NULLENTRY\n"
                    "bGetCatalogByKey PlugIn_1 NULLENTRY\n"
                    "bGetCatalogByKey PlugIn_1 NULLADDR\n");
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string installation =
        "bGetCatalogByNdx -> 1 size=17 text=\"VntInstallation_1\" nul=yes\n"
        "  DisplayName=Vantrel IDE\n"
        "  ProgLocation=C:\\Ide\\bin\\vn_app.exe\n"
        "  LastAccessDate=(I) Monday, December 04, 2006 15:04:33\n"
        "  Status=17\n"
        "  SdkVersion=3.0\n"
        "  CpuSupport=alpha|beta\n"
        "  PlugInLst_GrpName=PlugIn_1|PlugIn_9\n"
        "  GroupDescription=\n"
        "  HelpFile=\n"
        "  Sku=A,B\n";
    ASSERT_EQ(r.out.compare(0, installation.size(), installation), 0) << r.out;
    // A name that does not fit: 0, the cut name, and the entry copied anyway.
    EXPECT_NE(r.out.find("bGetCatalogByNdx -> 0 size=8 text=\"PlugIn_2\" nul=no\n  DisplayName=Viewer\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  SdkVersion=10.125\n"), std::string::npos);
    EXPECT_NE(r.out.find("bGetCatalogByNdx -> 0 size=8 text=\"\" nul=yes\nbGetCatalogByNdx -> 0 size=9"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("bGetCatalogByKey -> 0\nbGetCatalogByKey -> 0\n"), std::string::npos) << r.out;
    EXPECT_NE(Log().find("bGetCatalogByNdx 1 0 NULLENTRY\nbGetCatalogByKey [PlugIn_1] NULLENTRY\n"
                         "bGetCatalogByKey [PlugIn_1] NULLADDR\n"),
              std::string::npos)
        << Log();
}

TEST_F(ToolFakeLibrary, FaultsOfTheLibraryAreReported) {
    ToolRun r = Run({"call", "bGetKeyVNT", "overflow", "3.0", "4"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "bGetKeyVNT -> 0 size=4 text=\"XXXX\" nul=no\n");
    EXPECT_NE(r.err.find("wrote past the end of buffer 1 (capacity 4"), std::string::npos) << r.err;
    // A text stored without its terminator shows the buffer's filler after it.
    r = Run({"call", "bGetKeyVNT", "unterminated", "3.0", "6"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "bGetKeyVNT -> 1 size=6 text=\"abc###\" nul=no\n");
}

// What the library reports outside its calls is printed; an error (it could
// not start, its save at unload failed) fails the run, a warning does not.
TEST_F(ToolFakeLibrary, WhatTheLibraryReportsOutsideItsCallsIsPrinted) {
    struct Case {
        const char* setting;
        const char* report;
        int status;
        const char* printed;
    };
    const Case cases[] = {
        {"COMP_MGR_FAKE_CALL_REPORT", "error: the component manager could not start: out of memory", 1,
         "comp_mgr: the component manager could not start: out of memory\n"},
        {"COMP_MGR_FAKE_UNLOAD_REPORT", "error: the changes could not be saved: cannot write C:\\db\\x.ini: full", 1,
         "comp_mgr: the changes could not be saved: cannot write C:\\db\\x.ini: full\n"},
        {"COMP_MGR_FAKE_UNLOAD_REPORT", "warning: kept as C:\\db\\x.1.ini", 0,
         "comp_mgr: warning: kept as C:\\db\\x.1.ini\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.report);
        ToolRun r = RunTool({"--library", COMP_MGR_FAKE_LIBRARY_PATH, "call", "iGetCatalogCount", "0"}, "",
                            {{"COMP_MGR_FAKE_LOG", LogPath()},
                             {"VNT_ROOT", Machine().string()},
                             {c.setting, c.report},
                             {"COMP_MGR_REPORT", "stale"}});
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, "iGetCatalogCount -> 1\n");
        EXPECT_EQ(r.err, c.printed);
    }
}

TEST_F(ToolFakeLibrary, CallTakesShellWords) {
    ToolRun r = Run({"call", "bUpdateVNT", "C:\\Program Files\\a.exe", "", "NULL", "\"NULL\"", "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "bUpdateVNT -> 0\n");
    EXPECT_NE(Log().find("bUpdateVNT [C:\\Program Files\\a.exe] [] NULL [NULL] [--json]\n"), std::string::npos)
        << Log();
}

TEST_F(ToolFakeLibrary, NoSaveAbortsBeforeUnloading) {
    ToolRun r = Run({"--no-save", "call", "InstallVNT"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "InstallVNT -> 0\n");
    EXPECT_EQ(Log(), Load() + "InstallVNT\nbAbortDbUpdate\nunload\n");
}

TEST_F(ToolFakeLibrary, MachineOptionsAreInTheEnvironmentAtLoad) {
    ToolRun r = Run(
        {"--root", Machine().string(), "--ui=none", "flags", "--host-exe", "C:\\Ide\\vn_app.exe", "--cwd", "D:\\work"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "modified: no\n");
    EXPECT_EQ(Log().substr(0, Log().find('\n')),
              "load VNT_ROOT=[" + Machine().string() +
                  "] VNT_HOST_EXE=[C:\\Ide\\vn_app.exe] VNT_CWD=[D:\\work] VNT_UI=[none]");
}

TEST_F(ToolFakeLibrary, UsageErrorsNeverLoadTheLibrary) {
    const std::vector<std::vector<std::string>> cases = {
        {"call", "bGetKeyVNT", "a"},
        {"call", "nope"},
        {"call"},
        {"exec"},
        {"exec", (dir_.path() / "missing.txt").string()},
        {"frobnicate"},
        {"list", "things"},
        {"link", "A", "B", "sideways"},
        {"detect", "maybe"},
        {"show"},
        {"--ui", "loud", "flags"},
        {"--root"},
        {"--bogus", "flags"},
        {},
    };
    for (const auto& words : cases) {
        ToolRun r = Run(words);
        EXPECT_EQ(r.status, 2) << words.size() << " " << (words.empty() ? "" : words[0]) << ": " << r.err;
        EXPECT_NE(r.err, "");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(Log(), "");
}

TEST_F(ToolFakeLibrary, HelpAndVersion) {
    ToolRun r = Run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("exec FILE|-"), std::string::npos);
    r = Run({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("comp_mgr ", 0), 0u);
    EXPECT_EQ(Log(), "");
}

TEST_F(ToolFakeLibrary, LibraryThatDoesNotLoadIsStatus1) {
    ToolRun r = Run({"flags"}, "", (dir_.path() / "nowhere.so").string());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot load"), std::string::npos);
    tool_test::WriteFile(dir_.path() / "garbage.so", "not a shared object");
    r = Run({"flags"}, "", (dir_.path() / "garbage.so").string());
    EXPECT_EQ(r.status, 1);
}

TEST_F(ToolFakeLibrary, DefaultLibraryIsTheOneNextToTheTool) {
    namespace fs = std::filesystem;
    const fs::path bin = dir_.path() / "bin";
    fs::create_directories(bin);
    fs::copy_file(COMP_MGR_TOOL_PATH, bin / "comp_mgr");
    fs::permissions(bin / "comp_mgr", fs::perms::owner_all);
    ToolRun r = RunTool({"call", "InstallVNT"}, "", Environment(), (bin / "comp_mgr").string());
    EXPECT_EQ(r.status, 1);  // nothing there yet
    EXPECT_NE(r.err.find("libcomp_mgr.so"), std::string::npos) << r.err;
    fs::copy_file(COMP_MGR_FAKE_LIBRARY_PATH, bin / "libcomp_mgr.so");
    r = RunTool({"call", "InstallVNT"}, "", Environment(), (bin / "comp_mgr").string());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Log(), Load() + "InstallVNT\nunload\n");
}

TEST_F(ToolFakeLibrary, MissingExports) {
    // Raw call of an export this library lacks: 1, after one load and unload.
    ToolRun r = Run({"call", "iGetCatalogCount", "0"}, "", COMP_MGR_FAKE_REDUCED_LIBRARY_PATH);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("export iGetCatalogCount is missing"), std::string::npos) << r.err;
    EXPECT_EQ(Log(), Load() + "unload\n");
    // A command against a library without the catalog queries: 1.
    r = Run({"list"}, "", COMP_MGR_FAKE_REDUCED_LIBRARY_PATH);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("export iGetCatalogCount is missing"), std::string::npos) << r.err;
    // In a script, the other lines still run.
    r = Run({"exec", "-"}, "iGetCatalogCount 0\nInstallVNT\n", COMP_MGR_FAKE_REDUCED_LIBRARY_PATH);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "InstallVNT -> 0\n");
}

TEST_F(ToolFakeLibrary, ListShowAndLinks) {
    ToolRun r = Run({"list"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "SECTION            DISPLAY NAME  VERSION  STATUS                LOCATION\n"
              "VntInstallation_1  Vantrel IDE   3.0      current 0x11          C:\\Ide\\bin\\vn_app.exe\n"
              "PlugIn_1           Scope \"Pro\"   2.5      found,new,pinned 0xB  C:\\P\\scope.dll\n"
              "PlugIn_2           Viewer        10.125   new 0x12              C:\\P\\viewer.ocx\n");
    r = Run({"list", "plugins", "--json"});
    EXPECT_EQ(r.out,
              "{\"plugins\":[{\"section\":\"PlugIn_1\",\"displayName\":\"Scope \\\"Pro\\\"\",\"version\":\"2.5\","
              "\"status\":11,\"statusWords\":[\"found\",\"new\",\"pinned\"],\"location\":\"C:\\\\P\\\\scope.dll\"},"
              "{\"section\":\"PlugIn_2\",\"displayName\":\"Viewer\",\"version\":\"10.125\",\"status\":18,"
              "\"statusWords\":[\"new\"],\"location\":\"C:\\\\P\\\\viewer.ocx\"}]}\n");

    r = Run({"show", "VntInstallation_1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("section:               VntInstallation_1\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Status:                17 (current 0x11)\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("CpuSupport:            alpha,beta\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("HelpFile:\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("extra Registration:    R1,R2\n"), std::string::npos) << r.out;

    r = Run({"show", "PlugIn_7"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "comp_mgr: no such section: PlugIn_7\n");
    r = Run({"--json", "show", "PlugIn_7"});
    EXPECT_EQ(r.out, "{\"section\":\"PlugIn_7\",\"found\":false}\n");

    r = Run({"links", "VntInstallation_1"});
    EXPECT_EQ(r.out,
              "SECTION   DISPLAY NAME          VERSION\n"
              "PlugIn_1  Scope \"Pro\"           2.5\n"
              "PlugIn_9  (not in the catalog)\n");
    r = Run({"links", "PlugIn_1"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "comp_mgr: not an installation: PlugIn_1\n");
}

TEST_F(ToolFakeLibrary, RecordCommands) {
    ToolRun r = Run({"install", "C:\\a\\vn_app.exe", "3.0", "*", "S", "Ide", "C:\\a", ""});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "result:  recorded\nsection: VntInstallation_3\n");
    EXPECT_NE(Log().find("bInstallVNT [C:\\a\\vn_app.exe] [3.0] [*] [S] [Ide] [C:\\a] []\n"), std::string::npos);

    r = Run({"link", "VntInstallation_1", "PlugIn_2", "check"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.err, "comp_mgr: bLinkPlugIns refused to check PlugIn_2 and VntInstallation_1\n");
    r = Run({"--json", "link", "VntInstallation_1", "PlugIn_2"});
    EXPECT_EQ(r.out, "{\"installation\":\"VntInstallation_1\",\"plugin\":\"PlugIn_2\",\"mode\":1,\"result\":1}\n");

    r = Run({"detect", "count"});
    EXPECT_EQ(r.out, "mode:   count (2)\nresult: 4 new plug-ins left\n");
    r = Run({"detect", "ask"});
    EXPECT_NE(Log().find("iDetectNewPlugIns 3\n"), std::string::npos);

    r = Run({"key", "C:\\Ide\\bin\\vn_app.exe", "3.0"});
    EXPECT_EQ(r.out, "section: VntInstallation_3\n");

    r = Run({"prepare", "VntInstallation_2"});
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.out, "");
}

}  // namespace

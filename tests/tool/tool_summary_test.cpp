// The summary of a run: read from event lines, the log's tail found across a
// rotation, and the tool on a machine whose start-up repairs change the
// catalog (-q, -v).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "change_summary.h"
#include "event_capture.h"
#include "tool_test_support.h"

namespace {

using comp_mgr_tool::LogMark;
using comp_mgr_tool::MarkLog;
using comp_mgr_tool::ReadAppended;
using comp_mgr_tool::SummarizeEvents;
using tool_test::ReadFile;
using tool_test::TempDir;
using tool_test::ToolRun;
using tool_test::WriteFile;

std::string Lines(const std::vector<std::string>& events) {
    std::string log;
    for (const std::string& e : events) log += "2006-12-04 15:04:33|" + e + "\n";
    return log;
}

TEST(ChangeSummary, EachKindIsOneClauseInAFixedOrder) {
    const struct {
        const char* what;
        std::vector<std::string> events;
        const char* summary;
    } cases[] = {
        {"nothing", {}, ""},
        {"the example",
         {"registered|C:\\\\p\\\\a.dll|DllRegisterServer returned 0x00000000",
          "renumbered|PlugIn_5|PlugIn_5 -> PlugIn_3", "dropped|PlugIn_3|C:\\\\p\\\\a.dll: the file is gone",
          "registered|C:\\\\p\\\\b.dll|DllRegisterServer returned 0x00000001"},
         "this run removed PlugIn_3 (C:\\p\\a.dll: the file is gone); renamed PlugIn_5 -> PlugIn_3; registered 2 "
         "servers"},
        {"refusals",
         {"link-refused|VntInstallation_2|link PlugIn_3: it is linked already",
          "link-refused|VntInstallation_1|unlink PlugIn_6: the plug-in is protected (Status 0x08: never unlinked)",
          "link-refused|VntInstallation_1|check PlugIn_2: the plug-in names no processor"},
         "this run refused to link PlugIn_3 to VntInstallation_2 (it is linked already), to unlink PlugIn_6 from "
         "VntInstallation_1 (the plug-in is protected (Status 0x08: never unlinked)), a link of PlugIn_2 to "
         "VntInstallation_1 (the plug-in names no processor)"},
        {"many are counted",
         {"dropped|PlugIn_1|C:\\\\1.dll: the file is gone", "dropped|PlugIn_2|C:\\\\2.dll: the file is gone",
          "dropped|PlugIn_3|C:\\\\3.dll: the file is gone", "dropped|PlugIn_4|C:\\\\4.dll: the file is gone",
          "dropped|PlugIn_5|C:\\\\5.dll: the file is gone"},
         "this run removed 5 sections: PlugIn_1 (C:\\1.dll: the file is gone), PlugIn_2 (C:\\2.dll: the file is "
         "gone), PlugIn_3 (C:\\3.dll: the file is gone) and 2 more"},
        {"links and servers",
         {"linked|VntInstallation_1|PlugIn_2", "unlinked|VntInstallation_1|PlugIn_4",
          "register-failed|C:\\\\s\\\\x.dll|the server did not load",
          "unregistered|C:\\\\s\\\\y.dll|DllUnregisterServer "
          "returned 0x00000000"},
         "this run linked PlugIn_2 to VntInstallation_1; unlinked PlugIn_4 from VntInstallation_1; could not "
         "register 1 server (C:\\s\\x.dll (the server did not load)); unregistered 1 server"},
        {"escapes and bars",
         {"added|Plug\\|In_1|C:\\\\a|b.dll", "engine|PlugIn_2|settled: not offered"},
         "this run added Plug|In_1 (C:\\a|b.dll); the component engine: PlugIn_2 settled: not offered"},
        {"not events, and kinds of a later library", {"warp|PlugIn_1|x"}, "this run recorded 1 other event"},
        {"a section without a name",
         {"dropped||no file is recorded for it"},
         "this run removed (a section without a name) (no file is recorded for it)"},
    };
    for (const auto& c : cases) {
        std::string log = Lines(c.events);
        if (std::string(c.what) == "not events, and kinds of a later library") log += "garbage\n|||\n";
        EXPECT_EQ(SummarizeEvents(log), c.summary) << c.what;
    }
}

TEST(ChangeSummary, TheTailOfTheLogIsFoundAcrossARotation) {
    TempDir dir;
    const std::string log = (dir.path() / "events.log").string();
    WriteFile(log, "old\n");
    const LogMark start = MarkLog(log);
    WriteFile(log, "old\nnew1\n");
    EXPECT_EQ(ReadAppended(log, start), "new1\n");
    EXPECT_EQ(ReadAppended(log, MarkLog(log)), "");
    // Rotated during the run: the rest of the older log, then the new one,
    // also when the new one is already longer than the old one was.
    WriteFile(log + ".1", "old\nnew1\nnew2\n");
    for (const char* newer : {"n3\n", "new3\n", "new3 and more\n"}) {
        WriteFile(log, newer);
        EXPECT_EQ(ReadAppended(log, start), std::string("new1\nnew2\n") + newer);
    }
    EXPECT_EQ(ReadAppended((dir.path() / "none.log").string(), LogMark{}), "");
}

TEST(ChangeSummary, ARunThatBeganWithNoLogAndRotatedItKeepsEveryLine) {
    TempDir dir;
    const std::string log = (dir.path() / "events.log").string();
    WriteFile(log + ".1", "earlier run\n");
    const LogMark start = MarkLog(log);  // no log yet
    WriteFile(log, "mine1\n");
    EXPECT_EQ(ReadAppended(log, start), "mine1\n");
    WriteFile(log + ".1", "mine1\n");  // the run's own log became the older one
    WriteFile(log, "mine2\n");
    EXPECT_EQ(ReadAppended(log, start), "mine1\nmine2\n");
}

class ToolSummary : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(root() / "registry.reg",
                  "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
                  "\"target\"=\"C:\\\\Vantrel\\\\db\"\r\n\r\n");
        WriteFile(root() / "drive_c/Vantrel/bin/vn_app.exe", "x");
        WriteFile(root() / "drive_c/Ide/bin/vn_app.exe", "x");
        // The first installation's program is gone (its path holds a
        // character of code page 1252): the start drops it, the unload
        // renumbers the second.
        WriteFile(root() / "drive_c/Vantrel/db/vnt_Compdb.ini",
                  "[VntInstallation_1]\r\nProgLocation=C:\\Gon\xe9\\bin\\vn_app.exe\r\nSdkVersion=2.0\r\n"
                  "CpuSupport=alpha\r\nStatus=16\r\n\r\n"
                  "[VntInstallation_2]\r\nProgLocation=C:\\Ide\\bin\\vn_app.exe\r\n"
                  "SdkVersion=3.0\r\nCpuSupport=alpha\r\nStatus=16\r\n\r\n");
    }
    std::filesystem::path root() const { return dir_.path() / "machine"; }
    ToolRun Run(std::vector<std::string> words) const {
        words.insert(words.begin(), {"--library", COMP_MGR_LIBRARY_PATH, "--root", root().string(), "--ui", "none"});
        return tool_test::RunTool(words, "", {{"VNT_NOW", "2006-12-04 15:04:33"}, {"TZ", "UTC"}});
    }
    TempDir dir_;
};

TEST_F(ToolSummary, ARunThatRepairsTellsWhatItChangedAndTheNextRunSaysNothing) {
    ToolRun first = Run({"key", "C:\\Ide\\bin\\vn_app.exe", "3.0"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(
        first.err,
        "comp_mgr: this run removed VntInstallation_1 (C:\\Gon\xc3\xa9\\bin\\vn_app.exe: the file is gone); renamed "
        "VntInstallation_2 -> VntInstallation_1\n");
    EXPECT_EQ(ReadFile(root() / "log/events.log"),
              "2006-12-04 15:04:33|dropped|VntInstallation_1|C:\\\\Gon\xe9\\\\bin\\\\vn_app.exe: the file is gone\n"
              "2006-12-04 15:04:33|renumbered|VntInstallation_2|VntInstallation_2 -> VntInstallation_1\n");
    ToolRun second = Run({"key", "C:\\Ide\\bin\\vn_app.exe", "3.0"});
    EXPECT_EQ(second.err, "") << "only what this run appended counts";
}

TEST_F(ToolSummary, QuietLeavesTheSummaryOutAndVerboseEchoesEachEvent) {
    TempDir copy;
    std::filesystem::copy(root(), copy.path() / "machine", std::filesystem::copy_options::recursive);
    ToolRun quiet = Run({"-q", "list"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");

    std::filesystem::remove_all(root());
    std::filesystem::copy(copy.path() / "machine", root(), std::filesystem::copy_options::recursive);
    ToolRun verbose = Run({"-v", "list"});
    EXPECT_EQ(
        verbose.err,
        "2006-12-04 15:04:33|dropped|VntInstallation_1|C:\\\\Gon\xc3\xa9\\\\bin\\\\vn_app.exe: the file is gone\n"
        "2006-12-04 15:04:33|renumbered|VntInstallation_2|VntInstallation_2 -> VntInstallation_1\n"
        "comp_mgr: this run removed VntInstallation_1 (C:\\Gon\xc3\xa9\\bin\\vn_app.exe: the file is gone); renamed "
        "VntInstallation_2 -> VntInstallation_1\n");
}

}  // namespace

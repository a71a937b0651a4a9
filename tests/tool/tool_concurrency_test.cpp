// The tool's runs against one machine: one at a time (the machine lock),
// concurrent runs that all keep their changes, and a save that fails making
// the run fail with its reason and being told at the next start.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "tool_test_support.h"

namespace {

using tool_test::ReadFile;
using tool_test::TempDir;
using tool_test::ToolRun;
using tool_test::WriteFile;

class ToolRuns : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(root() / "registry.reg",
                  "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
                  "\"target\"=\"C:\\\\Vantrel\\\\db\"\r\n\r\n");
        WriteFile(Drive("Vantrel/bin/vn_app.exe"), "x");
        WriteFile(Drive("Vantrel/db/vnt_Compdb.ini"),
                  "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nStatus=16\r\n");
    }
    std::filesystem::path root() const { return dir_.path() / "machine"; }
    std::filesystem::path Drive(const std::string& relative) const { return root() / "drive_c" / relative; }
    std::string Catalog() const { return ReadFile(Drive("Vantrel/db/vnt_Compdb.ini")); }

    ToolRun Run(std::vector<std::string> words, const std::string& lockWait = "5") const {
        words.insert(words.begin(), {"--library", COMP_MGR_LIBRARY_PATH, "--root", root().string(), "--ui", "none"});
        return tool_test::RunTool(
            words, "", {{"VNT_NOW", "2006-12-04 15:04:33"}, {"TZ", "UTC"}, {"COMP_MGR_LOCK_WAIT", lockWait}});
    }
    // Records whose program is gone are dropped at start-up: the program is made first.
    std::vector<std::string> Install(const std::string& name) const {
        WriteFile(Drive(name + "/bin/vn_app.exe"), "x");
        return {"install", "C:\\" + name + "\\bin\\vn_app.exe", "3.0", "alpha", "S", name, "C:\\" + name, ""};
    }

    TempDir dir_;
};

// A run waits for the lock as long as it is told, then fails naming the
// holder; a lock file left by a run that is gone is simply taken.
TEST_F(ToolRuns, ARunWaitsForTheMachineLockThenSaysWhoHoldsIt) {
    const std::string lockPath = (root() / "comp_mgr.lock").string();
    WriteFile(lockPath, "pid 4242, comp_mgr install, since 2006-12-04 15:04:00\n");
    ToolRun stale = Run({"list"}, "0");
    EXPECT_EQ(stale.status, 0) << stale.err;

    // Close-on-exec: the runs started from here must not inherit the lock.
    int held = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(::ftruncate(held, 0), 0);
    const std::string holder = "pid 4243, comp_mgr link, since 2006-12-04 15:04:30\n";
    ASSERT_EQ(::pwrite(held, holder.data(), holder.size(), 0), static_cast<ssize_t>(holder.size()));
    ToolRun busy = Run(Install("Busy"), "0.2");
    EXPECT_EQ(busy.status, 1);
    EXPECT_NE(busy.err.find("in use by another run of comp_mgr (pid 4243, comp_mgr link, since 2006-12-04 15:04:30)"),
              std::string::npos)
        << busy.err;
    EXPECT_EQ(Catalog().find("Busy"), std::string::npos);

    // Released while the next run waits: that run goes ahead.
    std::thread release([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ::close(held);
    });
    ToolRun waited = Run(Install("Waited"), "5");
    release.join();
    EXPECT_EQ(waited.status, 0) << waited.err;
    EXPECT_NE(Catalog().find("C:\\Waited\\bin\\vn_app.exe"), std::string::npos);
}

// Four runs at once, 25 times: each run's installation is in the catalog at
// the end, none was lost to another run's save.
TEST_F(ToolRuns, FourConcurrentWritersKeepEveryChange) {
    const int kWriters = 4, kRounds = 25;
    for (int round = 0; round < kRounds; ++round) {
        for (int w = 0; w < kWriters; ++w) Install("R" + std::to_string(round) + "W" + std::to_string(w));
        std::vector<std::thread> writers;
        std::vector<ToolRun> runs(kWriters);
        for (int w = 0; w < kWriters; ++w) {
            writers.emplace_back(
                [&, w] { runs[w] = Run(Install("R" + std::to_string(round) + "W" + std::to_string(w)), "30"); });
        }
        for (auto& t : writers) t.join();
        for (const ToolRun& r : runs) ASSERT_EQ(r.status, 0) << r.err;
    }
    const std::string catalog = Catalog();
    for (int round = 0; round < kRounds; ++round) {
        for (int w = 0; w < kWriters; ++w) {
            const std::string location =
                "C:\\R" + std::to_string(round) + "W" + std::to_string(w) + "\\bin\\vn_app.exe";
            EXPECT_NE(catalog.find(location), std::string::npos) << location;
        }
    }
}

// A save that fails leaves the files as they were, fails the run with its
// reason, and is told to the user by the next start.
TEST_F(ToolRuns, AFailedSaveFailsTheRunAndIsToldAtTheNextStart) {
    const std::string before = Catalog();
    // Something that is no file where the catalog's temporary file would go:
    // the folder cannot take a new file for as long as it is full.
    const auto folder = Drive("Vantrel/db");
    std::filesystem::remove(folder / "vnt_Compdb.ini");
    std::filesystem::create_directories(folder / "vnt_Compdb.ini");
    ToolRun failed = Run(Install("Lost"));
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("comp_mgr: the changes could not be saved: cannot write C:\\Vantrel\\db\\vnt_Compdb.ini"),
              std::string::npos)
        << failed.err;
    EXPECT_TRUE(std::filesystem::is_directory(folder / "vnt_Compdb.ini"));
    const std::string record = ReadFile(folder / "vnt_Compdb.status");
    EXPECT_NE(record.find("not saved: "), std::string::npos) << record;

    std::filesystem::remove(folder / "vnt_Compdb.ini");
    WriteFile(folder / "vnt_Compdb.ini", before);
    ToolRun next = Run({"detect", "ask"});
    EXPECT_EQ(next.status, 0) << next.err;
    const std::string told = ReadFile(root() / "log" / "messages.log");
    EXPECT_NE(told.find("comp_mgr|The last changes to the component manager database could not be saved."),
              std::string::npos)
        << told;
    EXPECT_FALSE(std::filesystem::exists(folder / "vnt_Compdb.status"));
}

}  // namespace

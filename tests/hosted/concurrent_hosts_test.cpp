// Hosts that keep the library loaded while others save: real processes, each
// loading libcomp_mgr.so, recording an installation and unloading, four at a
// time for 25 rounds, with no lock of the tool between them. Every change is
// in the final catalog (a save merges what another host saved in between),
// or in a version kept aside that its saver reported.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hosted_test_root.h"

namespace {

using hosted_test::TestRoot;

using InstallFn = int (*)(const char*, const char*, const char*, const char*, const char*, const char*, const char*);

std::string Location(int round, int writer) {
    return "C:\\R" + std::to_string(round) + "W" + std::to_string(writer) + "\\bin\\vn_app.exe";
}

// The child: one host's run. Its report goes to `reportPath`.
[[noreturn]] void RunHost(int round, int writer, int startFd, const std::string& reportPath) {
    char go = 0;
    if (::read(startFd, &go, 1) != 1) _exit(3);
    void* library = dlopen(COMP_MGR_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) _exit(4);
    auto install = reinterpret_cast<InstallFn>(dlsym(library, "bInstallVNT"));
    const std::string where = Location(round, writer);
    const std::string folder = where.substr(0, where.size() - 15);
    const int recorded = install ? install(where.c_str(), "3.0", "alpha", "S", "Host", folder.c_str(), "") : 0;
    // The host keeps the library loaded for a while, as a busy one would.
    ::usleep(static_cast<useconds_t>(1000 * ((round * 7 + writer * 3) % 11)));
    dlclose(library);
    const char* report = getenv("COMP_MGR_REPORT");
    std::ofstream(reportPath) << (report ? report : "");
    _exit(recorded ? 0 : 5);
}

TEST(ConcurrentHosts, EveryChangeIsSavedOrKeptAsideAndReported) {
    const int kWriters = 4, kRounds = 25;
    TestRoot root;
    root.Write("registry.reg",
               "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KOVRA\\Vantrel\\ComponentManager]\r\n"
               "\"target\"=\"C:\\\\Vantrel\\\\db\"\r\n\r\n");
    root.Write("drive_c/Vantrel/db/vnt_Compdb.ini",
               "[VntInstallation_1]\r\nProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\nStatus=16\r\n");
    root.Write("drive_c/Vantrel/bin/vn_app.exe", "x");
    for (int round = 0; round < kRounds; ++round)
        for (int w = 0; w < kWriters; ++w)
            root.Write("drive_c/R" + std::to_string(round) + "W" + std::to_string(w) + "/bin/vn_app.exe", "x");

    std::string reports;
    for (int round = 0; round < kRounds; ++round) {
        int start[2];
        ASSERT_EQ(::pipe(start), 0);
        std::vector<pid_t> hosts;
        for (int w = 0; w < kWriters; ++w) {
            const std::string reportPath = root.Host("report" + std::to_string(w));
            pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                ::close(start[1]);
                setenv("VNT_ROOT", root.path().c_str(), 1);
                setenv("VNT_UI", "none", 1);
                setenv("VNT_HOST_EXE", "C:\\Vantrel\\bin\\vn_app.exe", 1);
                setenv("VNT_NOW", "2006-12-04 15:04:33", 1);
                unsetenv("COMP_MGR_REPORT");
                RunHost(round, w, start[0], reportPath);
            }
            hosts.push_back(pid);
        }
        ::close(start[0]);
        // All start together.
        ASSERT_EQ(::write(start[1], "gggg", kWriters), kWriters);
        ::close(start[1]);
        for (pid_t pid : hosts) {
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        }
        for (int w = 0; w < kWriters; ++w) reports += root.Read("report" + std::to_string(w)) + "\n";
    }

    // The versions kept aside, each reported by the save that kept it.
    std::vector<std::string> kept;
    for (const auto& item : std::filesystem::directory_iterator(root.Host("drive_c/Vantrel/db"))) {
        const std::string name = item.path().filename().string();
        if (name.rfind("vnt_Compdb.2006", 0) != 0) continue;
        kept.push_back(root.Read("drive_c/Vantrel/db/" + name));
        EXPECT_NE(reports.find("kept as C:\\Vantrel\\db\\" + name), std::string::npos) << name;
    }
    EXPECT_EQ(reports.find("error:"), std::string::npos) << reports;

    const std::string catalog = root.Read("drive_c/Vantrel/db/vnt_Compdb.ini");
    int inCatalog = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (int w = 0; w < kWriters; ++w) {
            const std::string location = Location(round, w);
            if (catalog.find(location) != std::string::npos) {
                ++inCatalog;
                continue;
            }
            bool found = false;
            for (const std::string& version : kept) found = found || version.find(location) != std::string::npos;
            EXPECT_TRUE(found) << location << " is neither saved nor kept aside";
        }
    }
    // Each host added a section of its own, which a save merges with what
    // another saved in between; without the merge three in four would only
    // be in versions kept aside.
    EXPECT_GT(inCatalog, kWriters * kRounds * 3 / 4);
    RecordProperty("kept_aside", static_cast<int>(kept.size()));
}

}  // namespace

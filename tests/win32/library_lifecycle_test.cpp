// comp_mgr.dll through the system loader: attaching must not run the start-up
// under the loader lock, the first export call runs it, detaching saves (or,
// after bAbortDbUpdate, leaves the files alone), and one process can load the
// library again after freeing it.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "comp_mgr/comp_mgr.h"
#include "win32/win32_fixture.h"

namespace comp_mgr {
namespace {

using win32_test::DeleteTree;
using win32_test::Export;
using win32_test::ReadFileBytes;
using win32_test::ScopedEnv;
using win32_test::ScratchFolder;
using win32_test::WriteFileBytes;

const char kManagerKey[] = "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager";

std::string LibraryPath() {
    char exe[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string path = exe;
    return path.substr(0, path.rfind('\\') + 1) + "comp_mgr.dll";
}

// Runs `work` on another thread and fails the test if it does not finish:
// a start-up under the loader lock would hang right there.
bool FinishesWithin(DWORD milliseconds, const std::function<void()>& work) {
    struct Call {
        static DWORD WINAPI Run(LPVOID p) {
            (*static_cast<const std::function<void()>*>(p))();
            return 0;
        }
    };
    HANDLE thread = CreateThread(nullptr, 0, &Call::Run, const_cast<std::function<void()>*>(&work), 0, nullptr);
    if (!thread) return false;
    DWORD waited = WaitForSingleObject(thread, milliseconds);
    CloseHandle(thread);
    if (waited != WAIT_OBJECT_0) {
        // The stuck thread holds the loader lock; the process cannot end normally.
        std::fprintf(stderr, "comp_mgr.dll hung in the loader\n");
        std::fflush(stderr);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    return true;
}

class LibraryLifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kManagerKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        char old[1024];
        DWORD size = sizeof old;
        hadTarget_ =
            RegQueryValueExA(key, "target", nullptr, nullptr, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        if (hadTarget_) oldTarget_.assign(old, size ? size - 1 : 0);
        const std::string target = dir_.path();
        RegSetValueExA(key, "target", 0, REG_SZ, reinterpret_cast<const BYTE*>(target.c_str()),
                       static_cast<DWORD>(target.size() + 1));
        RegCloseKey(key);
        WriteFileBytes(dir_ / "vn_app.exe", "program");
    }
    void TearDown() override {
        if (hadTarget_) {
            HKEY key;
            if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kManagerKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
                RegSetValueExA(key, "target", 0, REG_SZ, reinterpret_cast<const BYTE*>(oldTarget_.c_str()),
                               static_cast<DWORD>(oldTarget_.size() + 1));
                RegCloseKey(key);
            }
        } else {
            DeleteTree(HKEY_LOCAL_MACHINE, kManagerKey);
        }
    }

    // One section per installation; a program that is not there makes the
    // start-up drop its record.
    std::string Database(bool withMissingProgram) const {
        std::string text =
            "[VntInstallation_1]\r\nDisplayName      =Vantrel\r\nProgLocation     =" + (dir_ / "vn_app.exe") +
            "\r\nStatus           =0\r\nSdkVersion       =3.0\r\n\r\n";
        if (withMissingProgram) {
            text += "[VntInstallation_2]\r\nDisplayName      =Gone\r\nProgLocation     =" + (dir_ / "gone.exe") +
                    "\r\nSdkVersion       =3.0\r\n\r\n";
        }
        return text;
    }

    ScopedEnv ui_{"VNT_UI", "none"};
    ScratchFolder dir_;
    ScopedEnv log_{"VNT_LOG_DIR", (dir_ / "log").c_str()};
    bool hadTarget_ = false;
    std::string oldTarget_;
};

struct Exports {
    decltype(&::iGetCatalogCount) count = nullptr;
    decltype(&::bGetDbUpdateFlag) flags = nullptr;
    decltype(&::bAbortDbUpdate) abort = nullptr;
};

// Loads the library, runs `use` on its exports and frees it, all on a
// watched thread.
void WithLibrary(const std::function<void(HMODULE, const Exports&)>& use) {
    bool loaded = false;
    ASSERT_TRUE(FinishesWithin(60000, [&] {
        HMODULE library = LoadLibraryA(LibraryPath().c_str());
        if (!library) return;
        loaded = true;
        Exports e;
        e.count = Export<decltype(e.count)>(library, "iGetCatalogCount");
        e.flags = Export<decltype(e.flags)>(library, "bGetDbUpdateFlag");
        e.abort = Export<decltype(e.abort)>(library, "bAbortDbUpdate");
        if (e.count && e.flags && e.abort) use(library, e);
        FreeLibrary(library);
    }));
    ASSERT_TRUE(loaded) << LibraryPath();
}

TEST_F(LibraryLifecycleTest, EveryExportIsThereByItsUndecoratedName) {
    WithLibrary([](HMODULE library, const Exports&) {
        for (const char* name : {"InstallVNT", "bAbortDbUpdate", "bGetDbUpdateFlag", "iGetCatalogCount",
                                 "bGetCatalogByNdx", "bGetCatalogByKey", "bInstallVNT", "bUpdateVNT", "bGetKeyVNT",
                                 "bPrepareVNT", "bLinkPlugIns", "iDetectNewPlugIns", "vUnRegAllPlgN"}) {
            EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(library, name))) << name;
        }
    });
}

TEST_F(LibraryLifecycleTest, UnchangedCatalogIsNotRewrittenAndReloadsInOneProcess) {
    const std::string ini = dir_ / "vnt_Compdb.ini";
    WriteFileBytes(ini, Database(false));
    for (int round = 0; round < 2; ++round) {
        WithLibrary([](HMODULE, const Exports& e) {
            EXPECT_EQ(1, e.count(kCompMgrInstallation));
            int changes = -12345;
            EXPECT_EQ(0, e.flags(&changes));
            EXPECT_EQ(-12345, changes);
        });
        EXPECT_EQ(Database(false), ReadFileBytes(ini)) << "round " << round;
        EXPECT_EQ("<missing>", ReadFileBytes(dir_ / "vnt_Compdb.bak"));
    }
}

TEST_F(LibraryLifecycleTest, DetachSavesAChangedCatalogWithABackup) {
    const std::string ini = dir_ / "vnt_Compdb.ini";
    WriteFileBytes(ini, Database(true));
    WithLibrary([](HMODULE, const Exports& e) {
        EXPECT_EQ(1, e.count(kCompMgrInstallation));
        int changes = 0;
        EXPECT_EQ(1, e.flags(&changes));
        EXPECT_NE(0, changes & kCompMgrEntriesRemoved);
    });
    EXPECT_EQ(Database(true), ReadFileBytes(dir_ / "vnt_Compdb.bak"));
    const std::string saved = ReadFileBytes(ini);
    EXPECT_NE(std::string::npos, saved.find("[VntInstallation_1]"));
    EXPECT_EQ(std::string::npos, saved.find("gone.exe"));
}

TEST_F(LibraryLifecycleTest, AbortLeavesBothFilesByteIdentical) {
    const std::string ini = dir_ / "vnt_Compdb.ini";
    const std::string bak = dir_ / "vnt_Compdb.bak";
    WriteFileBytes(ini, Database(true));
    WriteFileBytes(bak, "older backup\r\n");
    WithLibrary([](HMODULE, const Exports& e) {
        int changes = 0;
        EXPECT_EQ(1, e.flags(&changes));  // the start-up dropped a record...
        EXPECT_EQ(1, e.abort());          // ...which the host discards
    });
    EXPECT_EQ(Database(true), ReadFileBytes(ini));
    EXPECT_EQ("older backup\r\n", ReadFileBytes(bak));
}

TEST_F(LibraryLifecycleTest, ADatabaseThatCannotBeOpenedIsReportedOnTheFirstCall) {
    // No vnt_Compdb.ini in the target folder.
    WithLibrary([](HMODULE, const Exports& e) { EXPECT_EQ(0, e.count(kCompMgrInstallation)); });
    const std::string log = ReadFileBytes(dir_ / "log\\messages.log");
    EXPECT_EQ(0u, log.find("comp_mgr|Error opening Component Manager INI file")) << log;
    std::string escapedPath;  // the log doubles backslashes
    for (char c : dir_.path() + "\\vnt_Compdb.ini") escapedPath += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_NE(std::string::npos, log.find("Path: \"" + escapedPath + "\"")) << log;
    // Nothing changed, so nothing is created.
    EXPECT_EQ("<missing>", ReadFileBytes(dir_ / "vnt_Compdb.ini"));
}

// What the save at detach could not do reaches the host (COMP_MGR_REPORT)
// and the status record for the next load: a save that failed, and another
// program's save in between that was kept aside.
TEST_F(LibraryLifecycleTest, WhatTheSaveAtDetachCouldNotDoIsReportedAndRecorded) {
    const std::string ini = dir_ / "vnt_Compdb.ini";
    const std::string status = dir_ / "vnt_Compdb.status";
    const std::string other =
        "[VntInstallation_1]\r\nDisplayName=Other\r\nProgLocation=" + (dir_ / "vn_app.exe") + "\r\n";
    struct Case {
        const char* name;
        bool failing;
        const char* reported;
        const char* recorded;
    };
    const Case cases[] = {
        {"failed", true, "error: the changes could not be saved: cannot write ", " not saved: "},
        {"kept aside", false, "warning: the database file was changed by another program", " kept aside: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileA(status.c_str());
        RemoveDirectoryA(ini.c_str());
        WriteFileBytes(ini, Database(true));
        SetEnvironmentVariableA("COMP_MGR_REPORT", nullptr);
        WithLibrary([&](HMODULE, const Exports& e) {
            int changes = 0;
            EXPECT_EQ(1, e.flags(&changes));  // a record dropped: the catalog will be saved
            if (c.failing) {
                DeleteFileA(ini.c_str());
                CreateDirectoryA(ini.c_str(), nullptr);
            } else {
                WriteFileBytes(ini, other);
            }
        });
        char report[2048] = {};
        GetEnvironmentVariableA("COMP_MGR_REPORT", report, sizeof report);
        EXPECT_EQ(0u, std::string(report).find(c.reported)) << report;
        EXPECT_NE(std::string::npos, ReadFileBytes(status).find(c.recorded)) << ReadFileBytes(status);
        if (!c.failing) {
            const std::string kept = dir_ / "vnt_Compdb.20";  // a dated name
            EXPECT_NE(std::string::npos, std::string(report).find("kept as " + kept)) << report;
        }
    }
    SetEnvironmentVariableA("COMP_MGR_REPORT", nullptr);
    RemoveDirectoryA(ini.c_str());
}

}  // namespace
}  // namespace comp_mgr

// An in-memory machine for tests of the core: every port, plus helpers to
// lay out the registry and files a test needs.
#ifndef COMP_MGR_TESTS_SUPPORT_TEST_MACHINE_H
#define COMP_MGR_TESTS_SUPPORT_TEST_MACHINE_H

#include <string>

#include "platform/memory/memory_clock.h"
#include "platform/memory/memory_com.h"
#include "platform/memory/memory_events.h"
#include "platform/memory/memory_file_versions.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_loader.h"
#include "platform/memory/memory_process.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_shell.h"
#include "platform/memory/memory_ui.h"
#include "platform/platform.h"

namespace comp_mgr {
namespace testing_support {

class TestMachine {
public:
    TestMachine();

    // Writes a string value (creating the key) under HKEY_LOCAL_MACHINE.
    void SetMachineString(const std::string& keyPath, const std::string& name, const std::string& value);
    // Points the component manager at a database folder.
    void SetDatabaseFolder(const std::string& folder);
    // The usual layout: database in C:\Vantrel\db, host C:\Vantrel\bin\vn_app.exe (present).
    void UseStandardLayout();

    static constexpr const char* kDbFolder = "C:\\Vantrel\\db";
    static constexpr const char* kDbPath = "C:\\Vantrel\\db\\vnt_Compdb.ini";
    static constexpr const char* kBakPath = "C:\\Vantrel\\db\\vnt_Compdb.bak";
    static constexpr const char* kHostExe = "C:\\Vantrel\\bin\\vn_app.exe";
    static constexpr const char* kInstallEntryPath = "C:\\Vantrel\\bin\\VNTInstallEntry.ini";

    MemoryRegistry registry;
    MemoryFiles files;
    MemoryProcess process;
    MemoryLoader loader;
    MemoryUi ui;
    MemoryClock clock;
    MemoryFileVersions fileVersions;
    MemoryCom com;
    MemoryShell shell;
    MemoryEvents events{clock};
    Platform platform;
};

}  // namespace testing_support
}  // namespace comp_mgr

#endif

// The library's start-up on the in-memory machine: loading the catalog, the
// registry plug-in scan and both start-up repairs, with 5,000 plug-ins in the
// registry (two versions each, spread over the four categories, under the
// root and under three family subkeys) that the catalog already holds.
// Counters give each phase's time in milliseconds per start-up.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
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
#include "support/test_catalog.h"

namespace comp_mgr {
namespace {

using testing_support::TestCatalog;

constexpr int kPlugIns = 5000;
const char kDbFolder[] = "C:\\Vantrel\\db";
const char kDbPath[] = "C:\\Vantrel\\db\\vnt_Compdb.ini";
const char kRoot[] = "SOFTWARE\\KOVRA\\Vantrel\\";
const char* const kCategories[] = {"Plugins\\ActiveX Tools\\", "Plugins\\Command Tools\\", "Plugins\\Server Tools\\",
                                   "Plugins\\Sub Menus\\"};
const char* const kScopes[] = {"*", "FamA", "FamB", "FamC"};

struct StartupMachine {
    StartupMachine() : platform{registry, files, process, loader, ui, clock, fileVersions, com, shell, events} {
        registry.SetString(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "target", kDbFolder);
        files.MakeFolder(kDbFolder);
        process.modulePath = "C:\\Vantrel\\bin\\vn_app.exe";

        std::string text;
        std::string links;
        int section = 0;
        for (int i = 0; i < kPlugIns; ++i) {
            const std::string n = std::to_string(i);
            const std::string scope = kScopes[(i / 4) % 4];
            std::string key = kRoot;
            if (scope != "*") key += scope + "\\";
            key += std::string(kCategories[i % 4]) + "Plug" + n;
            for (int version = 1; version <= 2; ++version) {
                const std::string v = version == 1 ? "1.0" : "2.0";
                const std::string versionKey = version == 1 ? key : key + "\\" + v;
                const std::string classId = "{B0000000-0000-0000-" + std::to_string(version) + "000-" + n + "}";
                const std::string server = "C:\\Vantrel\\plugins\\p" + n + "\\v" + v + "\\plugin.dll";
                registry.SetString(kHkeyLocalMachine, versionKey, "CLSID", classId);
                registry.SetString(kHkeyLocalMachine, versionKey, "SKU", "STD");
                registry.SetString(kHkeyLocalMachine, versionKey, "HelpFile", "p" + n + ".chm");
                registry.SetString(kHkeyLocalMachine, versionKey, "GroupName", "Group" + std::to_string(i % 50));
                registry.SetString(kHkeyLocalMachine, versionKey, "GroupDescription", "Tools");
                if (version == 1) registry.SetString(kHkeyLocalMachine, versionKey, "DisplayName", "Plug-in " + n);
                registry.SetString(kHkeyLocalMachine, "SOFTWARE\\Classes\\CLSID\\" + classId + "\\InprocServer32", "",
                                   server);
                files.Put(server, "MZ");

                const std::string name = "PlugIn_" + std::to_string(++section);
                text += "[" + name + "]\r\nDisplayName=Plug-in " + n + "\r\nProgLocation=" + server +
                        "\r\nSdkVersion=" + v + "\r\nCpuSupport=" + scope + "\r\nPlugInLst_GrpName=Group" +
                        std::to_string(i % 50) + " <c:\\vantrel\\plugins\\p" + n + "\\v" + v +
                        ">\r\nSku=STD\r\nHelpFile=p" + n + ".chm\r\nStatus=16\r\n\r\n";
                if (section % 3 == 0) links += (links.empty() ? "" : ",") + name;
            }
        }
        for (int i = 1; i <= 4; ++i) {
            const std::string location = i == 1 ? std::string("C:\\Vantrel\\bin\\vn_app.exe")
                                                : "C:\\Vantrel" + std::to_string(i) + "\\bin\\vn_app.exe";
            files.Put(location, "MZ");
            text += "[VntInstallation_" + std::to_string(i) + "]\r\nDisplayName=Vantrel " + std::to_string(i) +
                    "\r\nProgLocation=" + location + "\r\nSdkVersion=4.5\r\nStatus=16\r\nPlugInLst_GrpName=" + links +
                    "\r\n\r\n";
        }
        files.Put(kDbPath, text);
        files.SetCurrentDirectory("C:\\Vantrel\\bin");
    }

    MemoryRegistry registry;
    MemoryFiles files;
    MemoryProcess process;
    MemoryLoader loader;
    MemoryUi ui;
    MemoryClock clock;
    MemoryFileVersions fileVersions;
    MemoryCom com;
    MemoryShell shell;
    MemoryEvents events{clock, false};  // off, as on Windows by default
    Platform platform;
};

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_Startup5000PlugIns(benchmark::State& state) {
    static StartupMachine machine;
    double load = 0, scan = 0, drop = 0, reconcile = 0;
    std::size_t plugIns = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        auto db = std::make_unique<TestCatalog>(machine.platform);
        db->Load(nullptr);
        load += MillisecondsSince(start);

        auto phase = std::chrono::steady_clock::now();
        db->services.scan.ScanRegistryPlugins();
        scan += MillisecondsSince(phase);

        phase = std::chrono::steady_clock::now();
        db->services.startupRepairs.DropMissingFiles();
        drop += MillisecondsSince(phase);

        phase = std::chrono::steady_clock::now();
        db->services.startupRepairs.ReconcileGroups();
        reconcile += MillisecondsSince(phase);

        state.SetIterationTime(MillisecondsSince(start) / 1000.0);
        plugIns = db->plugInNames().size();
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["load_ms"] = load / n;
    state.counters["scan_ms"] = scan / n;
    state.counters["drop_ms"] = drop / n;
    state.counters["reconcile_ms"] = reconcile / n;
    state.counters["plugin_sections"] = static_cast<double>(plugIns);
}
BENCHMARK(BM_Startup5000PlugIns)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace comp_mgr

// Linking at catalog scale on the in-memory machine:
// - LinkAllPlugIns of n plug-ins (groups of five, three processor families)
//   into one installation, n = 1,000 and 10,000;
// - DetectNewPlugIns(DetectionMode::kLink) of m new plug-ins against 20 installations that
//   already link m older plug-ins, half of the new ones sharing a display
//   name with an older one (so that refusals and replacements by processor
//   fit happen too), m = 200 and 2,000.
// Times are per operation; the tenfold sizes show the growth.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

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

const char* const kFamilies[] = {"FamA", "FamB", "FamC"};

struct BenchMachine {
    BenchMachine() : platform{registry, files, process, loader, ui, clock, fileVersions, com, shell, events} {
        files.MakeFolder("C:\\Vantrel\\db");
        registry.SetString(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "target",
                           "C:\\Vantrel\\db");
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

void AddInstallation(ComponentDatabase& db, const std::string& name, const std::string& cpu, double sdk) {
    db.SetProperty(name, "ProgLocation", "C:\\Vantrel\\" + name + "\\bin\\vn_app.exe");
    db.SetProperty(name, "DisplayName", name);
    db.SetProperty(name, "CpuSupport", cpu);
    CatalogEntry& e = *db.Entry(name);
    e.SdkVersion = sdk;
    e.Status = kStatusRecordWriter;
}

void AddPlugIn(ComponentDatabase& db, int number, const std::string& displayName, const std::string& group, int family,
               double sdk) {
    const std::string name = "PlugIn_" + std::to_string(number);
    db.SetProperty(name, "ProgLocation", "C:\\Vantrel\\plugins\\p" + std::to_string(number) + "\\plugin.dll");
    db.SetProperty(name, "DisplayName", displayName);
    db.SetProperty(name, "CpuSupport", kFamilies[family % 3]);
    db.SetProperty(name, "PlugInLst_GrpName", group);
    CatalogEntry& e = *db.Entry(name);
    e.SdkVersion = sdk;
    e.Status = kStatusRecordWriter;
}

void BM_LinkAllPlugIns(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    BenchMachine machine;
    TestCatalog db(machine.platform);
    AddInstallation(db, "VntInstallation_1", "FamA,FamB,FamC", 3.0);
    for (int i = 1; i <= n; ++i)
        AddPlugIn(db, i, "Plug-in " + std::to_string(i), "Group" + std::to_string((i - 1) / 5), (i - 1) / 5,
                  1.0 + (i % 2));
    CatalogEntry& installation = *db.Entry("VntInstallation_1");
    for (auto _ : state) {
        state.PauseTiming();
        installation.PlugInLst_GrpName.clear();
        state.ResumeTiming();
        db.services.linker.LinkAllPlugIns("VntInstallation_1");
    }
    if (installation.PlugInLst_GrpName.size() != static_cast<std::size_t>(n))
        state.SkipWithError("not every plug-in was linked");
    state.counters["linked"] = static_cast<double>(installation.PlugInLst_GrpName.size());
}
BENCHMARK(BM_LinkAllPlugIns)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_DetectNewPlugIns(benchmark::State& state) {
    const int m = static_cast<int>(state.range(0));
    constexpr int kInstallations = 20;
    BenchMachine machine;
    TestCatalog db(machine.platform);
    db.SetFlags(kFlagLoaded);
    for (int k = 1; k <= kInstallations; ++k) {
        // Every third installation takes one family, the others two, one in
        // seven takes every processor; versions 2.0 to 3.0.
        std::string cpu = k % 7 == 0   ? "*"
                          : k % 3 == 0 ? kFamilies[k % 3]
                                       : std::string(kFamilies[k % 3]) + "," + kFamilies[(k + 1) % 3];
        AddInstallation(db, "VntInstallation_" + std::to_string(k), cpu, 2.0 + (k % 3) * 0.5);
    }
    for (int i = 1; i <= m; ++i)
        AddPlugIn(db, i, "Plug-in " + std::to_string(i), "Old" + std::to_string((i - 1) / 5), (i - 1) / 5, 1.0);
    db.SetFlags(kFlagScanned);
    db.ClearNewPlugIns();
    for (int k = 1; k <= kInstallations; ++k) db.services.linker.LinkAllPlugIns("VntInstallation_" + std::to_string(k));
    for (int i = 1; i <= m; ++i) {
        // Half of the new plug-ins are newer versions of old ones.
        const std::string displayName = i % 2 ? "Plug-in " + std::to_string(i) : "New plug-in " + std::to_string(i);
        AddPlugIn(db, m + i, displayName, "New" + std::to_string((i - 1) / 5), (i - 1) / 5 + i % 2, 1.0 + (i % 3));
    }
    std::vector<StringList> links;
    for (const std::string& name : db.installationNames()) links.push_back(db.Entry(name)->PlugInLst_GrpName);
    std::size_t linked = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (std::size_t k = 0; k < links.size(); ++k)
            db.Entry(db.installationNames()[k])->PlugInLst_GrpName = links[k];
        db.ClearNewPlugIns();
        for (int i = 1; i <= m; ++i) db.AddNewPlugIn("PlugIn_" + std::to_string(m + i));
        state.ResumeTiming();
        benchmark::DoNotOptimize(db.services.detection.DetectNewPlugIns(DetectionMode::kLink));
        state.PauseTiming();
        linked = 0;
        for (const std::string& name : db.installationNames()) linked += db.Entry(name)->PlugInLst_GrpName.size();
        state.ResumeTiming();
    }
    state.counters["links_after"] = static_cast<double>(linked);
}
BENCHMARK(BM_DetectNewPlugIns)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace comp_mgr

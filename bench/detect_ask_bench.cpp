// iDetectNewPlugIns(3) with 2,000 new plug-ins on the in-memory machine, no
// one at the dialog (it closes with OK, everything checked), so every
// plug-in is then linked to three installations. Two runs: the candidates
// put to the real engine bridge (the engine library is looked for and is
// absent, once per candidate), and no engine asked at all; their difference
// is the share of the engine's questions.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "platform/memory/memory_clock.h"
#include "platform/memory/memory_com.h"
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

constexpr int kNewPlugIns = 2000;

struct AskMachine {
    AskMachine() : platform{registry, files, process, loader, ui, clock, fileVersions, com, shell} {
        files.MakeFolder("C:\\Vantrel\\plugins");
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
    Platform platform;
};

// A catalog with three installations and kNewPlugIns plug-ins new in this run.
std::unique_ptr<TestCatalog> AskCatalog(const Platform& platform) {
    auto db = std::make_unique<TestCatalog>(platform);
    db->SetFlags(kFlagLoaded | kFlagScanned);
    for (int i = 1; i <= 3; ++i) {
        const std::string section = "VntInstallation_" + std::to_string(i);
        db->SetProperty(section, "ProgLocation", "C:\\Vantrel" + std::to_string(i) + "\\bin\\vn_app.exe");
        db->SetProperty(section, "CpuSupport", "*");
        db->Entry(section)->Status = kStatusRecordWriter;
        db->Entry(section)->SdkVersion = 3.0;
    }
    for (int i = 1; i <= kNewPlugIns; ++i) {
        const std::string n = std::to_string(i);
        const std::string section = "PlugIn_" + n;
        db->SetProperty(section, "ProgLocation", "C:\\Vantrel\\plugins\\p" + n + ".dll");
        db->SetProperty(section, "DisplayName", "Plug-in " + std::to_string(kNewPlugIns - i));
        db->SetProperty(section, "CpuSupport", "alpha");
        db->SetProperty(section, "PlugInLst_GrpName", "Group" + std::to_string(i % 50));
        db->Entry(section)->Status = kStatusRecordWriter | kStatusFoundOrCurrent;
        db->AddNewPlugIn(section);
    }
    return db;
}

void DetectAsk(benchmark::State& state, bool askEngine) {
    AskMachine machine;
    std::size_t links = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto db = AskCatalog(machine.platform);
        if (!askEngine) db->services.detection.SetCandidateEngines([] { return std::unique_ptr<CandidateEngine>(); });
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(db->services.detection.DetectNewPlugIns(DetectionMode::kAsk));
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.PauseTiming();
        links = db->Entry("VntInstallation_1")->PlugInLst_GrpName.size();
        machine.ui.newComponents.clear();
        db.reset();
        state.ResumeTiming();
    }
    state.counters["new_plugins"] = kNewPlugIns;
    state.counters["links_per_installation"] = static_cast<double>(links);
}

void BM_DetectAsk2000_EngineBridge(benchmark::State& state) {
    DetectAsk(state, true);
}
void BM_DetectAsk2000_NoEngineQuestions(benchmark::State& state) {
    DetectAsk(state, false);
}
BENCHMARK(BM_DetectAsk2000_EngineBridge)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DetectAsk2000_NoEngineQuestions)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace comp_mgr

// iDetectNewPlugIns(3) with 2,000 new plug-ins, no one at the dialog (it
// closes with OK, everything checked), so every plug-in is then linked to
// three installations.
//
// On the in-memory machine, two runs: the candidates put to the real engine
// bridge (the engine library is looked for and is absent, once per
// candidate), and no engine asked at all; their difference is the share of
// the engine's questions.
//
// On the hosted adapter with the real test engine beside the host program
// (UI "none"): the engine answers 0 to both questions, so each candidate
// costs two loads of the library. engine_share is the part of the run spent
// in the engine's questions (load, object, call, unload), measured around
// each one; the run without engine questions is the baseline.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "platform/hosted/hosted_platform.h"
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
#include "services/detection/candidate_engine.h"
#include "support/test_catalog.h"

namespace comp_mgr {
namespace {

using testing_support::TestCatalog;

constexpr int kNewPlugIns = 2000;

struct AskMachine {
    AskMachine() : platform{registry, files, process, loader, ui, clock, fileVersions, com, shell, events} {
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
    MemoryEvents events{clock, false};  // off, as on Windows by default
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

// A hosted machine in a folder of its own, the test engine beside the host
// program, logging to /dev/null.
class HostedAskMachine {
public:
    HostedAskMachine() {
        std::string pattern = (std::filesystem::temp_directory_path() / "comp_mgr_ask_bench_XXXXXX").string();
        if (mkdtemp(&pattern[0])) root_ = pattern;
        const std::filesystem::path drive = std::filesystem::path(root_) / "drive_c/Vantrel";
        std::filesystem::create_directories(drive / "bin");
        std::filesystem::create_directories(drive / "plugins");
        std::ofstream(drive / "bin/vn_app.exe") << "MZ";
        std::filesystem::copy_file(VNT_FIXTURE_ENGINE, drive / "bin/VntCoreComponentEngine.dll");
        std::ofstream(drive / "bin/VntCoreComponentEngine.script") << "settled * = 0\nrejected * = 0\n";
        setenv("VNT_TEST_ENGINE_LOG", "/dev/null", 1);
        HostedSettings settings;
        settings.root = root_;
        settings.hostExe = "C:\\Vantrel\\bin\\vn_app.exe";
        settings.ui = "none";
        hosted_ = std::make_unique<HostedPlatform>(settings);
    }
    ~HostedAskMachine() {
        hosted_.reset();
        unsetenv("VNT_TEST_ENGINE_LOG");
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    const Platform& platform() { return hosted_->platform(); }

private:
    std::string root_;
    std::unique_ptr<HostedPlatform> hosted_;
};

using Clock = std::chrono::steady_clock;

// The real engine's questions, each timed with the making of its engine.
class TimedEngine : public CandidateEngine {
public:
    TimedEngine(std::unique_ptr<CandidateEngine> engine, Clock::duration& spent, std::int64_t& questions)
        : engine_(std::move(engine)), spent_(spent), questions_(questions) {}
    std::int16_t IsPluginSettled(const std::string& hostPath, const std::string& plugInName) override {
        const auto start = Clock::now();
        const std::int16_t answer = engine_->IsPluginSettled(hostPath, plugInName);
        Count(start);
        return answer;
    }
    std::int16_t IsPluginRejected(const std::string& hostPath, const std::string& plugInName) override {
        const auto start = Clock::now();
        const std::int16_t answer = engine_->IsPluginRejected(hostPath, plugInName);
        Count(start);
        return answer;
    }

private:
    void Count(Clock::time_point start) {
        spent_ += Clock::now() - start;
        ++questions_;
    }
    std::unique_ptr<CandidateEngine> engine_;
    Clock::duration& spent_;
    std::int64_t& questions_;
};

void HostedDetectAsk(benchmark::State& state, bool askEngine) {
    if (!*VNT_FIXTURE_ENGINE) {
        state.SkipWithError("built without the tests: no test engine");
        return;
    }
    HostedAskMachine machine;
    const CandidateEngineFactory real = ComponentEngines(machine.platform());
    Clock::duration spent{};
    Clock::duration total{};
    std::int64_t questions = 0;
    std::size_t links = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto db = AskCatalog(machine.platform());
        if (askEngine) {
            db->services.detection.SetCandidateEngines([&]() -> std::unique_ptr<CandidateEngine> {
                const auto start = Clock::now();
                auto engine = std::make_unique<TimedEngine>(real(), spent, questions);
                spent += Clock::now() - start;
                return engine;
            });
        } else {
            db->services.detection.SetCandidateEngines([] { return std::unique_ptr<CandidateEngine>(); });
        }
        state.ResumeTiming();
        const auto start = Clock::now();
        benchmark::DoNotOptimize(db->services.detection.DetectNewPlugIns(DetectionMode::kAsk));
        const auto took = Clock::now() - start;
        total += took;
        state.SetIterationTime(std::chrono::duration<double>(took).count());
        state.PauseTiming();
        links = db->Entry("VntInstallation_1")->PlugInLst_GrpName.size();
        db.reset();
        state.ResumeTiming();
    }
    state.counters["new_plugins"] = kNewPlugIns;
    state.counters["links_per_installation"] = static_cast<double>(links);
    state.counters["engine_questions"] =
        benchmark::Counter(static_cast<double>(questions), benchmark::Counter::kAvgIterations);
    state.counters["engine_share"] =
        total.count() ? static_cast<double>(spent.count()) / static_cast<double>(total.count()) : 0.0;
    state.counters["per_question_us"] =
        questions ? std::chrono::duration<double, std::micro>(spent).count() / static_cast<double>(questions) : 0.0;
}

void BM_HostedDetectAsk2000_TestEngine(benchmark::State& state) {
    HostedDetectAsk(state, true);
}
void BM_HostedDetectAsk2000_NoEngineQuestions(benchmark::State& state) {
    HostedDetectAsk(state, false);
}
BENCHMARK(BM_HostedDetectAsk2000_TestEngine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_HostedDetectAsk2000_NoEngineQuestions)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace comp_mgr

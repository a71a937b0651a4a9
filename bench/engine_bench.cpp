// One candidate put to the component engine on the hosted adapter, as the
// New Components dialog's filter puts it: IsPluginSettled, then
// IsPluginRejected, each loading the real test engine (an ELF shared
// object), creating its object, asking once and unloading it again. The
// engine answers 0 to both (so both are asked) and logs to /dev/null.
// per_question_us is the time of one question, load and unload included.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/hosted/hosted_platform.h"
#include "services/engine_bridge/component_engine.h"

namespace comp_mgr {
namespace {

const char kHost[] = "C:\\VANTREL\\BIN\\VN_APP.EXE";

class EngineMachine {
public:
    EngineMachine() {
        std::string pattern = (std::filesystem::temp_directory_path() / "comp_mgr_engine_bench_XXXXXX").string();
        if (mkdtemp(&pattern[0])) root_ = pattern;
        const std::filesystem::path bin = std::filesystem::path(root_) / "drive_c/Vantrel/bin";
        std::filesystem::create_directories(bin);
        std::ofstream(bin / "vn_app.exe") << "MZ";
        std::filesystem::copy_file(VNT_FIXTURE_ENGINE, bin / "VntCoreComponentEngine.dll");
        std::ofstream(bin / "VntCoreComponentEngine.script") << "settled * = 0\nrejected * = 0\n";
        setenv("VNT_TEST_ENGINE_LOG", "/dev/null", 1);
        HostedSettings settings;
        settings.root = root_;
        settings.hostExe = "C:\\Vantrel\\bin\\vn_app.exe";
        settings.ui = "none";
        hosted_ = std::make_unique<HostedPlatform>(settings);
    }
    ~EngineMachine() {
        unsetenv("VNT_TEST_ENGINE_LOG");
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    const Platform& platform() { return hosted_->platform(); }

private:
    std::string root_;
    std::unique_ptr<HostedPlatform> hosted_;
};

void BM_EngineCandidatePair(benchmark::State& state) {
    if (!*VNT_FIXTURE_ENGINE) {
        state.SkipWithError("built without the tests: no test engine");
        return;
    }
    EngineMachine machine;
    std::int64_t questions = 0;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        std::int16_t settled = ComponentEngine(machine.platform()).IsPluginSettled(kHost, "Plug-in 17");
        std::int16_t rejected = ComponentEngine(machine.platform()).IsPluginRejected(kHost, "Plug-in 17");
        benchmark::DoNotOptimize(settled + rejected);
        questions += 2;
    }
    const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    state.counters["per_question_us"] = questions ? us / static_cast<double>(questions) : 0.0;
}
BENCHMARK(BM_EngineCandidatePair)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace comp_mgr

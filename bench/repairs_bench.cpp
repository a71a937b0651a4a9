// The two catalog-wide repairs at sizes where a walk over every installation
// or every plug-in per step would look like a hang:
//   - start-up: 999 vanished plug-ins, each linked by all 200 installations,
//     among 25,000 plug-ins (the substitute of each is the last plug-in);
//   - exit: the first of 20,000 plug-ins removed, so every other one moves
//     down, with 5,000 installations linking four plug-ins each.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "support/catalog_builder.h"
#include "support/test_catalog.h"
#include "support/test_machine.h"

namespace comp_mgr {
namespace {

using testing_support::AddInstallation;
using testing_support::AddPlugIn;
using testing_support::TestCatalog;

// The standard in-memory machine with an empty catalog file.
struct Machine : testing_support::TestMachine {
    Machine() {
        UseStandardLayout();
        files.Put(kDbPath, "");
    }
};

void BM_DropVanishedPlugIns(benchmark::State& state) {
    constexpr int kInstallations = 200;
    constexpr int kPlugIns = 25000;
    constexpr int kVanished = 999;
    for (auto _ : state) {
        state.PauseTiming();
        auto machine = std::make_unique<Machine>();
        TestCatalog db(machine->platform);
        std::string links;
        for (int i = 1; i <= kPlugIns; ++i) {
            const std::string path = "C:\\Vantrel\\plugins\\p" + std::to_string(i) + ".dll";
            const bool vanished = i <= kVanished;
            if (!vanished) machine->files.Put(path, "MZ");
            // The last plug-ins carry the vanished ones' names, so the walk
            // over every plug-in would have to go to the end.
            const int named = i > kPlugIns - kVanished ? i - (kPlugIns - kVanished) : i;
            AddPlugIn(db, "PlugIn_" + std::to_string(i), path, "Tool " + std::to_string(named));
            if (vanished) links += (links.empty() ? "" : ",") + std::string("PlugIn_") + std::to_string(i);
        }
        for (int k = 1; k <= kInstallations; ++k) {
            const std::string path = "C:\\Vantrel\\i" + std::to_string(k) + "\\vn_app.exe";
            machine->files.Put(path, "MZ");
            AddInstallation(db, "VntInstallation_" + std::to_string(k), path, links);
        }
        db.SetFlags(kFlagLoaded);
        state.ResumeTiming();
        benchmark::DoNotOptimize(db.services.startupRepairs.DropMissingFiles());
    }
}

void BM_RenumberAfterOneRemoval(benchmark::State& state) {
    constexpr int kInstallations = 5000;
    constexpr int kPlugIns = 20000;
    for (auto _ : state) {
        state.PauseTiming();
        auto machine = std::make_unique<Machine>();
        TestCatalog db(machine->platform);
        for (int i = 1; i <= kPlugIns; ++i) {
            AddPlugIn(db, "PlugIn_" + std::to_string(i), "C:\\p\\" + std::to_string(i) + ".dll", "Tool");
        }
        for (int k = 1; k <= kInstallations; ++k) {
            std::string links;
            for (int l = 0; l < 4; ++l) {
                if (l) links += ",";
                links += "PlugIn_" + std::to_string(2 + (k * 4 + l) % (kPlugIns - 1));
            }
            AddInstallation(db, "VntInstallation_" + std::to_string(k), "C:\\i\\" + std::to_string(k), links);
        }
        db.RemoveSection("PlugIn_1");
        state.ResumeTiming();
        benchmark::DoNotOptimize(db.services.exitRepairs.RenumberSections());
    }
}

BENCHMARK(BM_DropVanishedPlugIns)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RenumberAfterOneRemoval)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace comp_mgr

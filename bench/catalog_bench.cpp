// Loading, querying, saving and freeing catalogs of 1,000 to 100,000
// sections on the in-memory machine. Counters: the file's size, the heap the
// catalog keeps after loading and the peak heap of the operation, both also as
// multiples of the file size.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "allocation_counter.h"
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

const char kDbFolder[] = "C:\\Vantrel\\db";
const char kDbPath[] = "C:\\Vantrel\\db\\vnt_Compdb.ini";

// A machine with a database of `sections` sections: one in ten an
// installation (the first is the host's own), the rest plug-ins, each with
// the usual properties and a few extra ones; every installation links five
// plug-ins.
struct BenchMachine {
    explicit BenchMachine(int sections)
        : platform{registry, files, process, loader, ui, clock, fileVersions, com, shell, events} {
        registry.SetString(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "target", kDbFolder);
        files.MakeFolder(kDbFolder);
        files.Put("C:\\Vantrel\\bin\\vn_app.exe", "MZ");
        files.SetCurrentDirectory("C:\\Vantrel\\bin");
        process.modulePath = "C:\\Vantrel\\bin\\vn_app.exe";

        const int installations = sections / 10 > 0 ? sections / 10 : 1;
        const int plugIns = sections - installations;
        std::string text;
        for (int i = 1; i <= installations; ++i) {
            const std::string n = std::to_string(i);
            text += "[VntInstallation_" + n + "]\r\nDisplayName=Vantrel " + n + "\r\n";
            text += i == 1 ? std::string("ProgLocation=C:\\Vantrel\\bin\\vn_app.exe\r\n")
                           : "ProgLocation=D:\\Vantrel" + n + "\\bin\\vn_app.exe\r\n";
            text += "LastAccessDate=(U) Monday, December 04, 2006 15:04:33\r\nStatus=16\r\nSdkVersion=4.5\r\n";
            text += "CpuSupport=ALL\r\nPlugInLst_GrpName=";
            for (int k = 0; k < 5 && plugIns > 0; ++k) {
                if (k) text += ',';
                text += "PlugIn_" + std::to_string((i * 7 + k) % plugIns + 1);
            }
            text += "\r\nSku=STD,PRO\r\nRegistration=R-" + n + "\r\nUrlBase=www.example.com\r\n\r\n";
        }
        for (int i = 1; i <= plugIns; ++i) {
            const std::string n = std::to_string(i);
            text += "[PlugIn_" + n + "]\r\nDisplayName=Plug-in " + n + "\r\n";
            text += "ProgLocation=C:\\Vantrel\\plugins\\p" + n + "\\plugin" + n + ".dll\r\n";
            text += "Status=0\r\nSdkVersion=3.25\r\nCpuSupport=CORE_A,CORE_B\r\nPlugInLst_GrpName=Group" +
                    std::to_string(i % 50) + "\r\nGroupDescription=Tools\r\nHelpFile=p" + n +
                    ".chm\r\nFamily_InstDate=(I) Monday, December 04, 2006 15:04:33\r\nRegistration=R" + n + "\r\n\r\n";
        }
        fileSize = text.size();
        files.Put(kDbPath, text);
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
    std::size_t fileSize = 0;
};

void ReportMemory(benchmark::State& state, std::size_t fileSize, std::size_t kept, std::size_t peak) {
    state.counters["file_bytes"] = static_cast<double>(fileSize);
    state.counters["kept_bytes"] = static_cast<double>(kept);
    state.counters["peak_bytes"] = static_cast<double>(peak);
    state.counters["kept_x_file"] = static_cast<double>(kept) / static_cast<double>(fileSize);
    state.counters["peak_x_file"] = static_cast<double>(peak) / static_cast<double>(fileSize);
}

void BM_CatalogLoad(benchmark::State& state) {
    BenchMachine machine(static_cast<int>(state.range(0)));
    std::size_t kept = 0, peak = 0;
    for (auto _ : state) {
        const std::size_t base = bench::HeapInUse();
        bench::ResetHeapPeak();
        auto db = std::make_unique<TestCatalog>(machine.platform);
        db->Load(nullptr);
        kept = bench::HeapInUse() - base;
        peak = bench::HeapPeak() - base;
        benchmark::DoNotOptimize(db->entries().size());
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    ReportMemory(state, machine.fileSize, kept, peak);
}

void BM_CatalogSave(benchmark::State& state) {
    BenchMachine machine(static_cast<int>(state.range(0)));
    TestCatalog db(machine.platform);
    db.Load(nullptr);
    // Saves before timing, until the in-memory store holds the buffers it
    // reuses (the file, its backup and a spare), as a disk holds its blocks:
    // what is timed is the save, not the store's first allocations.
    for (int i = 0; i < 3; ++i) {
        db.SetFlags(kFlagModified);
        if (!db.Save()) state.SkipWithError("save failed");
    }
    std::size_t peak = 0;
    for (auto _ : state) {
        db.SetFlags(kFlagModified);
        const std::size_t base = bench::HeapInUse();
        bench::ResetHeapPeak();
        if (!db.Save()) state.SkipWithError("save failed");
        peak = bench::HeapPeak() - base;
    }
    ReportMemory(state, machine.fileSize, 0, peak);
}

void BM_CatalogLoadAndSave(benchmark::State& state) {
    BenchMachine machine(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto db = std::make_unique<TestCatalog>(machine.platform);
        db->Load(nullptr);
        db->SetFlags(kFlagModified);
        if (!db->Save()) state.SkipWithError("save failed");
        // Freeing the catalog is timed on its own below.
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
    state.counters["file_bytes"] = static_cast<double>(machine.fileSize);
}

void BM_CatalogTeardown(benchmark::State& state) {
    BenchMachine machine(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<TestCatalog>(machine.platform);
        db->Load(nullptr);
        state.ResumeTiming();
        db.reset();
    }
    state.counters["file_bytes"] = static_cast<double>(machine.fileSize);
}

void BM_CatalogQueries(benchmark::State& state) {
    BenchMachine machine(static_cast<int>(state.range(0)));
    TestCatalog db(machine.platform);
    db.Load(nullptr);
    for (auto _ : state) {
        CatalogEntry entry;
        std::string name;
        for (int kind : {kKindInstallation, kKindPlugIn}) {
            const int count = db.CountByKind(kind);
            for (int i = 0; i < count; ++i) {
                name.clear();
                db.GetEntryByIndex(kind, i, name, entry);
                db.GetEntryByKey(name.c_str(), &entry);
            }
        }
        benchmark::DoNotOptimize(entry.Status);
    }
    state.SetItemsProcessed(state.iterations() * 2 * state.range(0));
}

BENCHMARK(BM_CatalogLoad)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogSave)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogLoadAndSave)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogTeardown)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CatalogQueries)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace comp_mgr

// The in-memory registry and its REGEDIT4 file at the hosted machine's
// scale: reading and writing files of 5,000 to 50,000 keys, and opening and
// enumerating 10,000 sibling keys by increasing index.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/hosted/reg_file.h"
#include "platform/memory/memory_registry.h"

namespace comp_mgr {
namespace {

// Class registrations as a machine has them: CLSID\{n}\InprocServer32 with a
// default value and a threading model, plus a plug-in key with a few values.
void Fill(MemoryRegistry& reg, int keys) {
    for (int i = 0; keys > 0; ++i) {
        const std::string id = "{" + std::to_string(10000000 + i) + "-0000-0000-0000-000000000000}";
        reg.SetString(kHkeyClassesRoot, "CLSID\\" + id, "", "Component " + std::to_string(i));
        reg.SetString(kHkeyClassesRoot, "CLSID\\" + id + "\\InprocServer32", "",
                      "C:\\Vantrel\\plugins\\plugin" + std::to_string(i) + ".dll");
        reg.SetString(kHkeyClassesRoot, "CLSID\\" + id + "\\InprocServer32", "ThreadingModel", "Apartment");
        const std::string plug = "SOFTWARE\\KOVRA\\Vantrel\\PlugIns\\Plug" + std::to_string(i) + "\\1.0";
        reg.SetString(kHkeyLocalMachine, plug, "ProgLocation", "C:\\Vantrel\\plugins\\plugin.dll");
        reg.SetDword(kHkeyLocalMachine, plug, "Flags", static_cast<std::uint32_t>(i));
        reg.SetRaw(kHkeyLocalMachine, plug, "Blob", kRegBinary, std::string(40, static_cast<char>(i)));
        keys -= 4;
    }
}

void BM_ReadRegFile(benchmark::State& state) {
    MemoryRegistry source;
    Fill(source, static_cast<int>(state.range(0)));
    const std::string text = WriteRegFile(source);
    for (auto _ : state) {
        MemoryRegistry reg;
        benchmark::DoNotOptimize(ReadRegFile(text, reg));
    }
    state.counters["file_bytes"] = static_cast<double>(text.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadRegFile)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

void BM_WriteRegFile(benchmark::State& state) {
    MemoryRegistry reg;
    Fill(reg, static_cast<int>(state.range(0)));
    std::size_t size = 0;
    for (auto _ : state) {
        std::string text = WriteRegFile(reg);
        size = text.size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_WriteRegFile)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

void BM_OpenAndEnumerateSiblings(benchmark::State& state) {
    MemoryRegistry reg;
    const int count = static_cast<int>(state.range(0));
    for (int i = 0; i < count; ++i) reg.CreatePath(kHkeyLocalMachine, "Big\\Key" + std::to_string(i));
    for (auto _ : state) {
        RegHandle big = 0;
        reg.OpenKey(kHkeyLocalMachine, "BIG", kKeyRead, &big);
        char name[256];
        for (std::uint32_t i = 0;; ++i) {
            std::uint32_t size = sizeof(name);
            if (reg.EnumKey(big, i, name, &size) != kErrorSuccess) break;
            RegHandle sub = 0;
            reg.OpenKey(big, name, kKeyRead, &sub);
            reg.CloseKey(sub);
        }
        reg.CloseKey(big);
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_OpenAndEnumerateSiblings)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace comp_mgr

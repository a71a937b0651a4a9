// Reading the version strings of a plug-in on the hosted machine: CVersion
// loading a PE file through the hosted reader, as the update advisor does
// for each plug-in, for files of 64 KB to 8 MB (the version resource behind
// a large data resource, as in a library with much embedded data). Only the
// pieces that lead to the resource are read, so the size of the file should
// not show.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/hosted/hosted_file_versions.h"
#include "platform/hosted/hosted_machine.h"
#include "services/versions/version.h"
#include "support/pe_image.h"
#include "support/version_resource.h"

namespace comp_mgr {
namespace {

void BM_LoadPlugInVersion(benchmark::State& state) {
    std::string root = (std::filesystem::temp_directory_path() / "comp_mgr_versions_XXXXXX").string();
    if (!mkdtemp(&root[0])) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::filesystem::create_directories(root + "/drive_c/Plug");
    const auto image =
        testing_support::BuildPeImage({{10, 1, 0x0409, std::string(static_cast<std::size_t>(state.range(0)), 'x')},
                                       {16, 1, 0x0409, testing_support::StandardVersionResource()}});
    std::ofstream(root + "/drive_c/Plug/plug.dll", std::ios::binary) << image.bytes;
    HostedMachine machine(root, "C:\\vn_app.exe", "C:\\");
    HostedFileVersions versions(machine);
    for (auto _ : state) {
        CVersion version(versions);
        std::string text;
        benchmark::DoNotOptimize(version.Load("C:\\Plug\\plug.dll") && version.GetFileVersion(kUsEnglishUnicode, text));
    }
    state.counters["file_bytes"] = static_cast<double>(image.bytes.size());
    std::filesystem::remove_all(root);
}
BENCHMARK(BM_LoadPlugInVersion)->Arg(64 << 10)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace comp_mgr

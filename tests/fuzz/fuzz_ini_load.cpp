// vnt_Compdb.ini and VNTInstallEntry.ini may be damaged or hand-edited:
// loading any bytes must not crash or leak, saving what was loaded must
// work, and the saved file must read back to the same sections.
//
// Input: the database file's bytes, optionally followed by "|||" and the
// bytes of VNTInstallEntry.ini (without it the host's installation is
// missing from nowhere: no backup file exists).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalog/component_database.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_loader.h"
#include "platform/memory/memory_process.h"
#include "platform/memory/memory_registry.h"

namespace {

using namespace comp_mgr;

const char kDbPath[] = "C:\\Vantrel\\db\\vnt_Compdb.ini";
const char kInstallEntryPath[] = "C:\\Vantrel\\bin\\VNTInstallEntry.ini";

struct Machine {
    Machine() : platform{registry, files, process, loader, ui, clock} {
        registry.SetString(kHkeyLocalMachine, "SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "target",
                           "C:\\Vantrel\\db");
        files.MakeFolder("C:\\Vantrel\\db");
        files.Put("C:\\Vantrel\\bin\\vn_app.exe", "MZ");
        files.SetCurrentDirectory("C:\\Vantrel\\bin");
    }
    MemoryRegistry registry;
    MemoryFiles files;
    MemoryProcess process;
    MemoryLoader loader;
    RecordingUi ui;
    FixedClock clock;
    Platform platform;
};

// The names a save writes, in the order it writes them.
std::vector<std::string> Written(const StringList& names, const std::string& prefix, std::int64_t max) {
    std::vector<std::pair<std::int64_t, std::string>> numbered;
    for (const std::string& name : names) {
        std::string digits = name.substr(prefix.size());
        if (digits.empty() || digits.size() > 10 || digits[0] == '0' ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::int64_t n = std::stoll(digits);
        if (n <= max) numbered.emplace_back(n, name);
    }
    std::sort(numbered.begin(), numbered.end());
    std::vector<std::string> out;
    for (auto& item : numbered) out.push_back(item.second);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    Machine machine;
    std::size_t split = input.find("|||");
    machine.files.Put(kDbPath, std::string(input.substr(0, split)));
    if (split != std::string_view::npos) machine.files.Put(kInstallEntryPath, std::string(input.substr(split + 3)));

    ComponentDatabase db(machine.platform);
    std::string message;
    if (db.Load(&message) != 1) std::abort();
    db.WriteInstallEntry();
    db.flags |= kFlagModified;
    if (db.Save() != 1) std::abort();

    // Read back without a backup, so that only what was saved comes in.
    machine.files.Remove(kInstallEntryPath);
    ComponentDatabase again(machine.platform);
    if (again.Load(nullptr) != 1) std::abort();
    if (again.installationNames.items() != Written(db.installationNames, kInstallationPrefix, db.maxInstallationNumber))
        std::abort();
    if (again.plugInNames.items() != Written(db.plugInNames, kPlugInPrefix, db.maxPlugInNumber)) std::abort();
    return 0;
}

#include "support/test_machine.h"

namespace comp_mgr {
namespace testing_support {

TestMachine::TestMachine() : platform{registry, files, process, loader, ui, clock, fileVersions, com, shell, events} {}

void TestMachine::SetMachineString(const std::string& keyPath, const std::string& name, const std::string& value) {
    RegHandle key = 0;
    if (registry.CreateKey(kHkeyLocalMachine, keyPath, kKeyAllAccess, &key) != kErrorSuccess) return;
    registry.SetValue(key, name.c_str(), kRegSz, reinterpret_cast<const std::uint8_t*>(value.c_str()),
                      static_cast<std::uint32_t>(value.size() + 1));
    registry.CloseKey(key);
}

void TestMachine::SetDatabaseFolder(const std::string& folder) {
    SetMachineString("SOFTWARE\\KOVRA\\Vantrel\\ComponentManager", "target", folder);
}

void TestMachine::UseStandardLayout() {
    SetDatabaseFolder(kDbFolder);
    files.MakeFolder(kDbFolder);
    files.Put(kHostExe, "MZ");
    process.modulePath = kHostExe;
    files.SetCurrentDirectory("C:\\Vantrel\\bin");
}

}  // namespace testing_support
}  // namespace comp_mgr

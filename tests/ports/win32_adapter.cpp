#include "ports/win32_adapter.h"

#include <vector>

#include "platform/win32/file_replace.h"

namespace comp_mgr {
namespace ports_test {
namespace {

Win32Settings QuietSettings() {
    Win32Settings settings;
    settings.ui = "none";
    return settings;
}

}  // namespace

int Win32Adapter::FailNthSystemCall(int n) {
    return win32::FailNthSystemCall(n);
}

AdapterKind Win32Adapter::Kind() {
    return win32_test::RunningOnWine() ? AdapterKind::kWine : AdapterKind::kWindows;
}

Win32Adapter::Win32Adapter() : platform_(std::make_unique<Win32Platform>(QuietSettings())) {
    static unsigned counter = 0;
    name_ = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    std::vector<char> buffer(32768, '\0');
    DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n > 0 && n < buffer.size()) savedDirectory_.assign(buffer.data(), n);
}

Win32Adapter::~Win32Adapter() {
    platform_.reset();
    if (!savedDirectory_.empty()) SetCurrentDirectoryA(savedDirectory_.c_str());
    win32_test::DeleteTree(HKEY_CURRENT_USER, "Software\\comp_mgr_ports\\" + name_);
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\comp_mgr_ports");  // only when no other run uses it
    win32_test::DeleteTree(HKEY_CLASSES_ROOT, "comp_mgr_ports_" + name_);
}

void Win32Adapter::Reopen() {
    platform_.reset();
    platform_ = std::make_unique<Win32Platform>(QuietSettings());
}

std::string Win32Adapter::Path(const std::string& relative) const {
    return relative.empty() ? folder_.path() : folder_ / relative;
}

void Win32Adapter::WriteFile(const std::string& relative, const std::string& content) {
    win32_test::WriteFileBytes(Path(relative), content);
}

void Win32Adapter::MakeFolder(const std::string& relative) {
    CreateDirectoryA(Path(relative).c_str(), nullptr);
}

std::string Win32Adapter::ReadFile(const std::string& relative) const {
    return win32_test::ReadFileBytes(Path(relative));
}

std::size_t Win32Adapter::EntryCount(const std::string& relative) const {
    return static_cast<std::size_t>(win32_test::CountEntries(Path(relative)));
}

}  // namespace ports_test
}  // namespace comp_mgr

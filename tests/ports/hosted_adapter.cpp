#include "ports/hosted_adapter.h"

#include <algorithm>

#include "platform/hosted/host_file_io.h"

namespace comp_mgr {
namespace ports_test {

int HostedAdapter::FailNthSystemCall(int n) {
    return host_io::FailNthSystemCall(n);
}

HostedAdapter::HostedAdapter() {
    root_.MakeDir(Host(""));
    settings_.root = root_.path();
    settings_.ui = "none";
    platform_ = std::make_unique<HostedPlatform>(settings_);
}

void HostedAdapter::Reopen() {
    platform_->platform().registry.Flush();
    platform_.reset();
    platform_ = std::make_unique<HostedPlatform>(settings_);
}

std::string HostedAdapter::Path(const std::string& relative) const {
    return relative.empty() ? "C:\\Scratch" : "C:\\Scratch\\" + relative;
}

std::string HostedAdapter::Host(const std::string& relative) const {
    std::string path = relative.empty() ? "drive_c/Scratch" : "drive_c/Scratch/" + relative;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

void HostedAdapter::WriteFile(const std::string& relative, const std::string& content) {
    root_.Write(Host(relative), content);
}

void HostedAdapter::MakeFolder(const std::string& relative) {
    root_.MakeDir(Host(relative));
}

std::string HostedAdapter::ReadFile(const std::string& relative) const {
    return root_.Has(Host(relative)) ? root_.Read(Host(relative)) : "<missing>";
}

std::size_t HostedAdapter::EntryCount(const std::string& relative) const {
    return root_.EntryCount(Host(relative));
}

}  // namespace ports_test
}  // namespace comp_mgr

// The hosted machine as an adapter under test (port_adapter.h): a temporary
// machine root with drive C:, and the ports HostedPlatform makes on it.
#ifndef COMP_MGR_TESTS_PORTS_HOSTED_ADAPTER_H
#define COMP_MGR_TESTS_PORTS_HOSTED_ADAPTER_H

#include <cstddef>
#include <memory>
#include <string>

#include "hosted/hosted_test_root.h"
#include "platform/hosted/hosted_platform.h"
#include "ports/port_adapter.h"
#include "support/pe_image.h"

namespace comp_mgr {
namespace ports_test {

class HostedAdapter {
public:
    static AdapterKind Kind() { return AdapterKind::kHosted; }
    static constexpr const char* kName = "hosted";

    HostedAdapter();

    Files& files() { return platform_->platform().files; }
    Registry& registry() { return platform_->platform().registry; }
    FileVersions& fileVersions() { return platform_->platform().fileVersions; }
    Com& com() { return platform_->platform().com; }
    // Writes the registry file and makes a new platform that reads it again.
    void Reopen();

    std::string Path(const std::string& relative) const;
    void WriteFile(const std::string& relative, const std::string& content);
    void MakeFolder(const std::string& relative);
    // A library holding this version resource.
    void WriteVersionedFile(const std::string& relative, const std::string& resource) {
        WriteFile(relative, testing_support::BuildPeImage({{16, 1, 0x0409, resource}}).bytes);
    }
    std::string ReadFile(const std::string& relative) const;
    std::size_t EntryCount(const std::string& relative) const;
    std::string ScratchName() const { return "scratch"; }
    static int FailNthSystemCall(int n);

private:
    std::string Host(const std::string& relative) const;  // the path under the root

    hosted_test::TestRoot root_;  // outlives the platform, which writes into it
    HostedSettings settings_;
    std::unique_ptr<HostedPlatform> platform_;
};

}  // namespace ports_test
}  // namespace comp_mgr

#endif

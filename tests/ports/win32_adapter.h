// The Windows adapter as an adapter under test (port_adapter.h): the real
// file system in a scratch folder under %TEMP% and the real registry under
// scratch keys, through the ports Win32Platform makes. The process's current
// directory is put back at the end.
#ifndef COMP_MGR_TESTS_PORTS_WIN32_ADAPTER_H
#define COMP_MGR_TESTS_PORTS_WIN32_ADAPTER_H

#include <cstddef>
#include <memory>
#include <string>

#include "platform/win32/win32_platform.h"
#include "ports/port_adapter.h"
#include "support/pe_image.h"
#include "win32/win32_fixture.h"

namespace comp_mgr {
namespace ports_test {

class Win32Adapter {
public:
    // Wine where it runs (these tests usually do), else Windows.
    static AdapterKind Kind();
    static constexpr const char* kName = "win32";

    Win32Adapter();
    ~Win32Adapter();
    Win32Adapter(const Win32Adapter&) = delete;
    Win32Adapter& operator=(const Win32Adapter&) = delete;

    Files& files() { return platform_->platform().files; }
    Registry& registry() { return platform_->platform().registry; }
    FileVersions& fileVersions() { return platform_->platform().fileVersions; }
    Com& com() { return platform_->platform().com; }
    // Windows keeps the registry itself; the new ports see the same machine.
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
    std::string ScratchName() const { return name_; }
    static int FailNthSystemCall(int n);

private:
    win32_test::ScratchFolder folder_;
    std::string name_;
    std::string savedDirectory_;
    std::unique_ptr<Win32Platform> platform_;
};

}  // namespace ports_test
}  // namespace comp_mgr

#endif

// The in-memory ports as an adapter under test (port_adapter.h).
#ifndef COMP_MGR_TESTS_PORTS_MEMORY_ADAPTER_H
#define COMP_MGR_TESTS_PORTS_MEMORY_ADAPTER_H

#include <cstddef>
#include <string>

#include "platform/memory/memory_com.h"
#include "platform/memory/memory_file_versions.h"
#include "platform/memory/memory_files.h"
#include "platform/memory/memory_registry.h"
#include "ports/port_adapter.h"

namespace comp_mgr {
namespace ports_test {

class MemoryAdapter {
public:
    static AdapterKind Kind() { return AdapterKind::kMemory; }
    static constexpr const char* kName = "memory";

    MemoryAdapter();

    Files& files() { return files_; }
    Registry& registry() { return registry_; }
    FileVersions& fileVersions() { return fileVersions_; }
    Com& com() { return com_; }
    // The in-memory ports keep everything already: nothing to reopen.
    void Reopen() {}

    std::string Path(const std::string& relative) const;
    void WriteFile(const std::string& relative, const std::string& content);
    void MakeFolder(const std::string& relative);
    // A library holding this version resource.
    void WriteVersionedFile(const std::string& relative, const std::string& resource);
    // The store has no view apart from its ports: these look through them.
    std::string ReadFile(const std::string& relative);
    std::size_t EntryCount(const std::string& relative);
    std::string ScratchName() const { return "scratch"; }
    static int FailNthSystemCall(int) { return -1; }

private:
    MemoryFiles files_;
    MemoryRegistry registry_;
    MemoryFileVersions fileVersions_;
    MemoryCom com_;
};

}  // namespace ports_test
}  // namespace comp_mgr

#endif

#include "ports/memory_adapter.h"

#include "support/pe_image.h"

namespace comp_mgr {
namespace ports_test {

MemoryAdapter::MemoryAdapter() {
    files_.MakeFolder(Path(""));
}

std::string MemoryAdapter::Path(const std::string& relative) const {
    return relative.empty() ? "C:\\Scratch" : "C:\\Scratch\\" + relative;
}

void MemoryAdapter::WriteFile(const std::string& relative, const std::string& content) {
    files_.Put(Path(relative), content);
}

void MemoryAdapter::WriteVersionedFile(const std::string& relative, const std::string& resource) {
    files_.Put(Path(relative), testing_support::BuildPeImage({{16, 1, 0x0409, resource}}).bytes);
    fileVersions_.SetResource(Path(relative), resource);
}

void MemoryAdapter::MakeFolder(const std::string& relative) {
    files_.MakeFolder(Path(relative));
}

std::string MemoryAdapter::ReadFile(const std::string& relative) {
    const std::string path = Path(relative);
    return files_.Exists(path) ? files_.Get(path) : "<missing>";
}

std::size_t MemoryAdapter::EntryCount(const std::string& relative) {
    return files_.Find(Path(relative) + "\\*").size();
}

}  // namespace ports_test
}  // namespace comp_mgr

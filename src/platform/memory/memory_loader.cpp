#include "platform/memory/memory_loader.h"

#include "support/text.h"

namespace comp_mgr {

void MemoryLoader::AddLibrary(const std::string& path, std::map<std::string, void*> exports) {
    libraries_[ToUpper(path)] = Library{std::move(exports)};
}

LibraryHandle MemoryLoader::Load(const std::string& path, bool) {
    loads.push_back(path);
    auto it = libraries_.find(ToUpper(path));
    if (it == libraries_.end()) return nullptr;
    ++openCount;
    return &it->second;
}

void* MemoryLoader::Symbol(LibraryHandle library, const char* name) {
    if (!library || !name) return nullptr;
    auto* lib = static_cast<Library*>(library);
    auto it = lib->exports.find(name);
    return it == lib->exports.end() ? nullptr : it->second;
}

void MemoryLoader::Free(LibraryHandle library) {
    if (library) --openCount;
}

}  // namespace comp_mgr

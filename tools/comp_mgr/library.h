// Loading the component manager library the way any host does: by path,
// exports by name, one load and one unload per run of the tool.
#ifndef COMP_MGR_TOOL_LIBRARY_H
#define COMP_MGR_TOOL_LIBRARY_H

#include <string>

#include "export_table.h"

namespace comp_mgr_tool {

class Library {
public:
    Library() = default;
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    ~Library() { Unload(); }

    // False with a readable reason when the file does not load.
    bool Load(const std::string& path, std::string* error);
    bool loaded() const { return handle_ != nullptr; }
    const std::string& path() const { return path_; }

    // The export under the first of its symbols the library has, or null.
    AnyFunction Find(const ExportInfo& exported) const;

    // Unloading runs the library's exit work (its save); safe to call twice.
    void Unload();

private:
    void* handle_ = nullptr;
    std::string path_;
};

// The library next to the tool's own executable (libcomp_mgr.so or comp_mgr.dll).
std::string DefaultLibraryPath(const char* argv0);

// Sets a variable in the process environment, so the library reads it at load.
bool SetEnvironment(const std::string& name, const std::string& value);

// What the library had to tell the tool when it could not answer through a
// call (it could not start; its save at unload failed), as lines "error: ..."
// and "warning: ..." in the environment variable COMP_MGR_REPORT; the
// variable is emptied.
std::string TakeLibraryReport();

}  // namespace comp_mgr_tool

#endif

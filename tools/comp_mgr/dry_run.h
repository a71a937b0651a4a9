// --dry-run on a hosted machine: the command runs on a scratch copy of the
// machine's folder, and what it changed there is reported as what it would
// change: files added, removed or changed, and for the catalog and the
// registry the sections. The machine itself is only read.
#ifndef COMP_MGR_TOOL_DRY_RUN_H
#define COMP_MGR_TOOL_DRY_RUN_H

#include <string>

namespace comp_mgr_tool {

class ScratchMachine {
public:
    ScratchMachine() = default;
    // Removes the copy.
    ~ScratchMachine();
    ScratchMachine(const ScratchMachine&) = delete;
    ScratchMachine& operator=(const ScratchMachine&) = delete;

    // Copies the machine at `root` (links as links) into a new folder beside
    // the system's temporary files. False with `error` when it cannot.
    bool CopyOf(const std::string& root, std::string* error);
    const std::string& path() const { return path_; }

    // What the run changed in the copy, against the machine it was made from:
    // one line a file ("  + PATH", "  - PATH", "  ~ PATH"), followed for an
    // INI-form file (.ini, .reg) by one line a section that differs. Empty
    // when nothing changed.
    std::string Changes() const;

private:
    std::string root_;
    std::string path_;
};

}  // namespace comp_mgr_tool

#endif

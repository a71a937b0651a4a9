// The shell port: opening an address or a file with the handler the machine
// has registered for it.
#ifndef COMP_MGR_PLATFORM_SHELL_H
#define COMP_MGR_PLATFORM_SHELL_H

#include <string>

namespace comp_mgr {

class Shell {
public:
    virtual ~Shell() = default;

    // ShellExecuteExA of `target` with `verb` ("open"), no parameters, no
    // folder, show command 0: true when the shell reports success.
    virtual bool Open(const std::string& verb, const std::string& target) = 0;
};

}  // namespace comp_mgr

#endif

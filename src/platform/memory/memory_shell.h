// The in-memory shell port for tests: every open request is recorded and
// answered as the test says.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_SHELL_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_SHELL_H

#include <string>
#include <utility>
#include <vector>

#include "platform/shell.h"

namespace comp_mgr {

class MemoryShell : public Shell {
public:
    bool Open(const std::string& verb, const std::string& target) override {
        opened.emplace_back(verb, target);
        return succeed;
    }
    bool succeed = true;
    std::vector<std::pair<std::string, std::string>> opened;  // verb, target
};

}  // namespace comp_mgr

#endif

// The in-memory user-interface port for tests: message boxes are recorded.
#ifndef COMP_MGR_PLATFORM_MEMORY_MEMORY_UI_H
#define COMP_MGR_PLATFORM_MEMORY_MEMORY_UI_H

#include <string>
#include <utility>
#include <vector>

#include "platform/ui.h"

namespace comp_mgr {

class MemoryUi : public Ui {
public:
    void MessageBox(const std::string& caption, const std::string& text) override {
        messages.emplace_back(caption, text);
    }
    std::vector<std::pair<std::string, std::string>> messages;
};

}  // namespace comp_mgr

#endif

// The user-interface port.
#ifndef COMP_MGR_PLATFORM_UI_H
#define COMP_MGR_PLATFORM_UI_H

#include <string>

namespace comp_mgr {

class Ui {
public:
    virtual ~Ui() = default;

    // A modal message box with an OK button.
    virtual void MessageBox(const std::string& caption, const std::string& text) = 0;
};

}  // namespace comp_mgr

#endif

// The user-interface port on Windows message boxes.
//
// Environment: VNT_UI=none shows no box (nobody is there to answer one);
// with VNT_LOG_DIR set, every message box is also appended to
// %VNT_LOG_DIR%\messages.log as "<caption>|<text>", in the form the hosted
// machine writes, so that tests can read what the user would have seen.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_UI_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_UI_H

#include <string>

#include "platform/ui.h"
#include "support/log_text.h"

namespace comp_mgr {

class Win32Ui : public Ui {
public:
    void MessageBox(const std::string& caption, const std::string& text) override;
};

}  // namespace comp_mgr

#endif

// The shell port on Windows: ShellExecuteExA. Each request is also appended
// to open.log in the log folder (VNT_LOG_DIR, win32_settings.h) as
// "<verb>|<target>|<ok or failed>", escaped as the hosted machine writes
// ROOT/log/open.log.
#ifndef COMP_MGR_PLATFORM_WIN32_WIN32_SHELL_H
#define COMP_MGR_PLATFORM_WIN32_WIN32_SHELL_H

#include <string>
#include <utility>

#include "platform/shell.h"

namespace comp_mgr {

class Win32Shell : public Shell {
public:
    explicit Win32Shell(std::string logDir) : logDir_(std::move(logDir)) {}

    bool Open(const std::string& verb, const std::string& target) override;

private:
    std::string logDir_;
};

}  // namespace comp_mgr

#endif

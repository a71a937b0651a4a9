// The Shell port on the hosted machine. Every open request is appended to
// ROOT/log/open.log as "<verb>|<target>|<ok or failed>" (the target escaped
// as in the other logs). Without an open command (VNT_OPEN,
// hosted_settings.h) the request succeeds once logged; with one, that
// program runs with the target as its one argument (no shell; a Windows
// path of the machine is first mapped to its file under the root) and the
// request succeeds when it exits with 0.
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_SHELL_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_SHELL_H

#include <string>
#include <utility>

#include "platform/hosted/hosted_machine.h"
#include "platform/shell.h"

namespace comp_mgr {

class HostedShell : public Shell {
public:
    HostedShell(const HostedMachine& machine, std::string openCommand)
        : machine_(machine), openCommand_(std::move(openCommand)) {}

    bool Open(const std::string& verb, const std::string& target) override;

private:
    bool RunOpenCommand(const std::string& target) const;

    const HostedMachine& machine_;
    std::string openCommand_;
    bool refusedLogTold_ = false;
};

}  // namespace comp_mgr

#endif

// The Process port on the hosted machine: the main executable is the Windows
// path the machine was given; environment variables are the real ones.
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_PROCESS_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_PROCESS_H

#include "platform/hosted/hosted_machine.h"
#include "platform/process.h"

namespace comp_mgr {

class HostedProcess : public Process {
public:
    explicit HostedProcess(const HostedMachine& machine) : machine_(machine) {}

    std::uint32_t ModuleFileName(char* buffer, std::uint32_t size) override;
    // Names are matched exactly first, then without regard to case, as
    // Windows environment names are.
    bool GetEnv(const std::string& name, std::string* value) override;
    // The program, named by the command line's first token (a Windows path
    // of the machine), runs as a POSIX process when it is an executable
    // regular file: the other tokens are its arguments as written, its
    // current directory is the machine's, its standard output is the pipe,
    // its standard input and error are closed. Terminated with SIGKILL.
    bool RunForOutput(const std::string& commandLine, std::uint32_t maxBytes, std::uint32_t waitMs,
                      std::string* output) override;

private:
    const HostedMachine& machine_;
};

}  // namespace comp_mgr

#endif

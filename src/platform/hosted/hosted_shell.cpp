#include "platform/hosted/hosted_shell.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/hosted/host_file_io.h"
#include "support/log_text.h"

extern char** environ;

namespace comp_mgr {
namespace {

// "C:\x" or "C:/x": a path on a drive of the machine, not an address.
bool IsDrivePath(const std::string& target) {
    return target.size() >= 3 && ((target[0] | 0x20) >= 'a' && (target[0] | 0x20) <= 'z') && target[1] == ':' &&
           (target[2] == '\\' || target[2] == '/');
}

}  // namespace

bool HostedShell::Open(const std::string& verb, const std::string& target) {
    const bool ok = openCommand_.empty() || RunOpenCommand(target);
    const std::string path = machine_.LogPath("open.log");
    const std::string line = EscapeLogText(verb) + "|" + EscapeLogText(target) + "|" + (ok ? "ok" : "failed");
    if (host_io::AppendLine(path, line) == host_io::AppendResult::kRefused && !refusedLogTold_) {
        refusedLogTold_ = true;
        std::fprintf(stderr, "comp_mgr: %s is a symbolic link or no regular file; it is not written\n", path.c_str());
    }
    return ok;
}

bool HostedShell::RunOpenCommand(const std::string& target) const {
    std::string argument = target;
    HostedMachine::Location where;
    if (IsDrivePath(target) && machine_.Locate(target, &where)) argument = where.hostPath;
    std::vector<char*> argv = {const_cast<char*>(openCommand_.c_str()), const_cast<char*>(argument.c_str()), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, openCommand_.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace comp_mgr

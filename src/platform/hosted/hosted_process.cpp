#include "platform/hosted/hosted_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "support/text.h"

extern char** environ;

namespace comp_mgr {

std::uint32_t HostedProcess::ModuleFileName(char* buffer, std::uint32_t size) {
    const std::string& exe = machine_.hostExe();
    if (!buffer || size == 0 || exe.empty()) return 0;
    // As GetModuleFileNameA: cut to the buffer, terminated.
    std::size_t n = exe.size() < size ? exe.size() : size - 1;
    std::memcpy(buffer, exe.data(), n);
    buffer[n] = '\0';
    return static_cast<std::uint32_t>(n);
}

bool HostedProcess::GetEnv(const std::string& name, std::string* value) {
    if (name.empty() || name.find('=') != std::string::npos || !value) return false;
    if (const char* exact = std::getenv(name.c_str())) {
        *value = exact;
        return true;
    }
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* eq = std::strchr(*entry, '=');
        if (eq && EqualsNoCase(std::string_view(*entry, static_cast<std::size_t>(eq - *entry)), name)) {
            *value = eq + 1;
            return true;
        }
    }
    return false;
}

namespace {

// Splits a command line into tokens: blanks separate them, double quotes
// group blanks into a token and are dropped.
std::vector<std::string> CommandTokens(const std::string& line) {
    std::vector<std::string> tokens;
    std::string token;
    bool inToken = false;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            inToken = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inToken) tokens.push_back(token);
            token.clear();
            inToken = false;
        } else {
            token += c;
            inToken = true;
        }
    }
    if (inToken) tokens.push_back(token);
    return tokens;
}

void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

bool HostedProcess::RunForOutput(const std::string& commandLine, std::uint32_t maxBytes, std::uint32_t waitMs,
                                 std::string* output) {
    if (!output) return false;
    output->clear();
    const std::vector<std::string> tokens = CommandTokens(commandLine);
    if (tokens.empty()) return false;
    HostedMachine::Location program;
    if (!machine_.Locate(tokens[0], &program) || !program.exists || program.isDirectory) return false;
    struct stat info {};
    if (stat(program.hostPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        access(program.hostPath.c_str(), X_OK) != 0) {
        return false;
    }
    HostedMachine::Location cwd;
    std::string directory = machine_.root();
    if (machine_.Locate(machine_.currentDirectory(), &cwd) && cwd.isDirectory) directory = cwd.hostPath;

    // Everything the child needs is made before the fork: after it only
    // async-signal-safe calls may run.
    std::vector<std::string> args = tokens;
    args[0] = program.hostPath;
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);

    int out[2] = {-1, -1};
    int status[2] = {-1, -1};  // tells the parent that exec failed
    if (pipe(out) != 0) return false;
    if (pipe(status) != 0 || fcntl(status[1], F_SETFD, FD_CLOEXEC) != 0 || fcntl(out[0], F_SETFD, FD_CLOEXEC) != 0) {
        CloseFd(out[0]);
        CloseFd(out[1]);
        CloseFd(status[0]);
        CloseFd(status[1]);
        return false;
    }
    pid_t pid = fork();
    if (pid == 0) {
        if (dup2(out[1], 1) < 0 || chdir(directory.c_str()) != 0) _exit(127);
        if (out[1] != 1) close(out[1]);
        close(0);
        close(2);
        execv(argv[0], argv.data());
        int error = errno;
        ssize_t ignored = write(status[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    CloseFd(out[1]);
    CloseFd(status[1]);
    if (pid < 0) {
        CloseFd(out[0]);
        CloseFd(status[0]);
        return false;
    }
    int error = 0;
    ssize_t got;
    do {
        got = read(status[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    CloseFd(status[0]);
    if (got > 0) {  // the program could not be started
        CloseFd(out[0]);
        waitpid(pid, nullptr, 0);
        return false;
    }

    pollfd ready{out[0], POLLIN, 0};
    int waited;
    do {
        waited = poll(&ready, 1, static_cast<int>(waitMs > 0x7FFFFFFFu ? 0x7FFFFFFFu : waitMs));
    } while (waited < 0 && errno == EINTR);
    if (waited > 0 && maxBytes > 0) {
        std::vector<char> buffer(maxBytes);
        do {
            got = read(out[0], buffer.data(), maxBytes);
        } while (got < 0 && errno == EINTR);
        if (got > 0) output->assign(buffer.data(), static_cast<std::size_t>(got));
    }
    CloseFd(out[0]);
    kill(pid, SIGKILL);
    // Reaped at once: a killed child ends without running any of its code.
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return true;
}

}  // namespace comp_mgr

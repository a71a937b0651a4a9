// One run of the tool at a time on a machine: each run holds the machine's
// lock from before the library is loaded (which reads the catalog) until
// after it is unloaded (which saves it), so two runs never both change the
// catalog each from its own copy.
//
// The lock is a file: ROOT/comp_mgr.lock on the hosted machine, and
// %ProgramData%\Vantrel\comp_mgr.lock on Windows (one catalog per machine).
// It is held through flock on POSIX and by keeping the file open without
// sharing it for writing on Windows, so the end of its process, however it
// ends, releases it: a lock left by a dead run is simply taken. The holder
// writes who it is into the file (process id, program, since when) for the
// run that waits.
#ifndef COMP_MGR_TOOL_MACHINE_LOCK_H
#define COMP_MGR_TOOL_MACHINE_LOCK_H

#include <string>

#include "options.h"

namespace comp_mgr_tool {

class MachineLock {
public:
    enum class Outcome {
        kHeld,         // this run holds it
        kBusy,         // another run held it for the whole wait
        kUnavailable,  // there is no lock file to be had (no root, read-only folder)
    };

    MachineLock() = default;
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;
    ~MachineLock() { Release(); }

    // Waits up to `waitMilliseconds` for the lock at `path`; `holder` (when
    // kBusy) says who holds it, `program` is what this run tells waiters.
    Outcome Acquire(const std::string& path, int waitMilliseconds, const std::string& program, std::string* holder);
    void Release();

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// Where the lock of the machine these options name lives; "" when there is none.
std::string MachineLockPath(const Options& options);

// How long a run waits for another: COMP_MGR_LOCK_WAIT seconds (a decimal
// number, 0 for not at all), 5 seconds by default.
int LockWaitMilliseconds();

}  // namespace comp_mgr_tool

#endif

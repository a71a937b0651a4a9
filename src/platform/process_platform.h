// The ports of the running process, made once by the adapter the library is
// built with and owned for the life of the library.
#ifndef COMP_MGR_PLATFORM_PROCESS_PLATFORM_H
#define COMP_MGR_PLATFORM_PROCESS_PLATFORM_H

#include <memory>

#include "platform/platform.h"

namespace comp_mgr {

class ProcessPlatform {
public:
    virtual ~ProcessPlatform() = default;
    virtual const Platform& platform() = 0;
};

// Supplied by the adapter the library is built with.
std::unique_ptr<ProcessPlatform> CreateProcessPlatform();

// Tells the program that loaded the library what it must know when the
// library can no longer answer: that the unload's save failed, or that the
// library could not start. `line` ("error: ..." or "warning: ...") is added
// as a line to the process's environment variable COMP_MGR_REPORT, which the
// comp_mgr tool reads after each call and after the unload. Supplied by the
// adapter; never throws.
void ReportToHost(const char* line) noexcept;

}  // namespace comp_mgr

#endif

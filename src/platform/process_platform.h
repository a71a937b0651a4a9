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

}  // namespace comp_mgr

#endif

// Everything the library needs of the hosted machine, built from its settings
// (hosted_settings.h).
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_PLATFORM_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_PLATFORM_H

#include "platform/hosted/hosted_clock.h"
#include "platform/hosted/hosted_files.h"
#include "platform/hosted/hosted_loader.h"
#include "platform/hosted/hosted_machine.h"
#include "platform/hosted/hosted_process.h"
#include "platform/hosted/hosted_registry.h"
#include "platform/hosted/hosted_settings.h"
#include "platform/hosted/hosted_ui.h"
#include "platform/process_platform.h"

namespace comp_mgr {

class HostedPlatform : public ProcessPlatform {
public:
    explicit HostedPlatform(const HostedSettings& settings);

    const Platform& platform() override { return platform_; }

    HostedMachine machine;
    HostedFiles files;
    HostedProcess process;
    HostedLoader loader;
    HostedUi ui;
    HostedClock clock;
    HostedRegistry registry;

private:
    Platform platform_;
};

}  // namespace comp_mgr

#endif

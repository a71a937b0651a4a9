// Everything the library needs of the hosted machine, built from its settings
// (hosted_settings.h).
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_PLATFORM_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_PLATFORM_H

#include "platform/hosted/hosted_clock.h"
#include "platform/hosted/hosted_com.h"
#include "platform/hosted/hosted_events.h"
#include "platform/hosted/hosted_file_versions.h"
#include "platform/hosted/hosted_files.h"
#include "platform/hosted/hosted_loader.h"
#include "platform/hosted/hosted_machine.h"
#include "platform/hosted/hosted_process.h"
#include "platform/hosted/hosted_registry.h"
#include "platform/hosted/hosted_settings.h"
#include "platform/hosted/hosted_shell.h"
#include "platform/hosted/hosted_ui.h"
#include "platform/process_platform.h"

namespace comp_mgr {

class HostedPlatform : public ProcessPlatform {
public:
    explicit HostedPlatform(const HostedSettings& settings);
    HostedPlatform(const HostedPlatform&) = delete;
    HostedPlatform& operator=(const HostedPlatform&) = delete;

    const Platform& platform() override { return platform_; }

    // The ports tests ask about beyond the Platform: where the machine is,
    // and which UI mode the settings chose.
    const HostedMachine& machine() const { return machine_; }
    const HostedUi& ui() const { return ui_; }

private:
    HostedMachine machine_;
    HostedFiles files_;
    HostedProcess process_;
    HostedLoader loader_;
    HostedUi ui_;
    HostedClock clock_;
    HostedShell shell_;
    HostedRegistry registry_;
    HostedFileVersions fileVersions_;
    HostedCom com_;
    HostedEvents events_;
    Platform platform_;
};

}  // namespace comp_mgr

#endif

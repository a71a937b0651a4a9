// Everything the library needs of the hosted machine, built from the
// environment (VNT_ROOT, VNT_HOST_EXE, VNT_CWD, VNT_UI, VNT_NOW).
#ifndef COMP_MGR_PLATFORM_HOSTED_HOSTED_PLATFORM_H
#define COMP_MGR_PLATFORM_HOSTED_HOSTED_PLATFORM_H

#include <string>

#include "platform/hosted/hosted_clock.h"
#include "platform/hosted/hosted_files.h"
#include "platform/hosted/hosted_loader.h"
#include "platform/hosted/hosted_machine.h"
#include "platform/hosted/hosted_process.h"
#include "platform/hosted/hosted_registry.h"
#include "platform/hosted/hosted_ui.h"
#include "platform/process_platform.h"

namespace comp_mgr {

struct HostedSettings {
    std::string root = "./vnt-machine";
    std::string hostExe = "C:\\Vantrel\\bin\\vn_app.exe";
    std::string currentDirectory;  // empty: the folder of hostExe
    std::string ui;                // empty: "tty" when stdin is a terminal, else "none"
    std::string now;               // empty: the real time

    // The settings named by the environment, defaults for the rest.
    static HostedSettings FromEnvironment();
};

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

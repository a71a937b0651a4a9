#include "platform/hosted/hosted_platform.h"

#include <unistd.h>

#include <cstdio>

namespace comp_mgr {
HostedPlatform::HostedPlatform(const HostedSettings& settings)
    : machine(settings.root, settings.hostExe, settings.currentDirectory),
      files(machine),
      process(machine),
      loader(machine),
      ui(machine, settings.ui.empty() ? (::isatty(0) ? "tty" : "none") : settings.ui),
      clock(settings.now),
      registry(machine.root() + "/registry.reg"),
      platform_{registry, files, process, loader, ui, clock} {
    if (!ui.settingValid())
        std::fprintf(stderr, "comp_mgr: VNT_UI=%s not understood; using none\n", settings.ui.c_str());
    if (!clock.valid()) {
        std::fprintf(stderr, "comp_mgr: VNT_NOW=%s is not YYYY-MM-DD HH:MM:SS; using the real time\n",
                     settings.now.c_str());
    }
}

std::unique_ptr<ProcessPlatform> CreateProcessPlatform() {
    return std::make_unique<HostedPlatform>(HostedSettings::FromEnvironment());
}

}  // namespace comp_mgr

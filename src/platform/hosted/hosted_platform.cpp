#include "platform/hosted/hosted_platform.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/event_line.h"

namespace comp_mgr {

HostedPlatform::HostedPlatform(const HostedSettings& settings)
    : machine_(settings.root, settings.hostExe, settings.currentDirectory),
      files_(machine_),
      process_(machine_),
      loader_(machine_, settings.dryRun),
      ui_(machine_, settings.ui.empty() ? (::isatty(0) ? "tty" : "none") : settings.ui),
      clock_(settings.now),
      shell_(machine_, settings.openCommand),
      registry_(machine_.root() + "/registry.reg"),
      fileVersions_(machine_),
      events_(machine_.LogPath("events.log"), clock_, settings.eventsEcho, kEventLogLimit),
      platform_{registry_, files_, process_, loader_, ui_, clock_, fileVersions_, com_, shell_, events_} {
    if (!ui_.settingValid())
        std::fprintf(stderr, "comp_mgr: VNT_UI=%s not understood; using none\n", settings.ui.c_str());
    if (!clock_.valid()) {
        std::fprintf(stderr, "comp_mgr: VNT_NOW=%s is not YYYY-MM-DD HH:MM:SS; using the real time\n",
                     settings.now.c_str());
    }
}

void ReportToHost(const char* line) noexcept {
    try {
        const char* before = std::getenv("COMP_MGR_REPORT");
        std::string text = before && *before ? std::string(before) + "\n" + line : std::string(line);
        ::setenv("COMP_MGR_REPORT", text.c_str(), 1);
    } catch (...) {
        // Out of memory: the line alone, without the earlier ones.
        ::setenv("COMP_MGR_REPORT", line, 1);
    }
}

std::unique_ptr<ProcessPlatform> CreateProcessPlatform() {
    return std::make_unique<HostedPlatform>(HostedSettings::FromEnvironment());
}

}  // namespace comp_mgr

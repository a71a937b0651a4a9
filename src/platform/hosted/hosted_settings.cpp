#include "platform/hosted/hosted_settings.h"

#include <cstdlib>

namespace comp_mgr {
namespace {

void FromEnv(const char* name, std::string* value) {
    const char* v = std::getenv(name);
    if (v && *v) *value = v;
}

}  // namespace

HostedSettings HostedSettings::FromEnvironment() {
    HostedSettings s;
    FromEnv("VNT_ROOT", &s.root);
    FromEnv("VNT_HOST_EXE", &s.hostExe);
    FromEnv("VNT_CWD", &s.currentDirectory);
    FromEnv("VNT_UI", &s.ui);
    FromEnv("VNT_NOW", &s.now);
    FromEnv("VNT_OPEN", &s.openCommand);
    std::string echo;
    FromEnv("VNT_EVENTS_ECHO", &echo);
    s.eventsEcho = echo == "1";
    std::string dryRun;
    FromEnv("VNT_DRY_RUN", &dryRun);
    s.dryRun = dryRun == "1";
    if (s.dryRun) s.openCommand.clear();
    return s;
}

}  // namespace comp_mgr

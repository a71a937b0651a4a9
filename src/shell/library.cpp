#include "shell/library.h"

namespace comp_mgr {
namespace library {
namespace {

struct State {
    std::unique_ptr<ProcessPlatform> platform;
    std::unique_ptr<ComponentManagerApp> app;
    bool starting = false;
};

State& Global() {
    static State state;
    return state;
}

}  // namespace

ComponentManagerApp* App() {
    State& s = Global();
    if (s.app) return s.app.get();
    if (s.starting) return nullptr;  // an export called from inside the start-up
    s.starting = true;
    try {
        if (!s.platform) s.platform = CreateProcessPlatform();
        s.app = std::make_unique<ComponentManagerApp>(s.platform->platform());
        s.app->InitInstance();
        s.platform->platform().registry.Flush();
    } catch (...) {
        s.app.reset();
        s.platform.reset();
    }
    s.starting = false;
    return s.app.get();
}

const Platform* ProcessPorts() {
    State& s = Global();
    try {
        if (!s.platform) s.platform = CreateProcessPlatform();
    } catch (...) {
        return nullptr;
    }
    return &s.platform->platform();
}

void Shutdown() {
    State& s = Global();
    if (s.app) {
        try {
            s.app->ExitInstance();
            s.platform->platform().registry.Flush();
        } catch (...) {
            // Unloading must go on whatever the save met.
        }
    }
    s.app.reset();
    s.platform.reset();
}

void AfterCall() {
    State& s = Global();
    if (s.platform) s.platform->platform().registry.Flush();
}

}  // namespace library
}  // namespace comp_mgr

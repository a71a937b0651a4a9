#include "shell/library.h"

#include <new>
#include <string>

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
    const char* failure = nullptr;
    try {
        if (!s.platform) s.platform = CreateProcessPlatform();
        s.app = std::make_unique<ComponentManagerApp>(s.platform->platform());
        s.app->InitInstance();
        const std::string& damage = s.app->database().loadDamage();
        if (!damage.empty()) ReportToHost(("warning: " + damage).c_str());
        s.platform->platform().registry.Flush();
    } catch (const std::bad_alloc&) {
        failure = "error: the component manager could not start: out of memory";
    } catch (...) {
        failure = "error: the component manager could not start";
    }
    if (failure) {
        s.app.reset();
        s.platform.reset();
        ReportToHost(failure);
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
            const ComponentDatabase& database = s.app->database();
            if (!database.saveFailure().empty()) {
                ReportToHost(("error: the changes could not be saved: " + database.saveFailure()).c_str());
            }
            if (!database.saveNotice().empty()) ReportToHost(("warning: " + database.saveNotice()).c_str());
            if (!database.damageNotice().empty()) ReportToHost(("warning: " + database.damageNotice()).c_str());
            s.platform->platform().registry.Flush();
        } catch (const std::bad_alloc&) {
            // Unloading must go on whatever the save met.
            ReportToHost("error: the changes could not be saved: out of memory");
        } catch (...) {
            ReportToHost("error: the changes could not be saved");
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

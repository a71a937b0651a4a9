#include "plugins/component_engine.h"

#include "support/text.h"

namespace comp_mgr {

const char kEngineLibraryName[] = "VntCoreComponentEngine.dll";

std::string EngineHostPath(const std::string& modulePath) {
    std::string path = ToUpper(modulePath);
    static const char kTool[] = "COMP_MGR.EXE";
    std::size_t at = path.find(kTool);
    if (at != std::string::npos) {
        path.erase(at, sizeof(kTool) - 1);
        path += "VN_APP.EXE";
    }
    return path;
}

ComponentEngine::ComponentEngine(const Platform& platform) : platform_(platform) {}

ComponentEngine::~ComponentEngine() {
    Unload();
}

bool ComponentEngine::LoadEngine() {
    library_ = platform_.loader.Load(kEngineLibraryName, true);
    if (!library_) return false;
    void* getClassObject = platform_.loader.Symbol(library_, "DllGetClassObject");
    if (!getClassObject) return false;
    // Creating the engine object through its class factory needs a COM port,
    // which the platform does not offer yet; until it does, a present engine
    // is treated like an absent one.
    return engine_ != nullptr;
}

void ComponentEngine::Unload() {
    engine_ = nullptr;
    factory_ = nullptr;
    if (library_) platform_.loader.Free(library_);
    library_ = nullptr;
}

// Until the engine object can be created (see LoadEngine) every question gets
// the answer for an engine that cannot be loaded; the load and unload are
// still made so that the engine library is looked for as it will be then.
std::int32_t ComponentEngine::QueryHost(const std::string& hostPath) {
    (void)hostPath;
    LoadEngine();
    Unload();
    return 1;
}

std::int16_t ComponentEngine::IsPluginSettled(const std::string& hostPath, const std::string& pluginName) {
    (void)hostPath;
    (void)pluginName;
    LoadEngine();
    Unload();
    return 0;
}

std::int16_t ComponentEngine::IsPluginRejected(const std::string& hostPath, const std::string& pluginName) {
    (void)hostPath;
    (void)pluginName;
    LoadEngine();
    Unload();
    return 0;
}

}  // namespace comp_mgr

#include "services/engine_bridge/component_engine.h"

#include "catalog/host_paths.h"
#include "support/text.h"

namespace comp_mgr {

const char kEngineLibraryName[] = "VntCoreComponentEngine.dll";

namespace {
// The module path is read into a buffer of this many characters.
const unsigned kEngineModulePathCapacity = 512;
}  // namespace

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
    // Creating the engine object through its class factory needs a COM port,
    // which the platform does not offer yet; until it does, a present engine
    // is treated like an absent one.
    platform_.loader.Symbol(library_, "DllGetClassObject");
    return false;
}

void ComponentEngine::Unload() {
    if (library_) platform_.loader.Free(library_);
    library_ = nullptr;
}

// Until the engine object can be created (see LoadEngine) the question gets
// the answer for an engine that cannot be loaded; the load and unload are
// still made so that the engine library is looked for as it will be then.
std::int32_t ComponentEngine::QueryHost(const std::string& hostPath) {
    (void)hostPath;
    LoadEngine();
    Unload();
    return 1;
}

std::int16_t ComponentEngine::IsPluginSettled(const std::string& hostPath, const std::string& plugInName) {
    (void)hostPath;
    (void)plugInName;
    LoadEngine();
    Unload();
    return 0;
}

std::int16_t ComponentEngine::IsPluginRejected(const std::string& hostPath, const std::string& plugInName) {
    (void)hostPath;
    (void)plugInName;
    LoadEngine();
    Unload();
    return 0;
}

void NotifyEngineOfHost(const Platform& platform) {
    const std::string module = ModulePath(platform, kEngineModulePathCapacity);
    if (module.empty()) return;
    ComponentEngine engine(platform);
    engine.QueryHost(EngineHostPath(module));
}

}  // namespace comp_mgr

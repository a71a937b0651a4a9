// The bridge to the component engine, VntCoreComponentEngine.dll: an
// in-process server that takes some decisions about plug-ins. Every question
// loads the engine, asks once and unloads it again.
#ifndef COMP_MGR_PLUGINS_COMPONENT_ENGINE_H
#define COMP_MGR_PLUGINS_COMPONENT_ENGINE_H

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace comp_mgr {

// The engine library, found by the system's library search.
extern const char kEngineLibraryName[];  // "VntCoreComponentEngine.dll"

// The host path the engine is told about at start-up: the module path in
// upper case, with a COMP_MGR.EXE in it removed and VN_APP.EXE appended, so
// the stand-alone tool speaks for the IDE program beside it.
std::string EngineHostPath(const std::string& modulePath);

class ComponentEngine {
public:
    explicit ComponentEngine(const Platform& platform);
    ~ComponentEngine();
    ComponentEngine(const ComponentEngine&) = delete;
    ComponentEngine& operator=(const ComponentEngine&) = delete;

    // The engine's answer, or 1 when the engine cannot be loaded.
    std::int32_t QueryHost(const std::string& hostPath);
    // The engine's answer (-1 true, 0 false), or 0 when it cannot be loaded.
    std::int16_t IsPluginSettled(const std::string& hostPath, const std::string& pluginName);
    std::int16_t IsPluginRejected(const std::string& hostPath, const std::string& pluginName);

private:
    // Loads the library, finds its class-object export and creates the
    // engine object; true only when all of that worked.
    bool LoadEngine();
    // Releases the object, then the factory, then frees the library.
    void Unload();

    const Platform& platform_;
    void* engine_ = nullptr;   // the engine's interface, when loaded
    void* factory_ = nullptr;  // its class factory, when loaded
    LibraryHandle library_ = nullptr;
};

}  // namespace comp_mgr

#endif

// The bridge to the component engine, VntCoreComponentEngine.dll: an
// in-process server that takes some decisions about plug-ins. Every question
// loads the engine, asks once and unloads it again.
#ifndef COMP_MGR_SERVICES_ENGINE_BRIDGE_COMPONENT_ENGINE_H
#define COMP_MGR_SERVICES_ENGINE_BRIDGE_COMPONENT_ENGINE_H

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

    // VARIANT_BOOL answers (-1 true, 0 false; an engine may answer anything
    // else), or 0 when the engine cannot be loaded. A failing method raises
    // ComError (com_error.h).
    std::int16_t IsPluginSettled(const std::string& hostPath, const std::string& plugInName);
    std::int16_t IsPluginRejected(const std::string& hostPath, const std::string& plugInName);

private:
    // Loads the library and finds its class-object export; true only when
    // the engine object could be created from it.
    bool LoadEngine();
    void Unload();

    const Platform& platform_;
    LibraryHandle library_ = nullptr;
};

// Tells the engine which host program is running, before the catalog is
// opened; nothing is asked when the process reports no module path.
void NotifyEngineOfHost(const Platform& platform);

}  // namespace comp_mgr

#endif

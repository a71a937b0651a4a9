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
    // Initialises COM for the calling thread.
    explicit ComponentEngine(const Platform& platform);
    ~ComponentEngine();
    ComponentEngine(const ComponentEngine&) = delete;
    ComponentEngine& operator=(const ComponentEngine&) = delete;

    // Each question loads the engine, asks once and unloads it. A failing
    // method raises ComError (com_error.h), as does a string copy that
    // cannot be made (kComOutOfMemory); the engine is unloaded first.

    // The engine's answer, or 1 when the engine cannot be loaded.
    std::int32_t QueryHost(const std::string& hostPath);

    // VARIANT_BOOL answers (-1 true, 0 false; an engine may answer anything
    // else), or 0 when the engine cannot be loaded.
    std::int16_t IsPluginSettled(const std::string& hostPath, const std::string& plugInName);
    std::int16_t IsPluginRejected(const std::string& hostPath, const std::string& plugInName);

private:
    // Loads the library, gets its class factory and creates the engine
    // object; true only when every step succeeded and the object is there.
    bool Load();
    // Releases the engine object, then the factory, then frees the library.
    void Unload();
    // One call of a plug-in question in `slot`.
    std::int16_t AskAboutPlugIn(int slot, const std::string& hostPath, const std::string& plugInName);
    // The engine's error description after a failing call, when the engine
    // declares error information for its interface; empty otherwise.
    std::string ErrorDescription();
    [[noreturn]] void RaiseFailure(engine_abi::HResult result);

    // Unloads when a question ends, however it ends.
    class UnloadAtExit {
    public:
        explicit UnloadAtExit(ComponentEngine& engine) : engine_(engine) {}
        ~UnloadAtExit() { engine_.Unload(); }
        UnloadAtExit(const UnloadAtExit&) = delete;
        UnloadAtExit& operator=(const UnloadAtExit&) = delete;

    private:
        ComponentEngine& engine_;
    };

    const Platform& platform_;
    void* engine_ = nullptr;   // the engine interface
    void* factory_ = nullptr;  // its class factory
    LibraryHandle library_ = nullptr;
};

// Tells the engine which host program is running, before the catalog is
// opened; nothing is asked when the process reports no module path. The
// answer is not used, so an engine call that fails (ComError) is dropped
// here and the start-up goes on.
void NotifyEngineOfHost(const Platform& platform);

}  // namespace comp_mgr

#endif

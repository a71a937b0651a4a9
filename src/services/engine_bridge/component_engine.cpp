#include "services/engine_bridge/component_engine.h"

#include "catalog/host_paths.h"
#include "services/engine_bridge/com_error.h"
#include "support/text.h"

namespace comp_mgr {

using namespace engine_abi;

const char kEngineLibraryName[] = "VntCoreComponentEngine.dll";

namespace {

// The module path is read into a buffer of this many characters.
const unsigned kEngineModulePathCapacity = 512;

// A fresh BSTR copy of one argument, freed when the call is over.
class ArgumentString {
public:
    ArgumentString(Com& com, const std::string& text) : com_(com), text_(com.AllocString(text)) {
        if (!text_) throw ComError(kComOutOfMemory, std::string());
    }
    ~ArgumentString() { com_.FreeString(text_); }
    ArgumentString(const ArgumentString&) = delete;
    ArgumentString& operator=(const ArgumentString&) = delete;

    Bstr get() const { return text_; }

private:
    Com& com_;
    Bstr text_;
};

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

ComponentEngine::ComponentEngine(const Platform& platform) : platform_(platform) {
    platform_.com.Initialize();
}

ComponentEngine::~ComponentEngine() {
    Unload();
}

bool ComponentEngine::Load() {
    library_ = platform_.loader.Load(kEngineLibraryName, true);
    if (!library_) return false;
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(platform_.loader.Symbol(library_, "DllGetClassObject"));
    if (!getClassObject) return false;
    void* factory = nullptr;
    if (Failed(getClassObject(&kEngineClassId, &kClassFactoryId, &factory))) return false;
    factory_ = factory;
    if (!factory_) return false;
    void* engine = nullptr;
    if (Failed(Slot<CreateInstanceFn>(factory_, kSlotCreateInstance)(factory_, nullptr, &kEngineInterfaceId, &engine)))
        return false;
    engine_ = engine;
    return engine_ != nullptr;
}

void ComponentEngine::Unload() {
    if (engine_) Release(engine_);
    engine_ = nullptr;
    if (factory_) Release(factory_);
    factory_ = nullptr;
    if (library_) platform_.loader.Free(library_);
    library_ = nullptr;
}

std::string ComponentEngine::ErrorDescription() {
    void* support = nullptr;
    if (Failed(Slot<QueryInterfaceFn>(engine_, kSlotQueryInterface)(engine_, &kSupportErrorInfoId, &support)) ||
        !support)
        return std::string();
    const HResult supported =
        Slot<InterfaceSupportsErrorInfoFn>(support, kSlotInterfaceSupportsErrorInfo)(support, &kEngineInterfaceId);
    Release(support);
    if (supported != kOk) return std::string();

    void* info = platform_.com.TakeErrorInfo(library_);
    if (!info) return std::string();
    Bstr text = nullptr;
    std::string description;
    if (!Failed(Slot<GetTextFn>(info, kSlotGetDescription)(info, &text)) && text)
        description = platform_.com.NarrowText(text);
    platform_.com.FreeString(text);
    Release(info);
    return description;
}

// The error object belongs to the engine's code: it is read while the
// engine is loaded, and only its text travels with the error.
void ComponentEngine::RaiseFailure(HResult result) {
    throw ComError(result, ErrorDescription());
}

// Each question: load, copy the arguments, call once, free the copies,
// unload; the same order when the call fails or a copy cannot be made.
std::int32_t ComponentEngine::QueryHost(const std::string& hostPath) {
    UnloadAtExit unload(*this);
    if (!Load()) return 1;
    std::int32_t answer = 0;
    ArgumentString host(platform_.com, hostPath);
    const HResult result = Slot<QueryHostFn>(engine_, kSlotQueryHost)(engine_, host.get(), &answer);
    if (Failed(result)) RaiseFailure(result);
    return answer;
}

std::int16_t ComponentEngine::AskAboutPlugIn(int slot, const std::string& hostPath, const std::string& plugInName) {
    UnloadAtExit unload(*this);
    if (!Load()) return 0;
    VariantBool answer = 0;
    ArgumentString host(platform_.com, hostPath);
    ArgumentString name(platform_.com, plugInName);
    const HResult result = Slot<PlugInQuestionFn>(engine_, slot)(engine_, host.get(), name.get(), &answer);
    if (Failed(result)) RaiseFailure(result);
    return answer;
}

std::int16_t ComponentEngine::IsPluginSettled(const std::string& hostPath, const std::string& plugInName) {
    return AskAboutPlugIn(kSlotIsPluginSettled, hostPath, plugInName);
}

std::int16_t ComponentEngine::IsPluginRejected(const std::string& hostPath, const std::string& plugInName) {
    return AskAboutPlugIn(kSlotIsPluginRejected, hostPath, plugInName);
}

void NotifyEngineOfHost(const Platform& platform) {
    const std::string module = ModulePath(platform, kEngineModulePathCapacity);
    if (module.empty()) return;
    try {
        ComponentEngine engine(platform);
        engine.QueryHost(EngineHostPath(module));
    } catch (const ComError&) {
        // The answer is not used; a failing engine leaves the start-up as
        // an absent one would.
    }
}

}  // namespace comp_mgr

// VntCoreComponentEngine.dll: the component engine comp_mgr asks about its
// host and about every new plug-in. Its decisions come from the
// administrator's policy beside it (policy.h); without a readable policy it
// has no objection to anything. It keeps nothing between calls.
#include <atomic>
#include <cstdint>
#include <new>
#include <string>

#include "com_server.h"
#include "policy.h"
#include "server_runtime.h"
#include "utf.h"

#ifdef _WIN32
#define ENGINE_EXPORT extern "C" __declspec(dllexport)
#else
#define ENGINE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace vnt_engine {
namespace {

const char kPolicyName[] = "VntCoreComponentEngine.policy";

int anchor;  // any address inside this library identifies it

Policy LoadPolicy() {
    std::string bytes;
    if (!ReadSmallFile(Beside(OwnPath(&anchor), kPolicyName), Policy::kMaxFileBytes, &bytes)) return Policy();
    return Policy::Parse(bytes);
}

// The file name of the host path the library passes (upper case, Windows).
std::u32string HostProgram(Bstr hostPath) {
    std::u16string_view path = StringView(hostPath);
    const std::size_t slash = path.find_last_of(u"\\/");
    if (slash != std::u16string_view::npos) path.remove_prefix(slash + 1);
    return FromUtf16(path);
}

struct Engine {
    const AnySlot* table;
    std::atomic<std::uint32_t> references;
};

HResult VNT_COM_CALL EngineQueryInterface(void* self, const Guid* iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (!iid || (*iid != kUnknownId && *iid != kEngineInterfaceId)) return kNoInterface;
    AddRefObject<Engine>(self);
    *object = self;
    return kOk;
}

// No exception may leave a method: the caller is not C++ of this library,
// and the library the exception's code lives in is unloaded right after.
template <class Work>
HResult Answer(Work&& work) {
    try {
        work();
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (...) {
        return kFail;
    }
}

// The number of policy rules in force for the host; 0 without a policy.
HResult VNT_COM_CALL QueryHost(void*, Bstr hostPath, std::int32_t* answer) {
    if (!answer) return kPointer;
    return Answer([&] {
        const std::size_t rules = LoadPolicy().RulesFor(HostProgram(hostPath));
        *answer = static_cast<std::int32_t>(rules > INT32_MAX ? INT32_MAX : rules);
    });
}

HResult Ask(Verdict wanted, Bstr hostPath, Bstr plugInName, VariantBool* answer) {
    if (!answer) return kPointer;
    return Answer([&] {
        const Verdict verdict = LoadPolicy().Decide(HostProgram(hostPath), FromUtf16(StringView(plugInName)));
        *answer = verdict == wanted ? -1 : 0;
    });
}

HResult VNT_COM_CALL IsPluginSettled(void*, Bstr hostPath, Bstr plugInName, VariantBool* answer) {
    return Ask(Verdict::kSettle, hostPath, plugInName, answer);
}

HResult VNT_COM_CALL IsPluginRejected(void*, Bstr hostPath, Bstr plugInName, VariantBool* answer) {
    return Ask(Verdict::kReject, hostPath, plugInName, answer);
}

const AnySlot kEngineTable[kEngineSlotCount] = {
    Any(&EngineQueryInterface), Any(&AddRefObject<Engine>), Any(&ReleaseObject<Engine>), Any(&NotImplemented),
    Any(&NotImplemented),       Any(&NotImplemented),       Any(&NotImplemented),        Any(&QueryHost),
    Any(&NotImplemented),       Any(&NotImplemented),       Any(&IsPluginSettled),       Any(&NotImplemented),
    Any(&IsPluginRejected)};

HResult CreateEngine(const Guid& iid, void** object) {
    if (iid != kEngineInterfaceId && iid != kUnknownId) return kNoInterface;
    *object = MakeObject<Engine>(kEngineTable, 1u);
    return *object ? kOk : kOutOfMemory;
}

}  // namespace
}  // namespace vnt_engine

ENGINE_EXPORT comp_mgr::engine_abi::HResult VNT_COM_CALL DllGetClassObject(const comp_mgr::engine_abi::Guid* classId,
                                                                           const comp_mgr::engine_abi::Guid* iid,
                                                                           void** object) {
    return vnt_engine::GetClassObject(classId, iid, object, comp_mgr::engine_abi::kEngineClassId,
                                      &vnt_engine::CreateEngine);
}

ENGINE_EXPORT comp_mgr::engine_abi::HResult VNT_COM_CALL DllCanUnloadNow() {
    return vnt_engine::CanUnloadNow();
}

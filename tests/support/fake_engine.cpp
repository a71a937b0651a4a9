#include "support/fake_engine.h"

#include "support/code_page_1252.h"

namespace comp_mgr {
namespace testing_support {

using namespace engine_abi;

namespace {

FakeEngine* active = nullptr;

enum class Kind { kFactory, kEngine, kSupportErrorInfo, kErrorInfo };

struct Object {
    const AnySlot* table;
    Kind kind;
    std::uint32_t references;
};

Object* Make(const AnySlot* table, Kind kind) {
    ++active->liveObjects;
    return new Object{table, kind, 1};
}

const char* Name(Kind kind) {
    switch (kind) {
        case Kind::kFactory:
            return "factory";
        case Kind::kEngine:
            return "engine";
        case Kind::kSupportErrorInfo:
            return "support error info";
        case Kind::kErrorInfo:
            return "error info";
    }
    return "?";
}

template <class Fn>
AnySlot Any(Fn f) {
    return reinterpret_cast<AnySlot>(f);
}

std::uint32_t VNT_COM_CALL AddRef(void* self) {
    return ++static_cast<Object*>(self)->references;
}

std::uint32_t VNT_COM_CALL ReleaseObject(void* self) {
    Object* object = static_cast<Object*>(self);
    const std::uint32_t left = --object->references;
    if (left == 0) {
        active->RecordRelease(Name(object->kind));
        --active->liveObjects;
        delete object;
    }
    return left;
}

HResult VNT_COM_CALL Unused(void*) {
    return kNotImplemented;
}

std::string Utf8(Bstr text) {
    return Cp1252ToUtf8(Utf16ToCp1252(std::u16string_view(text, HostedStringLength(text))));
}

// ---- ISupportErrorInfo and IErrorInfo ---------------------------------------

HResult VNT_COM_CALL SupportsErrorInfo(void*, const Guid* iid) {
    return *iid == kEngineInterfaceId ? kOk : kFalse;
}

HResult VNT_COM_CALL GetDescription(void*, Bstr* text) {
    *text = active->machine().com.AllocString(active->errorDescription);
    return *text ? kOk : kOutOfMemory;
}

const AnySlot kSupportTable[kSupportErrorInfoSlotCount] = {Any(&Unused), Any(&AddRef), Any(&ReleaseObject),
                                                           Any(&SupportsErrorInfo)};
const AnySlot kErrorInfoTable[kErrorInfoSlotCount] = {Any(&Unused), Any(&AddRef), Any(&ReleaseObject),
                                                      Any(&Unused), Any(&Unused), Any(&GetDescription),
                                                      Any(&Unused), Any(&Unused)};

// ---- the engine -----------------------------------------------------------------

HResult Fail() {
    FakeEngine& fake = *active;
    if (fake.leavesErrorInfo) fake.machine().com.errorInfo = Make(kErrorInfoTable, Kind::kErrorInfo);
    return fake.methodResult;
}

HResult VNT_COM_CALL EngineQueryInterface(void*, const Guid* iid, void** object) {
    *object = nullptr;
    if (*iid != kSupportErrorInfoId || !active->declaresErrorInfo) return kNoInterface;
    *object = Make(kSupportTable, Kind::kSupportErrorInfo);
    return kOk;
}

HResult VNT_COM_CALL QueryHost(void*, Bstr host, std::int32_t* answer) {
    active->Record("QueryHost " + Utf8(host));
    active->arguments = {std::u16string(host, HostedStringLength(host))};
    if (Failed(active->methodResult)) return Fail();
    *answer = active->hostAnswer;
    return kOk;
}

HResult Question(const char* name, Bstr host, Bstr plugIn, VariantBool* answer, VariantBool value) {
    active->Record(std::string(name) + " " + Utf8(host) + "|" + Utf8(plugIn));
    active->arguments = {std::u16string(host, HostedStringLength(host)),
                         std::u16string(plugIn, HostedStringLength(plugIn))};
    if (Failed(active->methodResult)) return Fail();
    *answer = value;
    return kOk;
}

HResult VNT_COM_CALL IsPluginSettled(void*, Bstr host, Bstr plugIn, VariantBool* answer) {
    return Question("IsPluginSettled", host, plugIn, answer, active->settledAnswer);
}

HResult VNT_COM_CALL IsPluginRejected(void*, Bstr host, Bstr plugIn, VariantBool* answer) {
    return Question("IsPluginRejected", host, plugIn, answer, active->rejectedAnswer);
}

const AnySlot kEngineTable[kEngineSlotCount] = {Any(&EngineQueryInterface),
                                                Any(&AddRef),
                                                Any(&ReleaseObject),
                                                Any(&Unused),
                                                Any(&Unused),
                                                Any(&Unused),
                                                Any(&Unused),
                                                Any(&QueryHost),
                                                Any(&Unused),
                                                Any(&Unused),
                                                Any(&IsPluginSettled),
                                                Any(&Unused),
                                                Any(&IsPluginRejected)};

// ---- the class factory and the export ----------------------------------------------

HResult VNT_COM_CALL CreateInstance(void*, void* outer, const Guid* iid, void** object) {
    active->Record("CreateInstance");
    *object = nullptr;
    if (outer || *iid != kEngineInterfaceId) return kNoAggregation;
    if (Failed(active->createResult)) return active->createResult;
    if (!active->nullObject) *object = Make(kEngineTable, Kind::kEngine);
    return active->createResult;
}

const AnySlot kFactoryTable[kClassFactorySlotCount] = {Any(&Unused), Any(&AddRef), Any(&ReleaseObject),
                                                       Any(&CreateInstance), Any(&Unused)};

HResult VNT_COM_CALL DllGetClassObject(const Guid* classId, const Guid* iid, void** object) {
    active->Record("DllGetClassObject");
    *object = nullptr;
    if (*classId != kEngineClassId || *iid != kClassFactoryId) return kClassNotAvailable;
    if (Failed(active->classObjectResult)) return active->classObjectResult;
    if (!active->nullFactory) *object = Make(kFactoryTable, Kind::kFactory);
    return active->classObjectResult;
}

}  // namespace

FakeEngine::FakeEngine(TestMachine& machine) : machine_(machine) {
    active = this;
    machine_.loader.AddLibrary("VntCoreComponentEngine.dll",
                               {{"DllGetClassObject", reinterpret_cast<void*>(&DllGetClassObject)}});
}

FakeEngine::~FakeEngine() {
    if (active == this) active = nullptr;
}

void FakeEngine::RecordRelease(const char* what) {
    calls.push_back(std::string("release ") + what + " open=" + std::to_string(machine_.loader.openCount));
}

}  // namespace testing_support
}  // namespace comp_mgr

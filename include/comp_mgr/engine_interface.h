// The binary interface between comp_mgr and its component engine,
// VntCoreComponentEngine.dll: the engine's class and interface identifiers,
// the slots the library calls, and the few standard COM identifiers and slots
// around them. The library, the engine of engine/ and the test engine share
// this header.
//
// The layout is COM's: an object's first word points to a table of function
// pointers, each taking the object first. On Windows it is real COM. On the
// hosted machine the same layout lives in ELF shared objects, with BSTRs laid
// out as Windows lays them out (HostedAllocString below), and an engine that
// leaves error information exports GetErrorInfo itself (see the end).
#ifndef COMP_MGR_ENGINE_INTERFACE_H
#define COMP_MGR_ENGINE_INTERFACE_H

#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#define VNT_COM_CALL __stdcall
#else
#define VNT_COM_CALL
#endif

namespace comp_mgr {
namespace engine_abi {

using HResult = std::int32_t;
// A BSTR: the characters of a length-prefixed UTF-16 string (wchar_t on
// Windows has the same size and layout).
using Bstr = char16_t*;
// VARIANT_BOOL: -1 true, 0 false.
using VariantBool = std::int16_t;

constexpr HResult kOk = 0;
constexpr HResult kFalse = 1;
constexpr HResult kNotImplemented = static_cast<HResult>(0x80004001);
constexpr HResult kNoInterface = static_cast<HResult>(0x80004002);
constexpr HResult kPointer = static_cast<HResult>(0x80004003);
constexpr HResult kFail = static_cast<HResult>(0x80004005);
constexpr HResult kNoAggregation = static_cast<HResult>(0x80040110);
constexpr HResult kClassNotAvailable = static_cast<HResult>(0x80040111);
constexpr HResult kOutOfMemory = static_cast<HResult>(0x8007000E);
constexpr HResult kInvalidArgument = static_cast<HResult>(0x80070057);

inline bool Failed(HResult result) {
    return result < 0;
}

// The layout of a Windows GUID.
struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
inline bool operator!=(const Guid& a, const Guid& b) {
    return !(a == b);
}

// The engine's own identifiers.
// {184E4B8D-664E-42FD-90D8-665E2B63A426}
constexpr Guid kEngineClassId = {0x184E4B8D, 0x664E, 0x42FD, {0x90, 0xD8, 0x66, 0x5E, 0x2B, 0x63, 0xA4, 0x26}};
// {0CAE6C32-824A-462A-B0BA-72F42B25E5F6}
constexpr Guid kEngineInterfaceId = {0x0CAE6C32, 0x824A, 0x462A, {0xB0, 0xBA, 0x72, 0xF4, 0x2B, 0x25, 0xE5, 0xF6}};

// Standard identifiers.
constexpr Guid kUnknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr Guid kClassFactoryId = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr Guid kSupportErrorInfoId = {0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
constexpr Guid kErrorInfoId = {0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

// Slots. Every interface begins with IUnknown's three.
constexpr int kSlotQueryInterface = 0;
constexpr int kSlotAddRef = 1;
constexpr int kSlotRelease = 2;
constexpr int kSlotCreateInstance = 3;              // IClassFactory
constexpr int kSlotLockServer = 4;                  // IClassFactory
constexpr int kSlotInterfaceSupportsErrorInfo = 3;  // ISupportErrorInfo
constexpr int kSlotGetDescription = 5;              // IErrorInfo (after GetGUID, GetSource)
// The engine interface: slots 3 to 6 are where a dual interface has
// IDispatch's four; they, 8, 9 and 11 are not called by the library.
constexpr int kSlotQueryHost = 7;
constexpr int kSlotIsPluginSettled = 10;
constexpr int kSlotIsPluginRejected = 12;
constexpr int kEngineSlotCount = 13;
constexpr int kClassFactorySlotCount = 5;
constexpr int kSupportErrorInfoSlotCount = 4;
constexpr int kErrorInfoSlotCount = 8;

// The function types of the slots, the object first.
using QueryInterfaceFn = HResult(VNT_COM_CALL*)(void* self, const Guid* iid, void** object);
using AddRefFn = std::uint32_t(VNT_COM_CALL*)(void* self);
using ReleaseFn = std::uint32_t(VNT_COM_CALL*)(void* self);
using CreateInstanceFn = HResult(VNT_COM_CALL*)(void* self, void* outer, const Guid* iid, void** object);
using LockServerFn = HResult(VNT_COM_CALL*)(void* self, std::int32_t lock);
using InterfaceSupportsErrorInfoFn = HResult(VNT_COM_CALL*)(void* self, const Guid* iid);
using GetGuidFn = HResult(VNT_COM_CALL*)(void* self, Guid* guid);
using GetTextFn = HResult(VNT_COM_CALL*)(void* self, Bstr* text);  // GetSource, GetDescription, GetHelpFile
using GetHelpContextFn = HResult(VNT_COM_CALL*)(void* self, std::uint32_t* context);
using QueryHostFn = HResult(VNT_COM_CALL*)(void* self, Bstr hostPath, std::int32_t* answer);
using PlugInQuestionFn = HResult(VNT_COM_CALL*)(void* self, Bstr hostPath, Bstr plugInName, VariantBool* answer);
using UnusedSlotFn = HResult(VNT_COM_CALL*)(void* self);

// The library's exports.
using DllGetClassObjectFn = HResult(VNT_COM_CALL*)(const Guid* classId, const Guid* iid, void** object);
using DllCanUnloadNowFn = HResult(VNT_COM_CALL*)();

// A slot as stored in a table; cast to its own type before the call.
using AnySlot = void (*)();

// The function in `slot` of the table `object` points to.
template <class Fn>
Fn Slot(void* object, int slot) {
    const AnySlot* table = *static_cast<const AnySlot* const*>(object);
    return reinterpret_cast<Fn>(table[slot]);
}

inline std::uint32_t Release(void* object) {
    return Slot<ReleaseFn>(object, kSlotRelease)(object);
}

// ---- the hosted machine ------------------------------------------------------
// A BSTR is laid out as on Windows: a 32-bit byte length, then the UTF-16
// units and a NUL unit; the BSTR points at the first unit. The block is
// allocated with malloc, so the library and an engine in the same process
// free each other's strings.

inline Bstr HostedAllocString(const char16_t* text, std::uint32_t length) {
    if (length > (UINT32_MAX - sizeof(std::uint32_t) - sizeof(char16_t)) / sizeof(char16_t)) return nullptr;
    const std::uint32_t bytes = length * static_cast<std::uint32_t>(sizeof(char16_t));
    void* block = std::malloc(sizeof(std::uint32_t) + bytes + sizeof(char16_t));
    if (!block) return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    char16_t* units = reinterpret_cast<char16_t*>(static_cast<char*>(block) + sizeof(std::uint32_t));
    if (length) std::memcpy(units, text, bytes);
    units[length] = u'\0';
    return units;
}

inline void HostedFreeString(Bstr text) {
    if (text) std::free(reinterpret_cast<char*>(text) - sizeof(std::uint32_t));
}

// The number of UTF-16 units (SysStringLen); 0 for a null BSTR.
inline std::uint32_t HostedStringLength(const char16_t* text) {
    if (!text) return 0;
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<const char*>(text) - sizeof(std::uint32_t), sizeof bytes);
    return bytes / static_cast<std::uint32_t>(sizeof(char16_t));
}

// Error information on the hosted machine, which has no automation library:
// an engine that declares it through ISupportErrorInfo exports
//   extern "C" HResult GetErrorInfo(std::uint32_t reserved, void** errorInfo)
// which hands over (and forgets) the IErrorInfo object it left for the
// calling thread, as the system's GetErrorInfo does on Windows; S_FALSE and
// null when it left none.
using GetErrorInfoFn = HResult (*)(std::uint32_t reserved, void** errorInfo);

}  // namespace engine_abi
}  // namespace comp_mgr

#endif

// The parts every engine library shares: reference-counted objects with
// COM's layout, the class factory, and the count DllCanUnloadNow answers
// from. An object type T begins with `const AnySlot* table` and has an
// `std::atomic<std::uint32_t> references`; the library gives its tables.
#ifndef VNT_ENGINE_COM_SERVER_H
#define VNT_ENGINE_COM_SERVER_H

#include <atomic>
#include <cstdint>
#include <new>
#include <utility>

#include "comp_mgr/engine_interface.h"

namespace vnt_engine {

using namespace comp_mgr::engine_abi;

// Objects alive and factory locks held: the library may go when none are.
inline std::atomic<long>& ServerUsers() {
    static std::atomic<long> users{0};
    return users;
}

template <class Fn>
AnySlot Any(Fn f) {
    return reinterpret_cast<AnySlot>(f);
}

template <class T>
std::uint32_t VNT_COM_CALL AddRefObject(void* self) {
    return ++static_cast<T*>(self)->references;
}

template <class T>
std::uint32_t VNT_COM_CALL ReleaseObject(void* self) {
    T* object = static_cast<T*>(self);
    const std::uint32_t left = --object->references;
    if (left == 0) {
        delete object;
        --ServerUsers();
    }
    return left;
}

// A new object with one reference, or null when memory is short.
template <class T, class... Args>
T* MakeObject(Args&&... args) {
    T* object = new (std::nothrow) T{std::forward<Args>(args)...};
    if (object) ++ServerUsers();
    return object;
}

inline HResult VNT_COM_CALL NotImplemented(void*) {
    return kNotImplemented;
}

// The class factory. Create(iid, object) makes the engine object.
using CreateEngineFn = HResult (*)(const Guid& iid, void** object);

struct ClassFactory {
    const AnySlot* table;
    std::atomic<std::uint32_t> references;
    CreateEngineFn create;
};

inline HResult VNT_COM_CALL FactoryQueryInterface(void* self, const Guid* iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (!iid || (*iid != kUnknownId && *iid != kClassFactoryId)) return kNoInterface;
    AddRefObject<ClassFactory>(self);
    *object = self;
    return kOk;
}

inline HResult VNT_COM_CALL FactoryCreateInstance(void* self, void* outer, const Guid* iid, void** object) {
    if (!object) return kPointer;
    *object = nullptr;
    if (outer) return kNoAggregation;
    if (!iid) return kInvalidArgument;
    return static_cast<ClassFactory*>(self)->create(*iid, object);
}

inline HResult VNT_COM_CALL FactoryLockServer(void*, std::int32_t lock) {
    if (lock)
        ++ServerUsers();
    else
        --ServerUsers();
    return kOk;
}

inline const AnySlot* FactoryTable() {
    static const AnySlot table[kClassFactorySlotCount] = {Any(&FactoryQueryInterface), Any(&AddRefObject<ClassFactory>),
                                                          Any(&ReleaseObject<ClassFactory>),
                                                          Any(&FactoryCreateInstance), Any(&FactoryLockServer)};
    return table;
}

// DllGetClassObject for `classId`, whose factory makes objects with `create`.
inline HResult GetClassObject(const Guid* classId, const Guid* iid, void** object, const Guid& ownClassId,
                              CreateEngineFn create) {
    if (!object) return kPointer;
    *object = nullptr;
    if (!classId || !iid) return kInvalidArgument;
    if (*classId != ownClassId) return kClassNotAvailable;
    if (*iid != kClassFactoryId && *iid != kUnknownId) return kNoInterface;
    ClassFactory* factory = MakeObject<ClassFactory>(FactoryTable(), 1u, create);
    if (!factory) return kOutOfMemory;
    *object = factory;
    return kOk;
}

inline HResult CanUnloadNow() {
    return ServerUsers() == 0 ? kOk : kFalse;
}

}  // namespace vnt_engine

#endif

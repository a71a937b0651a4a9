#include "allocation_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace comp_mgr {
namespace bench {
namespace {

std::atomic<std::size_t> inUse{0};
std::atomic<std::size_t> peak{0};

// Every block carries its size in front of it.
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* Allocate(std::size_t size) {
    void* block = std::malloc(size + kHeader);
    if (!block) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = size;
    std::size_t now = inUse.fetch_add(size, std::memory_order_relaxed) + size;
    std::size_t top = peak.load(std::memory_order_relaxed);
    while (now > top && !peak.compare_exchange_weak(top, now, std::memory_order_relaxed)) {
    }
    return static_cast<char*>(block) + kHeader;
}

void Release(void* p) {
    if (!p) return;
    void* block = static_cast<char*>(p) - kHeader;
    inUse.fetch_sub(*static_cast<std::size_t*>(block), std::memory_order_relaxed);
    std::free(block);
}

}  // namespace

std::size_t HeapInUse() {
    return inUse.load(std::memory_order_relaxed);
}
std::size_t HeapPeak() {
    return peak.load(std::memory_order_relaxed);
}
void ResetHeapPeak() {
    peak.store(inUse.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

}  // namespace bench
}  // namespace comp_mgr

void* operator new(std::size_t size) {
    return comp_mgr::bench::Allocate(size);
}
void* operator new[](std::size_t size) {
    return comp_mgr::bench::Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return comp_mgr::bench::Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return comp_mgr::bench::Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    comp_mgr::bench::Release(p);
}
void operator delete[](void* p) noexcept {
    comp_mgr::bench::Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    comp_mgr::bench::Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    comp_mgr::bench::Release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    comp_mgr::bench::Release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    comp_mgr::bench::Release(p);
}

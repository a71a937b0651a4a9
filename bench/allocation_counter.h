// Counts the bytes the program holds on the heap, through a replaced global
// operator new, so that benchmarks can report the memory an operation needs.
#ifndef COMP_MGR_BENCH_ALLOCATION_COUNTER_H
#define COMP_MGR_BENCH_ALLOCATION_COUNTER_H

#include <cstddef>

namespace comp_mgr {
namespace bench {

// Bytes allocated through operator new and not yet freed.
std::size_t HeapInUse();
// The highest HeapInUse() since the last ResetHeapPeak().
std::size_t HeapPeak();
void ResetHeapPeak();

}  // namespace bench
}  // namespace comp_mgr

#endif

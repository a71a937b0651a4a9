// The one entry point of the benchmark program; every bench/*.cpp adds its
// benchmarks to it.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();

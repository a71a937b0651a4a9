#!/usr/bin/env bash
# Sets up the machine, builds everything and runs every test:
#   1. the Windows build (MinGW-w64) and its tests under Wine,
#   2. the native build with warnings as errors, its tests, and the end-to-end
#      tests, including the parity of the hosted tool with the Windows tool,
#   3. the native tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
#   4. a short run of every fuzz target, and the benchmarks' figures.
# The formatting is checked first.
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=${JOBS:-$(nproc)}
scripts/setup.sh

step() { echo; echo "== $*"; }

step "Formatting (clang-format)"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
step "Includes follow the layers"
python3 scripts/check_layers.py

step "Windows build (MinGW-w64)"
cmake -S . -B build-mingw -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCOMP_MGR_WERROR=ON -DCOMP_MGR_TESTS=ON -DCOMP_MGR_BENCH=OFF >/dev/null
cmake --build build-mingw -j"$jobs"
step "Windows tests under Wine"
COMP_MGR_WINEPREFIX="$root/build-mingw/wineprefix" cmake/wine-run.sh cmd /c exit >/dev/null 2>&1 || true  # the prefix, once, before tests run in parallel
ctest --no-tests=error --test-dir build-mingw --output-on-failure -j"$jobs"

step "Native build"
# Every option this run relies on is set: the demo may have configured build/
# with tests and benchmarks off.
cmake -S . -B build -G Ninja -DCOMP_MGR_WERROR=ON -DCOMP_MGR_TESTS=ON -DCOMP_MGR_BENCH=ON \
  -DCOMP_MGR_MINGW_BUILD="$root/build-mingw" >/dev/null
cmake --build build -j"$jobs"
step "Native and end-to-end tests"
ctest --no-tests=error --test-dir build --output-on-failure -j"$jobs"

step "Native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCOMP_MGR_WERROR=ON -DCOMP_MGR_SANITIZE=ON -DCOMP_MGR_TESTS=ON -DCOMP_MGR_BENCH=OFF >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --no-tests=error --test-dir build-asan --output-on-failure -j"$jobs" -E '^e2e_'

step "Fuzzing (short runs)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCOMP_MGR_FUZZ=ON -DCOMP_MGR_TESTS=OFF \
  -DCOMP_MGR_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_targets
for target in build-fuzz/bin/fuzz_*; do
  [ -x "$target" ] || continue
  corpus="build-fuzz/corpus/$(basename "$target")"
  mkdir -p "$corpus"
  echo "-- $(basename "$target")"
  "$target" -max_total_time="${FUZZ_SECONDS:-15}" -rss_limit_mb=2048 "$corpus" 2>&1 | tail -n 2
done

step "Benchmarks"
build/bin/comp_mgr_bench --benchmark_min_time=0.05

echo
echo "All tests passed."

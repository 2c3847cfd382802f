#!/usr/bin/env bash
# Builds everything but the benchmarks with AddressSanitizer and UndefinedBehaviorSanitizer
# (Debug) and runs the whole suite; any report ends the run with a failure.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
werror=OFF
[ -n "${CI:-}" ] && werror=ON
if [ ! -f build-asan/build.ninja ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOBIMARU_BENCH=OFF -DTOBIMARU_WERROR=$werror \
    -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
fi
cmake --build build-asan -j"$(nproc 2>/dev/null || echo 2)"
# Leaks are left out: Qt, Mesa and libmpv keep allocations to the end of the process by design.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
cd build-asan
ctest --output-on-failure -j"$(nproc 2>/dev/null || echo 2)" --timeout 600

#!/usr/bin/env bash
# Builds the core library alone (no widgets, no player, no desktop services) with its tests and
# runs them, so the core never starts to lean on the GUI libraries.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
werror=OFF
[ -n "${CI:-}" ] && werror=ON
if [ ! -f build-core/build.ninja ]; then
  cmake -S . -B build-core -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOBIMARU_GUI=OFF -DTOBIMARU_BENCH=OFF \
    -DTOBIMARU_WERROR=$werror
fi
cmake --build build-core -j"$(nproc 2>/dev/null || echo 2)"
cd build-core
ctest --output-on-failure -j"$(nproc 2>/dev/null || echo 2)" --timeout 300

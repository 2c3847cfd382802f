#!/usr/bin/env bash
# Configures (once) and builds the release build in build/.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
# CI builds with warnings as errors; a user's build only shows them.
werror=OFF
[ -n "${CI:-}" ] && werror=ON
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOBIMARU_WERROR=$werror
fi
jobs=$(nproc 2>/dev/null || echo 2)
cmake --build build -j"$jobs" "$@"

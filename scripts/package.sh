#!/usr/bin/env bash
# Builds the Debian package tobimarume_<version>_<arch>.deb: a release build of its own in
# build-package/ (no tests, no benchmarks), then cpack. Prints the path of the package.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$top"
./scripts/install-deps.sh >&2
if [ ! -f build-package/build.ninja ]; then
  cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOBIMARU_TESTS=OFF \
    -DTOBIMARU_BENCH=OFF >&2
fi
cmake --build build-package -j"$(nproc 2>/dev/null || echo 2)" >&2
if ! cpack --config build-package/CPackConfig.cmake -B "$top/build-package" >build-package/cpack.log 2>&1; then
  cat build-package/cpack.log >&2
  exit 1
fi
# "CPack: - package: /path/tobimarume_1.0.1_amd64.deb generated."
deb=$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' build-package/cpack.log)
[ -f "$deb" ] || { cat build-package/cpack.log >&2; exit 1; }
echo "$deb"

#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$top"
./scripts/install-deps.sh
./scripts/build.sh
cd build
set +e
ctest --output-on-failure -j"$(nproc 2>/dev/null || echo 2)" --timeout 300
status=$?
exit $status

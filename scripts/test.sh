#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${Z3080_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DZ3080_BUILD_TESTS=ON -DZ3080_BUILD_BENCH=ON

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" "$@"

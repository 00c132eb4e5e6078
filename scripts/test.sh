#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test, the build
# and ctest with $Z3080_JOBS parallel jobs (the machine's cores by default).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/jobs.sh"
build="${Z3080_BUILD_DIR:-$root/build}"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DZ3080_BUILD_TESTS=ON -DZ3080_BUILD_BENCH=ON

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
cd "$build"
ctest --output-on-failure --parallel "$z3080_jobs" "$@"

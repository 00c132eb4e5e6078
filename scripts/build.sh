#!/usr/bin/env bash
# Configures and builds into build/ (or $Z3080_BUILD_DIR), with $Z3080_JOBS
# parallel jobs (the machine's cores by default).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/jobs.sh"
build="${Z3080_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" --parallel "$z3080_jobs"

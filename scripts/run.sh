#!/usr/bin/env bash
# Installs what is missing, builds (with $Z3080_JOBS parallel jobs, the
# machine's cores by default), and starts Z3080DAQ in its data folder.
# The data folder is data/ inside this checkout (or $Z3080_DATA); on the first
# run it receives the empty database. An existing database is never replaced.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${Z3080_BUILD_DIR:-$root/build}"
data="${Z3080_DATA:-$root/data}"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DZ3080_BUILD_TESTS=OFF -DZ3080_BUILD_BENCH=OFF

mkdir -p "$data"
if [ ! -e "$data/Z3080daq.accdb" ]; then
  cp "$build/data/Z3080daq.accdb" "$data/Z3080daq.accdb"
  echo "New empty database: $data/Z3080daq.accdb"
fi
cd "$data"
exec "$build/src/z3080daq" "$@"

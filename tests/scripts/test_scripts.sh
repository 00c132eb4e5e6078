#!/usr/bin/env bash
# The scripts of scripts/ as the README tells them: the number of parallel
# jobs of the build and of ctest (Z3080_JOBS, the machine's cores by default)
# and the data folder run.sh starts the program in. They run on a copy of
# the scripts with cmake, ctest, the package installer and the program
# replaced by stand-ins that write down how they were called.
#   test_scripts.sh <checkout>
set -euo pipefail
src="$(cd "$1" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

root="$work/checkout"
mkdir -p "$root/scripts" "$work/bin"
cp "$src"/scripts/*.sh "$root/scripts/"
printf '#!/bin/sh\nexit 0\n' >"$root/scripts/install-deps.sh"
for tool in cmake ctest; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/calls"\n' "$tool" "$work" >"$work/bin/$tool"
done
chmod +x "$root/scripts/"*.sh "$work/bin/"*
# The program run.sh starts: it says where it was started.
mkdir -p "$root/build/src" "$root/build/data"
: >"$root/build/data/Z3080daq.accdb"
printf '#!/bin/sh\npwd >"%s/started-in"\n' "$work" >"$root/build/src/z3080daq"
chmod +x "$root/build/src/z3080daq"
export PATH="$work/bin:$PATH"
unset Z3080_BUILD_DIR Z3080_DATA

calls() { cat "$work/calls" 2>/dev/null; }
run() {  # run <script> [environment...]: the stand-ins' calls afresh
  rm -f "$work/calls"
  local script="$1"
  shift
  env "$@" "$root/scripts/$script" >/dev/null 2>"$work/stderr"
}

cores="$(nproc)"
run build.sh Z3080_JOBS=
calls | grep -q -- "--build .* --parallel $cores\$" || fail "build.sh without Z3080_JOBS: $(calls)"
run build.sh Z3080_JOBS=2
calls | grep -q -- "--build .* --parallel 2\$" || fail "build.sh with Z3080_JOBS=2: $(calls)"

run test.sh Z3080_JOBS=3
calls | grep -q -- "^cmake --build .* --parallel 3\$" || fail "test.sh build with Z3080_JOBS=3: $(calls)"
calls | grep -q -- "^ctest .*--parallel 3" || fail "test.sh ctest with Z3080_JOBS=3: $(calls)"
run test.sh Z3080_JOBS=
calls | grep -q -- "^ctest .*--parallel $cores" || fail "test.sh ctest without Z3080_JOBS: $(calls)"

for bad in 0 two -1 " 2"; do
  if run build.sh "Z3080_JOBS=$bad"; then fail "build.sh took Z3080_JOBS='$bad'"; fi
  calls | grep -q . && fail "build.sh built with Z3080_JOBS='$bad'"
  grep -q "Z3080_JOBS" "$work/stderr" || fail "build.sh did not name Z3080_JOBS for '$bad'"
done

# run.sh: builds with the jobs asked for and starts the program in data/
# inside the checkout, with the empty database copied there.
run run.sh Z3080_JOBS=1
calls | grep -q -- "--build .* --parallel 1\$" || fail "run.sh with Z3080_JOBS=1: $(calls)"
[ "$(cat "$work/started-in")" = "$root/data" ] || fail "run.sh started in $(cat "$work/started-in"), not $root/data"
[ -e "$root/data/Z3080daq.accdb" ] || fail "run.sh left no database in $root/data"

# The README and the operator's guide say what the scripts do and what a
# first start meets; each check looks where its fact is written.
readme="$src/README.md"
guide="$src/docs/operator-guide.md"
grep -q '`scripts/run.sh` starts it in `data/` inside this checkout' "$readme" || fail "README: the data folder"
grep -q 'read by the script only, not by the program' "$readme" || fail "README: Z3080_DATA is the script's"
grep -q 'Z3080_JOBS' "$readme" || fail "README: Z3080_JOBS"
grep -q 'Setup > Hardware & Misc' "$readme" || fail "README: the unit ports of a first start"
grep -q 'Brief Print needs `zadizezaru.bmp`' "$readme" || fail "README: the report logo"
grep -q '"Regular Test", "Simple Test", "PVT Test" and "LSM test"' "$guide" || fail "operator guide: the container's menus"
grep -q 'Add menu' "$readme" "$guide" && fail "README or operator guide: the container has no Add menu"
grep -q 'Stop asks no' "$guide" || fail "operator guide: the rheology window's Stop"
# The pictures the README and the guide show are in the checkout.
for picture in $(grep -o '(docs/images/[^)]*\.png)' "$readme" | tr -d '()'); do
  [ -f "$src/$picture" ] || fail "README: $picture is missing"
done
for picture in $(grep -o '(images/[^)]*\.png)' "$guide" | tr -d '()'); do
  [ -f "$src/docs/$picture" ] || fail "operator guide: $picture is missing"
done

[ "$failures" -eq 0 ] || exit 1
echo "scripts: all checks passed"

#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the address and undefined
# behaviour sanitizers (in build-fuzz/, or $Z3080_FUZZ_DIR) and runs each
# target for a bounded time: the reply parsers (the rheology window's, the
# swell window's) and the calibration target. Installs clang when it is missing.
#   scripts/fuzz.sh [seconds]   (default 60, per target)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${Z3080_FUZZ_DIR:-$root/build-fuzz}"
seconds="${1:-60}"

"$root/scripts/install-deps.sh"
if ! command -v clang++ >/dev/null || ! clang++ -fsanitize=fuzzer -x c++ - -o /dev/null >/dev/null 2>&1 <<<'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long){return 0;}'; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends clang >/dev/null
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFUZZ=ON -DZ3080_BUILD_TESTS=OFF -DZ3080_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target fuzz_unit_reply fuzz_swell_reply fuzz_calibration

corpus="$build/corpus/unit_reply"
mkdir -p "$corpus"
# Seeds: good frames of 8 and 9 commas, two in one read, a partial one, noise.
printf '\x00#01,350.0,300.0,100.000,123.4,5000,25.5,5000,0\x1a' >"$corpus/seed8"
printf '\x10#01,350.0,300.0,100.000,123.4,5000,25.5,5000,0,\x1a#04,611,0,0,0,20501,0,0,0,1\x1a#0' >"$corpus/seed9"
printf '\x21noise\x1a#01,1,2,3,4,5,6,7\x1a#01,1,2,3,4,5,6,7,8,9,10\x1a' >"$corpus/seedbad"
printf '\x001,0,12.6,300.5,301,5000,170.2,123.4,0\x031,1,20,301,301,5001,340.4,150,1\x03\x02' >"$corpus/seedtransfer"
swell="$build/corpus/swell_reply"
mkdir -p "$swell"
# Seeds: a swell frame (9 commas, voltage in field 9), zeroed, two in one read,
# a bad one between good ones, a negative voltage, a partial one.
printf '\x04X01,70,70,0,0,1000,0,0,1.5,0\x1a' >"$swell/seedgood"
printf '\x25#01,212,0,12,0,1000,0,0,1.5,0\x1a#01,70,70,0,0,0,0,0,1.5,0,9\x1a#04,611,0,0,0,20501,0,0,0,0\x1a#0' >"$swell/seedmixed"
printf '\x0c#01,74,0,0,0,0,0,0,-1.5,0\x1a#01,74,0,0,0,0,0,0,1e308,0\x1agarbage\x1a' >"$swell/seedodd"

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# The sanitizer allocator keeps what it frees: a small quarantine keeps the
# fuzzer's resident size down on long runs (the target itself holds nothing).
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16}"
status=0
run() {  # target corpus
  local rc=0
  "$build/fuzz/$1" "$2" -max_total_time="$seconds" -max_len=16384 -len_control=0 -rss_limit_mb=4096 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$build/" >"$build/$1.log" 2>&1 || rc=$?
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY|.*(crash|timeout|oom|leak)-)' \
    "$build/$1.log" || true
  [ "$rc" -eq 0 ] && echo "$1: no finding in ${seconds} s" || echo "$1: finding, see $build/$1.log"
  [ "$rc" -eq 0 ] || status=$rc
}
run fuzz_unit_reply "$corpus"
run fuzz_swell_reply "$swell"

# The calibration files and the torque calibration's replies. Seeds: a swell
# and a piston file, a torque table, torque points with an end frame.
corpus="$build/corpus/calibration"
mkdir -p "$corpus"
printf '\x01\r\n1,2,4, .4 , .830482023721841 , .4 , .830482023721841 \r\n' >"$corpus/seedswell"
printf '\x00 5 , 0 , .25 , .5 , .75 , 1 , 100 , 200 , 400 , 800 , 1600 , 1.5 , 2 , 2.5 ,-3 ,-.5 , .25 , 1E-05 , 4 ,\r\n' >"$corpus/seedpiston"
printf '\x0812.5\r\n2\r\n0.1,2,0.125\r\n1,0,3.456\r\n' >"$corpus/seedcoef"
printf '\x10\x0820,10\x1a#01,75,75,0,0,0,0,0,1.5,\x1a\x0841,20\x1a\x08\x1a\x09\x1a' >"$corpus/seedtorque"
cal_status=0
"$build/fuzz/fuzz_calibration" "$corpus" -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=4096 \
  -timeout=10 -print_final_stats=1 -artifact_prefix="$build/cal-" >"$build/fuzz_calibration.log" 2>&1 || cal_status=$?
grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY|.*(crash|timeout|oom|leak)-)' \
  "$build/fuzz_calibration.log" || true
[ "$cal_status" -eq 0 ] && echo "fuzz_calibration: no finding in ${seconds} s" || echo "fuzz_calibration: finding, see $build/fuzz_calibration.log"
[ "$status" -eq 0 ] && status=$cal_status
exit "$status"

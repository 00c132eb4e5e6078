#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and the address and undefined
# behaviour sanitizers (in build-fuzz/, or $Z3080_FUZZ_DIR) and runs every
# fuzz_* target the build makes, one after the other, each for the given
# time. Installs clang when it is missing.
#   scripts/fuzz.sh [seconds per target]   (default 60)
# A target named in $Z3080_FUZZ_ONLY (blank-separated) limits the run to those.
# The build runs $Z3080_JOBS parallel jobs (the machine's cores by default).
#
# Memory: the address sanitizer keeps the call stack of every allocation and
# release in a store that never shrinks, one entry per distinct stack. Stacks
# walked by frame pointers through the Qt libraries (built without them) come
# out different almost every time, so that store grew by some kilobytes per
# input, about 1.5 GB in a 15-minute run, with nothing leaking. Only the
# allocating call site is kept (malloc_context_size=1), which keeps a long run
# flat; replay a finding with ASAN_OPTIONS=fast_unwind_on_malloc=0 for whole
# stacks. The quarantine of freed memory is kept small too.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/jobs.sh"
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
# Every fuzz_* target of the build, whoever added it.
mapfile -t targets < <(cmake --build "$build" --target help | grep -E '^fuzz_[A-Za-z0-9_]+: ' | cut -d: -f1 |
  grep -vE '_autogen(_timestamp_deps)?$' | sort -u)
if [ -n "${Z3080_FUZZ_ONLY:-}" ]; then
  mapfile -t targets < <(printf '%s\n' "${targets[@]}" | grep -xF -f <(tr ' ' '\n' <<<"$Z3080_FUZZ_ONLY"))
fi
[ "${#targets[@]}" -gt 0 ] || { echo "no fuzz target found"; exit 1; }
cmake --build "$build" --parallel "$z3080_jobs" --target "${targets[@]}"

# Seeds of the targets that have some; the others start from nothing.
seed() {  # seed <target> <name> <printf format>
  mkdir -p "$build/corpus/$1"
  printf "$3" >"$build/corpus/$1/$2"
}
# Good frames of 8 and 9 commas, two in one read, a partial one, noise.
seed fuzz_unit_reply seed8 '\x00#01,350.0,300.0,100.000,123.4,5000,25.5,5000,0\x1a'
seed fuzz_unit_reply seed9 '\x10#01,350.0,300.0,100.000,123.4,5000,25.5,5000,0,\x1a#04,611,0,0,0,20501,0,0,0,1\x1a#0'
seed fuzz_unit_reply seedbad '\x21noise\x1a#01,1,2,3,4,5,6,7\x1a#01,1,2,3,4,5,6,7,8,9,10\x1a'
seed fuzz_unit_reply seedtransfer '\x001,0,12.6,300.5,301,5000,170.2,123.4,0\x031,1,20,301,301,5001,340.4,150,1\x03\x02'
# A sound transfer, and one with a status frame inside.
seed fuzz_stored_transfer good '1,0,12.6,300.5,301,5000,170.2,123.4,0\x031,1,20,301,301,5001,340.4,150,1\x03\x02'
seed fuzz_stored_transfer status '#01,350.0,300.0,100.000,123.4,5000,25.5,5000,0,\x1a1,0,1,300,300,5000,1,1,0\x03\x02'
# A settings file in normal form and one with every kind of line out of place.
seed fuzz_settings_file normal ' 1 \r\n 2 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\nCGS\r\nKunit ,1\r\nSF ,1\r\nBy the SR\r\n'
seed fuzz_settings_file odd ' 3.5 \nx\n\n 0 \n 0 \n 0 \n 0 \n 0 \nSI\nKunit ,2.4\nSF ,-2\nBY the Speed\nSF ,1e308\n'
# A sequence file as the editor exports it.
seed fuzz_sequence_csv export 'Sequence of Z3080 Rheometer.\r\n\r\nSave Date: ,1/2/2024\r\n\r\nSEQUENCE_NAME,Seq A\r\n\r\n\r\nStep No,Time (min),Temp. (\xb0F),Temp. Error (\xb0F),Temp. Ramp Rate (\xb0F/min),SPEED(Rpm),Pressure (psi),Press. Rate (psi/min),Interval (sec),Cycle,Run Ramp,\r\n1,10.,150.,5,10,300.0,1000,100,10,1,0,\r\n2,20,250,5,-10,600.0,2000,100,10,2,1,\r\n\r\n\r\n\r\nRAMP_STEP_NO,RAMP_Time(sec),RAMP_SPEED(Rpm),INTERVAL(sec)\r\n 1 , 30 ,100.0, 5 ,\r\n 2 , 60 ,200.0, 10 ,\r\n\r\n'
# A swell frame (9 commas, voltage in field 9), zeroed, two in one read, a bad
# one between good ones, a negative voltage, a partial one.
seed fuzz_swell_reply good '\x04X01,70,70,0,0,1000,0,0,1.5,0\x1a'
seed fuzz_swell_reply mixed '\x25#01,212,0,12,0,1000,0,0,1.5,0\x1a#01,70,70,0,0,0,0,0,1.5,0,9\x1a#04,611,0,0,0,20501,0,0,0,0\x1a#0'
seed fuzz_swell_reply odd '\x0c#01,74,0,0,0,0,0,0,-1.5,0\x1a#01,74,0,0,0,0,0,0,1e308,0\x1agarbage\x1a'
# PVT frames with and without a magnet reading, at the ends of the sensor,
# with a reading of 0; the first byte's bit 3 loads a piston calibration.
seed fuzz_pvt_reply seed9 '\x0c#01,72.0,300.0,100.000,0,0,0,5000,500,\x1a'
seed fuzz_pvt_reply seedtrips '\x0c#01,611,300.0,100,0,20501,0,5000,1000,\x1a#01,72,0,0,0,0,0,0,100,\x1a#01,72,0,0,0,0,0,0,0,\x1a'
seed fuzz_pvt_reply seedbad '\x08#04,72.0,300.0,100,0,0,0,5000,7\x1a#01,72,0,0,0,0,0,0,,\x1anoise\x1a#01,1,2,3,4,5,6,7,8,9,10\x1a'
# A spool of two rows, and one whose last line was cut at a kill.
seed fuzz_spool two 'Z3080DAQ recorded points waiting for the database, format 1\n1 7 2 1 10 150.25 1000.1 511 0.30000000000000004 6 2.5 1 Mud%%20A de3be25f\n2 8 1 0 11 75 2000 0 0 0 0 1 Cement c9c348b1\n'
seed fuzz_spool torn 'Z3080DAQ recorded points waiting for the database, format 1\n1 7 2 1 10 150.25 1000.1 511 0.30000000000000004 6 2.5 1 Mud%%20A de3be25f\n2 8 1 0 11 75 20'
# The calibration files and the torque calibration's replies: a swell and a
# piston file, a torque table, torque points with an end frame.
seed fuzz_calibration swell '\x01\r\n1,2,4, .4 , .830482023721841 , .4 , .830482023721841 \r\n'
seed fuzz_calibration piston '\x00 5 , 0 , .25 , .5 , .75 , 1 , 100 , 200 , 400 , 800 , 1600 , 1.5 , 2 , 2.5 ,-3 ,-.5 , .25 , 1E-05 , 4 ,\r\n'
seed fuzz_calibration coef '\x0812.5\r\n2\r\n0.1,2,0.125\r\n1,0,3.456\r\n'
seed fuzz_calibration torque '\x10\x0820,10\x1a#01,75,75,0,0,0,0,0,1.5,\x1a\x0841,20\x1a\x08\x1a\x09\x1a'

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16:malloc_context_size=1}"
status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/$target.log"
  result=0
  "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -max_len=16384 -len_control=0 -rss_limit_mb=2048 \
    -timeout=10 -print_final_stats=1 -artifact_prefix="$build/$target-" >"$log" 2>&1 || result=$?
  grep -E '^(#[0-9]+ +DONE|stat::number_of_executed_units|stat::peak_rss_mb|SUMMARY|.*(crash|timeout|oom|leak)-)' \
    "$log" || true
  if [ "$result" -eq 0 ]; then
    echo "$target: no finding in ${seconds} s"
  else
    echo "$target: finding, see $log"
    status=$result
  fi
done
exit "$status"

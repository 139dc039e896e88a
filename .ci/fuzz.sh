#!/usr/bin/env bash
# Fuzzes the real pixmold program with AFL++ for about a minute: builds it
# with afl-clang-fast, AddressSanitizer and UndefinedBehaviorSanitizer in
# build/afl (libspng compiled from its source with the same flags), writes
# the seed sheets and the dictionary (tests/fuzz/make_seeds.py), adds the
# minimized corpus tests/fuzz/corpus/ and runs every kept input once, then
# runs afl-fuzz instances side by side, each with its own option words: the
# colour indexes as multicolour and as hires sprites (labels), -colors three
# ways (-mixed, -bg with -mc and -object, hires), PNG sheets with -colors and
# -preview, and -overlay. Every instance also writes -d, -e, -b, -prg, -c and
# -basic files. Fails on any crash or hang and names the inputs.
#
# The kept inputs are run once each, in turn under the instances' words, two
# at a time; afl-fuzz then starts without calibrating them
# (AFL_NO_STARTUP_CALIBRATION), so the whole step stays within minutes.
#
#   PIXMOLD_FUZZ_SECONDS    fuzzing time (default 60)
#   PIXMOLD_FUZZ_INSTANCES  the instances to run, by name (default all seven)
#   PIXMOLD_FUZZ_KEEP       keep the campaign's folder (its queues) when set
#   PIXMOLD_FUZZ_PLAIN      instances that run a build without sanitizers
#                           (build/afl-plain), several times faster: for long
#                           campaigns, whose queues are then replayed through
#                           the sanitizer builds
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/afl"
seconds=${PIXMOLD_FUZZ_SECONDS:-60}
command -v afl-clang-fast++ >/dev/null || { echo "fuzz.sh: afl-clang-fast++ not found (Debian package afl++)" >&2; exit 1; }

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=afl-clang-fast CXX=afl-clang-fast++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPIXMOLD_BUILD_TESTS=OFF -DPIXMOLD_WARNINGS_AS_ERRORS=ON -DPIXMOLD_SPNG_FROM_SOURCE=ON \
  -DCMAKE_C_FLAGS="$sanitizers" -DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" >/dev/null
cmake --build "$build" --target pixmold -j2
program="$build/converter/pixmold"
plain_program=
if [ -n "${PIXMOLD_FUZZ_PLAIN:-}" ]; then
  CC=afl-clang-fast CXX=afl-clang-fast++ cmake -S "$root" -B "$build-plain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPIXMOLD_BUILD_TESTS=OFF -DPIXMOLD_WARNINGS_AS_ERRORS=ON -DPIXMOLD_SPNG_FROM_SOURCE=ON >/dev/null
  cmake --build "$build-plain" --target pixmold -j2
  plain_program="$build-plain/converter/pixmold"
fi

base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work=$(mktemp -d "$base/pixmold-fuzz.XXXXXX")
source "$root/.ci/fuzz_inputs.sh"
make_inputs "$work"
# The PNG instance starts from the PNG inputs alone.
mkdir -p "$work/in-png"
for input in "$work/in"/*; do
  [ "$(head -c 4 "$input" | od -An -tx1 | tr -d ' ')" = 89504e47 ] && cp "$input" "$work/in-png/"
done

export AFL_NO_AFFINITY=1 AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_UI=1
export AFL_NO_STARTUP_CALIBRATION=1
instances=${PIXMOLD_FUZZ_INSTANCES:-main hires colors fixed colors-hires png overlay}
started=$(date +%s)
inputs=("$work/in"/*)
replay_all "$work" "$instances" "${inputs[@]}" || exit 1
echo "fuzz.sh: ${#inputs[@]} inputs run once each in $(( $(date +%s) - started )) s; fuzzing for $seconds s in $work"

run() { # name role
  local name=$1 role=$2 in="$work/in"
  [ "$name" = png ] && in="$work/in-png"
  mkdir -p "$work/$name"
  command_of "$name" "$work/$name"
  [[ " ${PIXMOLD_FUZZ_PLAIN:-} " == *" $name "* ]] && command[0]=$plain_program
  nice -n 19 afl-fuzz "$role" "$name" -i "$in" -o "$work/out" -x "$work/fuzz.dict" -m none -t 20000 \
    -V "$seconds" -f "$work/$name/sheet.bmp" -- "${command[@]}" </dev/null >"$work/$name.log" 2>&1
}
status=0
role=-M
pids=()
for name in $instances; do
  run "$name" "$role" & pids+=($!)
  role=-S
done
for pid in "${pids[@]}"; do
  wait "$pid" || status=$?
done

for stats in "$work/out"/*/fuzzer_stats; do
  echo "fuzz.sh: $(basename "$(dirname "$stats")"):" $(grep -E '^(run_time|execs_done|corpus_count|saved_crashes|saved_hangs|stability) ' "$stats" | tr -s ' ')
done
findings=$(find "$work/out"/*/crashes "$work/out"/*/hangs -type f ! -name README.txt 2>/dev/null | sort)
if [ "$status" -ne 0 ]; then
  echo "fuzz.sh: afl-fuzz ended with status $status" >&2
  for name in $instances; do tail -n 30 "$work/$name.log" >&2; done
  exit 1
fi
if [ -n "$findings" ]; then
  echo "fuzz.sh: crashing or hanging inputs (kept in $work):" >&2
  echo "$findings" >&2
  exit 1
fi
if [ -n "${PIXMOLD_FUZZ_KEEP:-}" ]; then
  echo "fuzz.sh: the campaign is kept in $work"
else
  rm -rf "$work"
fi
echo "fuzz.sh: no crash and no hang"

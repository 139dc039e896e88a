#!/usr/bin/env bash
# Fuzzes the real pixmold program with AFL++ for about two minutes: builds it
# with afl-clang-fast, AddressSanitizer and UndefinedBehaviorSanitizer in
# build/afl, writes the seed sheets and the BMP dictionary
# (tests/fuzz/make_seeds.py), adds the minimized corpus tests/fuzz/corpus/,
# then runs afl-fuzz instances side by side, each with its own option words:
# the colour indexes as multicolour and as hires sprites, and -colors three
# ways (multicolour, -bg with -mc, hires). Every instance also writes -d, -e
# and -b files. Fails on any crash or hang and names the inputs.
#
#   PIXMOLD_FUZZ_SECONDS    fuzzing time (default 120)
#   PIXMOLD_FUZZ_INSTANCES  the instances to run, by name (default all five)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/afl"
seconds=${PIXMOLD_FUZZ_SECONDS:-120}
command -v afl-clang-fast++ >/dev/null || { echo "fuzz.sh: afl-clang-fast++ not found (Debian package afl++)" >&2; exit 1; }

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
CC=afl-clang-fast CXX=afl-clang-fast++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPIXMOLD_BUILD_TESTS=OFF -DPIXMOLD_WARNINGS_AS_ERRORS=ON -DPIXMOLD_SPNG_FROM_SOURCE=ON \
  -DCMAKE_C_FLAGS="$sanitizers" -DCMAKE_CXX_FLAGS="$sanitizers" -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" >/dev/null
cmake --build "$build" --target pixmold -j2
program="$build/converter/pixmold"

base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work=$(mktemp -d "$base/pixmold-fuzz.XXXXXX")
python3 "$root/tests/fuzz/make_seeds.py" "$work/in" "$work/bmp.dict"
if [ -d "$root/tests/fuzz/corpus" ]; then
  cp "$root/tests/fuzz/corpus/"* "$work/in/" 2>/dev/null || true
fi
echo "fuzz.sh: $(ls "$work/in" | wc -l) inputs, fuzzing for $seconds s in $work"

export AFL_NO_AFFINITY=1 AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_UI=1
# The largest sheet a tiny file may claim takes about 4 s in this build on an
# idle core; 20 s leaves room for a busy machine and still catches an endless loop.
declare -A words=(
  [main]="-hex" [hires]="-hires -ca65 -v" [colors]="-colors -hex -errorlevel"
  [fixed]="-bg 0 -mc 11,1 -acme -v" [colors-hires]="-colors -hires -ca65"
)
instances=${PIXMOLD_FUZZ_INSTANCES:-main hires colors fixed colors-hires}
run() { # name role
  local name=$1 role=$2
  mkdir -p "$work/$name"
  # shellcheck disable=SC2086 # the option words split on purpose
  nice -n 19 afl-fuzz "$role" "$name" -i "$work/in" -o "$work/out" -x "$work/bmp.dict" -m none -t 20000 \
    -V "$seconds" -f "$work/$name/sheet.bmp" -- "$program" -s "$work/$name/sheet.bmp" \
    -d "$work/$name/out.asm" -e "$work/$name/out.spr" -b "$work/$name/out.bin" ${words[$name]} \
    </dev/null >"$work/$name.log" 2>&1
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
rm -rf "$work"
echo "fuzz.sh: no crash and no hang"

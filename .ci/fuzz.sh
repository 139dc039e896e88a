#!/usr/bin/env bash
# Fuzzes the converter for about two minutes: builds the libFuzzer target
# (clang 14, AddressSanitizer and UndefinedBehaviorSanitizer) in build/fuzz,
# writes the seed corpus, runs every seed once, then fuzzes with the BMP
# dictionary. Fails on any crash, leak, timeout, memory excess, sanitizer
# report or broken output check of the target.
#
#   PIXMOLD_FUZZ_SECONDS  fuzzing time (default 120)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
seconds=${PIXMOLD_FUZZ_SECONDS:-120}

cmake -S "$root" -B "$build" \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPIXMOLD_WARNINGS_AS_ERRORS=ON -DPIXMOLD_FUZZ=ON
cmake --build "$build" --target pixmold_fuzz -j2
fuzzer="$build/tests/fuzz/pixmold_fuzz"

rm -rf "$build/seeds" "$build/corpus" "$build/artifacts"
mkdir -p "$build/corpus" "$build/artifacts"
python3 "$root/tests/fuzz/make_corpus.py" "$build/seeds"

# The largest picture a tiny file may claim (16777216 pixels beyond its bytes,
# 33289 sprites) takes up to 14 s per run in this build (with -v), about 1 s
# in a release build; a run of 20 s or more counts as a hang.
limits=(-rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=20 -report_slow_units=20)
log="$build/fuzz.log"

status=0
echo "fuzz.sh: every seed once"
"$fuzzer" "${limits[@]}" -runs=0 -artifact_prefix="$build/artifacts/" "$build/seeds" >"$log" 2>&1 || status=$?
if [ "$status" -eq 0 ]; then
  echo "fuzz.sh: fuzzing for $seconds s"
  "$fuzzer" "${limits[@]}" -max_total_time="$seconds" -dict="$root/tests/fuzz/bmp.dict" \
    -artifact_prefix="$build/artifacts/" -print_final_stats=1 \
    "$build/corpus" "$build/seeds" >>"$log" 2>&1 || status=$?
fi

grep -E '^(Done|stat::)' "$log" || true
failed=0
if [ "$status" -ne 0 ]; then
  echo "fuzz.sh: the fuzzer ended with status $status" >&2
  failed=1
fi
if grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|pixmold_fuzz: |ALARM:' "$log"; then
  echo "fuzz.sh: the fuzzer reported a fault" >&2
  failed=1
fi
if [ -n "$(ls -A "$build/artifacts")" ]; then
  echo "fuzz.sh: inputs that failed, in $build/artifacts:" >&2
  ls -l "$build/artifacts" >&2
  failed=1
fi
if [ "$failed" -ne 0 ]; then
  tail -n 60 "$log" >&2
  exit 1
fi
echo "fuzz.sh: no fault found"

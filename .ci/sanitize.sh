#!/usr/bin/env bash
# Builds the sanitize presets (AddressSanitizer and UndefinedBehaviorSanitizer:
# build/sanitize on x86-64, build/sanitize-x86 with clang -m32 and libspng
# compiled with them) and runs the whole test suite under each: unit tests
# and every end-to-end test. Then every fourth kept fuzz input (by name) runs
# once through the 32-bit program, which no fuzz instance is (AFL++ has no
# 32-bit runtime here); the fuzz step runs them all through the 64-bit one.
# A sanitizer report ends the program with a non-zero code and text on
# standard error, and fails the test or the replay that ran it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# The 32-bit build runs the unit and end-to-end tests: the real-world tools
# see the same files from the 64-bit one.
for preset in sanitize sanitize-x86; do
  cmake --preset "$preset"
  cmake --build --preset "$preset" -j2
  ctest --preset "$preset" --no-tests=error $([ "$preset" = sanitize-x86 ] && echo "-R ^(e2e|unit)")
done

program="$root/build/sanitize-x86/converter/pixmold"
# No leak check here: where i386 programs run under qemu-user, LeakSanitizer
# cannot stop the process to scan it and waits for ever (the 64-bit build
# checks leaks).
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
work=$(mktemp -d)
source "$root/.ci/fuzz_inputs.sh"
make_inputs "$work"
started=$(date +%s)
all=("$work/in"/*)
inputs=()
for ((n = 0; n < ${#all[@]}; n += 4)); do inputs+=("${all[n]}"); done
replay_all "$work" "main hires colors fixed colors-hires png overlay" "${inputs[@]}"
echo "sanitize.sh: ${#inputs[@]} of ${#all[@]} kept inputs run once each through the 32-bit program" \
  "in $(( $(date +%s) - started )) s"
rm -rf "$work"

#!/usr/bin/env bash
# Builds the sanitize preset (AddressSanitizer and UndefinedBehaviorSanitizer,
# in build/sanitize) and runs the whole test suite under it: unit tests and
# every end-to-end test. A sanitizer report ends the program with a non-zero
# code and text on standard error, and either fails the test that ran it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset sanitize
cmake --build --preset sanitize -j2
ctest --preset sanitize --no-tests=error

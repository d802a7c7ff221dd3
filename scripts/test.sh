#!/usr/bin/env bash
# Installs what is missing, builds the sanitizer build and runs every test, then the tests of
# the update under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build/asan --output-on-failure -j "$(nproc)"
# The update's threads under ThreadSanitizer: a build of the feed tests alone, a few minutes.
bash scripts/tsan.sh

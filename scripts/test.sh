#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test headless, then fuzzes the A2L
# reader for a bounded time. Exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup-deps.sh
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DQUILLMOOR_SANITIZE=ON
cmake --build build/test -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir build/test --output-on-failure -j"$(nproc)"

if [ -f scripts/fuzz.sh ]; then
  bash scripts/fuzz.sh "${QUILLMOOR_FUZZ_SECONDS:-120}"
fi

#!/usr/bin/env bash
# Branch coverage of the product code (a2l/, cfgconv/, frontend/) by the tests, with gcovr.
# Builds into build/coverage with --coverage, runs the tests headless, writes
# build/coverage/coverage.txt (per file: lines, branches taken) and an HTML report
# build/coverage/html/index.html that shows the branches never taken line by line.
# Not part of the test command. Usage: tools/coverage.sh [ctest arguments, e.g. -R frontend]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/setup-deps.sh gcovr
build=build/coverage
# Atomic counters: the converter decodes on a second thread, and counters it updates at the same
# time as the main thread would otherwise come out torn (gcov then reports negative counts).
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUILLMOOR_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="--coverage -O0 -fprofile-update=atomic" -DCMAKE_EXE_LINKER_FLAGS=--coverage
cmake --build "$build" -j2
find "$build" -name '*.gcda' -delete
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" -j2 "$@" || true
mkdir -p "$build/html"
filters=(--root "$root" --filter 'a2l/' --filter 'cfgconv/' --filter 'frontend/'
         --exclude '.*_autogen/.*' --exclude-unreachable-branches --exclude-throw-branches)
gcovr "${filters[@]}" --object-directory "$build" --branches --sort-uncovered \
  --txt "$build/coverage.txt" --html-details "$build/html/index.html" --print-summary
echo "coverage: $build/coverage.txt, $build/html/index.html"

#!/usr/bin/env bash
# Fuzzes the A2L reader for SECONDS seconds (default 60) under AddressSanitizer and
# UndefinedBehaviorSanitizer. Configures its own build directory (build/fuzz) with clang,
# builds fuzz_a2l_read, seeds it with the project's sample files, small generated files and
# the public samples (../shared/a2l) when present, and exits non-zero when the fuzzer finds
# a crash, a leak or undefined behaviour (the input is kept as build/fuzz/crash-*).
#
# Needs the Debian packages clang-14 and libclang-rt-14-dev (libFuzzer's runtime).
set -euo pipefail

SECONDS_TO_RUN="${1:-60}"
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build/fuzz"

mkdir -p "$BUILD"
cmake -S "$ROOT" -B "$BUILD" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLMOOR_FUZZ=ON -DQUILLMOOR_FRONTEND=OFF -DQUILLMOOR_TESTS=OFF > "$BUILD.configure.log" 2>&1 \
  || { cat "$BUILD.configure.log"; exit 1; }
cmake --build "$BUILD" --target fuzz_a2l_read a2l-generate -j2

SEEDS="$BUILD/seeds"
CORPUS="$BUILD/corpus"
rm -rf "$SEEDS"
mkdir -p "$SEEDS" "$CORPUS"

n=0
add_seeds() {
  local dir="$1"
  [ -d "$dir" ] || return 0
  while IFS= read -r -d '' f; do
    n=$((n + 1))
    cp "$f" "$SEEDS/seed_${n}_$(basename "$f")"
  done < <(find "$dir" -type f \( -iname '*.a2l' -o -iname '*.aml' \) -print0)
}
add_seeds "$ROOT/runtime/samples"
for seed in 1 2 3; do
  "$BUILD/bench/a2l-generate" "$SEEDS/generated_$seed.a2l" 0.01 "$seed" > /dev/null
done
SHARED=""
for candidate in /work/shared/a2l "$ROOT/../shared/a2l"; do
  if [ -d "$candidate" ]; then
    SHARED="$candidate"
    break
  fi
done
if [ -n "$SHARED" ]; then
  add_seeds "$SHARED"
else
  echo "fuzz.sh: no shared A2L samples found; seeding with the project's own files only"
fi
echo "fuzz.sh: $(ls "$SEEDS" | wc -l) seed files, running for ${SECONDS_TO_RUN}s"

cd "$BUILD"
exec "$BUILD/fuzz/fuzz_a2l_read" \
  -max_total_time="$SECONDS_TO_RUN" \
  -dict="$ROOT/fuzz/a2l.dict" \
  -max_len=65536 \
  -timeout=20 \
  -rss_limit_mb=2048 \
  -print_final_stats=1 \
  -artifact_prefix="$BUILD/" \
  "$CORPUS" "$SEEDS"

#!/usr/bin/env bash
# Fuzzes the A2L reader (fuzz_a2l_read), the converter behind it (fuzz_convert) and decompress
# (fuzz_decompress) under AddressSanitizer and UndefinedBehaviorSanitizer, SECONDS seconds in
# all (default 60, split between the three). Configures its own build directory (build/fuzz)
# with clang, seeds the first two with the project's sample files, fuzz/seeds, small generated
# files and the public samples (../shared/a2l) when present, and decompress with compressed
# outputs the converter writes from those files. Exits non-zero when a fuzzer finds a crash, a leak,
# undefined behaviour or a broken converter property (the input is kept as
# build/fuzz/<target>-crash-*).
#
# Every run starts from the seeds alone with a fixed random seed (QUILLMOOR_FUZZ_SEED,
# default 1), so a run explores the same inputs in the same order on every machine and only
# its length depends on the machine's speed. Set QUILLMOOR_FUZZ_SEED to explore elsewhere.
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
cmake --build "$BUILD" --target fuzz_a2l_read fuzz_convert fuzz_decompress a2l-generate \
  QuillmoorConverter -j2

SEEDS="$BUILD/seeds"
rm -rf "$SEEDS"
mkdir -p "$SEEDS"

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
add_seeds "$ROOT/fuzz/seeds"
add_seeds "$ROOT/tests/cfgconv/data"
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
# Real compressed outputs for decompress: every small seed A2L converted for each format
# generation (what does not convert adds no seed).
ZSEEDS="$BUILD/seeds_decompress"
rm -rf "$ZSEEDS"
mkdir -p "$ZSEEDS"
CONVERTER="$BUILD/runtime/QuillmoorConverter.exe"
for f in "$SEEDS"/*; do
  [ "$(stat -c %s "$f")" -le 2000000 ] || continue
  for target in tarVix=1.4.4 tarVix=1.5.5 tarVix=2017.06.0; do
    out="$ZSEEDS/$(basename "$f").${target#tarVix=}.cfginclude"
    ASAN_OPTIONS=detect_leaks=0 "$CONVERTER" convert "$f" "$out" -z -l "$target" \
      > /dev/null 2>&1 || true
  done
done

SEED="${QUILLMOOR_FUZZ_SEED:-1}"
PER_TARGET=$((SECONDS_TO_RUN / 3))
[ "$PER_TARGET" -ge 5 ] || PER_TARGET=5
echo "fuzz.sh: $(ls "$SEEDS" | wc -l) seed files, $(ls "$ZSEEDS" | wc -l) compressed seeds," \
  "random seed $SEED, ${PER_TARGET}s per target"

cd "$BUILD"
for target in fuzz_a2l_read fuzz_convert fuzz_decompress; do
  corpus="$BUILD/corpus_$target"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  seeds="$SEEDS"
  # Decompress streams in pieces of about a megabyte whatever the input: no allocation
  # beyond 64 MB and 512 MB of memory in all (the sanitizers included) are its caps here.
  extra=(-dict="$ROOT/fuzz/a2l.dict" -rss_limit_mb=2048)
  if [ "$target" = fuzz_decompress ]; then
    seeds="$ZSEEDS"
    extra=(-rss_limit_mb=512 -malloc_limit_mb=64)
  fi
  echo "fuzz.sh: running $target"
  if ! "$BUILD/fuzz/$target" \
      -seed="$SEED" \
      -max_total_time="$PER_TARGET" \
      "${extra[@]}" \
      -max_len=65536 \
      -timeout=20 \
      -print_final_stats=1 \
      -artifact_prefix="$BUILD/$target-" \
      "$corpus" "$seeds" > "$BUILD/$target.log" 2>&1; then
    tail -n 80 "$BUILD/$target.log"
    echo "fuzz.sh: $target failed; the log is $BUILD/$target.log" >&2
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|new_units_added)' "$BUILD/$target.log" || true
done
echo "fuzz.sh: no findings"

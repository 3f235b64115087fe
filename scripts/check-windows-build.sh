#!/usr/bin/env bash
# Cross-compiles the converter QuillmoorConverter.exe for 64-bit Windows with MinGW-w64
# (statically linked, zlib included) into build/windows/runtime, to keep the Windows-only
# code paths compiling. With --run it also runs the .exe under Wine on the bundled sample:
# convert to -i and -z, decompress, compare, all in a folder whose name has an umlaut, and
# checks the results against the Linux converter's (build/release or build/test).
#
# Not part of the test command: it installs a cross tool chain (and Wine with --run).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

run=0
[ "${1:-}" = "--run" ] && run=1

pkgs=(cmake make g++-mingw-w64-x86-64-posix libz-mingw-w64-dev)
[ "$run" -eq 1 ] && pkgs+=(wine64)
bash scripts/setup-deps.sh "${pkgs[@]}"

build=build/windows
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUILLMOOR_FRONTEND=OFF -DQUILLMOOR_TESTS=OFF \
  -DQUILLMOOR_BENCH=OFF -DZLIB_USE_STATIC_LIBS=ON
cmake --build "$build" -j"$(nproc)" --target QuillmoorConverter
exe="$root/$build/runtime/QuillmoorConverter.exe"
echo "check-windows-build: built $exe"
[ "$run" -eq 1 ] || exit 0

wine=/usr/lib/wine/wine64
command -v wine64 >/dev/null 2>&1 && wine=wine64
linux=""
for b in build/release build/test; do
  if [ -x "$b/runtime/QuillmoorConverter.exe" ]; then
    linux="$root/$b/runtime/QuillmoorConverter.exe"
    break
  fi
done
[ -n "$linux" ] || { echo "check-windows-build: build the project first (scripts/run.sh)" >&2; exit 1; }

work="$(mktemp -d)"
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT; echo "work: $work"
export WINEDEBUG=-all WINEPREFIX="$work/prefix"
dir="$work/Müller Daten"
mkdir -p "$dir"
cp runtime/samples/demo_ecu.a2l "$dir/demo ecu.a2l"
sed 's/nEng/nEngine/' "$dir/demo ecu.a2l" > "$dir/new.a2l"
cd "$work"
d="Müller Daten"
fail() { echo "check-windows-build: $*" >&2; exit 1; }
last() { tr -d '\r' | tail -n 1; }

"$wine" "$exe" 2>/dev/null | head -n 1 | grep -q "^KOLDAN QuillmoorConverter 1\." ||
  fail "no version line"
[ "$("$wine" "$exe" convert "$d/demo ecu.a2l" "$d/w.cfginclude" -i -l tarVix=2017.06.0 | last)" = "Done." ] ||
  fail "convert -i did not end with Done."
"$linux" convert "$d/demo ecu.a2l" "$d/l.cfginclude" -i -l tarVix=2017.06.0 > /dev/null
cmp -s "$d/w.cfginclude" "$d/l.cfginclude" || fail "convert -i differs from the Linux converter"
"$wine" "$exe" convert "$d/demo ecu.a2l" "$d/w.z" -z -l tarVix=2017.06.0 | last | grep -q "^Done\.$" ||
  fail "convert -z did not end with Done."
"$wine" "$exe" decompress "$d/w.z" "$d/w.z" | last | grep -q "^Done\.$" || fail "decompress failed"
cmp -s "$d/w.z" "$d/l.cfginclude" || fail "-z decompressed differs from -i"
# Timings ("in 0.01 s") may differ; everything else must not.
untimed() { tr -d '\r' | sed -E 's/ in [0-9.]+ s$//'; }
"$wine" "$exe" compare "$d/demo ecu.a2l" "$d/new.a2l" -v | untimed > w.cmp
{ "$linux" compare "$d/demo ecu.a2l" "$d/new.a2l" -v || true; } | untimed > l.cmp
cmp -s w.cmp l.cmp || fail "compare output differs from the Linux converter"
{ "$wine" "$exe" convert "$d/none.a2l" "$d/x.cfginclude" -i -l tarVix=2017.06.0 || true; } | last |
  grep -q "^Error\. " || fail "a missing input did not end with Error."
[ -z "$(find "$dir" -name '*.tmp')" ] || fail "temporary files left behind"
echo "check-windows-build: the Windows converter under Wine matches the Linux one"

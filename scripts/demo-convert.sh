#!/usr/bin/env bash
# Converts the demo A2L of the runtime folder with the built converter and shows the result.
# Used when no display is available for the front-end.
#   scripts/demo-convert.sh RUNTIME_DIR
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 RUNTIME_DIR" >&2
    exit 2
fi
runtime=$1
conv="$runtime/QuillmoorConverter.exe"
sample="$runtime/samples/demo_ecu.a2l"
for f in "$conv" "$sample"; do
    if [ ! -e "$f" ]; then
        echo "$f is missing: build the project first (cmake --build ...)" >&2
        exit 2
    fi
done

out_dir="$runtime/out"
mkdir -p "$out_dir" 2>/dev/null || out_dir=$(mktemp -d)
out="$out_dir/demo_ecu.cfginclude"

echo "Converter: $("$conv" 2>/dev/null | head -n 1)"
echo "Converting $sample"
echo "        to $out (indented, station DemoBench, prefix ECU1, loggers 2017.06.0 and later)"
echo "----"
status=0
"$conv" convert "$sample" "$out" -i -n DemoBench -p ECU1 -l tarVix=2017.06.0 || status=$?
echo "----"
echo "exit status $status"
if [ -f "$out" ]; then
    echo "First lines of $out:"
    head -n 25 "$out"
fi
exit "$status"

#!/usr/bin/env bash
# Installs what is missing, builds the program and starts the front-end in the
# ready runtime folder (build/release/runtime).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash scripts/setup-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUILLMOOR_TESTS=OFF
cmake --build build/release -j"$(nproc)"

runtime="$root/build/release/runtime"
echo "run: runtime folder $runtime"
cd "$runtime"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat <<MSG
run: no display is available, so the window cannot be shown here.
     To see the window on a machine without a display, run it under a virtual X server:
         apt-get install xvfb xauth
         cd "$runtime" && xvfb-run -a ./Quillmoor
     Meanwhile, here is the converter doing the main job on the bundled sample A2L:
MSG
  if [ -f "$root/scripts/demo-convert.sh" ]; then
    exec bash "$root/scripts/demo-convert.sh" "$runtime"
  fi
  exit 0
fi

exec ./Quillmoor "$@"

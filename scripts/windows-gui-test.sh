#!/usr/bin/env bash
# Drives the real window of a Quillmoor bundle as a user would, under an X server (run it
# through xvfb-run): keys go in with xdotool, pictures come out with ImageMagick's import.
# scripts/build-windows.sh --test runs it on the Windows bundle under Wine; given a Linux
# runtime folder instead it drives the Linux build the same way.
#
# Usage: scripts/windows-gui-test.sh BUNDLE OUTDIR
#   BUNDLE  a folder with Quillmoor.exe (Windows, run under Wine) or Quillmoor (Linux)
#   OUTDIR  where the screenshots go
#
# The bundle is copied into a folder whose name has an umlaut and a blank, and run there with
# a settings store of its own (a fresh Wine prefix, or XDG_CONFIG_HOME on Linux). Checks:
#   1. the window starts and writes its settings; a screenshot of it
#   2. the bundled sample A2L is converted through the convert tab with the real converter,
#      input and output in that folder; a screenshot of the success message
#   3. the settings survive a restart: a tab chosen and the program closed, the tab is
#      stored, and the next start shows it
#   4. the language switch (Settings > Languages, German, "Restart now") stores the
#      language, ends the program and starts it again in German; a screenshot
# English is the first start's language: its catalogue ships in the bundle.
# Prints "gui: N passed, M failed" and exits non-zero on a failure.
set -uo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUNDLE OUTDIR" >&2; exit 2; }
src="$(cd "$1" && pwd)"
mkdir -p "$2"
out="$(cd "$2" && pwd)"
[ -n "${DISPLAY:-}" ] || { echo "gui: no X display; run under xvfb-run" >&2; exit 2; }
export LC_ALL=C.UTF-8

work="$(mktemp -d)"
dir="$work/Müller Daten"
mkdir -p "$dir"
cp -r "$src" "$dir/app"
app="$dir/app"
cp "$app/samples/demo_ecu.a2l" "$dir/demo ecu.a2l"

wine=/usr/lib/wine/wine64
if [ -f "$app/Quillmoor.exe" ]; then
  mode=wine
  export WINEPREFIX="$work/prefix" WINEDEBUG=-all
  "$wine" wineboot -i > /dev/null 2>&1
  /usr/lib/wine/wineserver -w
  # The windows platform plugin, as on Windows.
  unset QT_QPA_PLATFORM
else
  mode=linux
  export XDG_CONFIG_HOME="$work/config"
  export QT_QPA_PLATFORM=xcb
fi
cleanup() {
  pkill -f "$app/" 2> /dev/null
  [ "$mode" = wine ] && /usr/lib/wine/wineserver -k 2> /dev/null
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
check() {  # check NAME COMMAND...: one result line
  local name="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "gui: PASS $name"
  else
    failed=$((failed + 1))
    echo "gui: FAIL $name"
  fi
}

# The program as the user starts it, from its folder (it looks up its files there).
start_app() {
  if [ "$mode" = wine ]; then
    (cd "$app" && exec "$wine" Quillmoor.exe) >> "$work/app.log" 2>&1 &
  else
    (cd "$app" && exec ./Quillmoor -style windows) >> "$work/app.log" 2>&1 &
  fi
}
# The visible main window's id, waiting up to 60 s for it.
main_window() {
  local id i
  for i in $(seq 120); do
    id="$(xdotool search --onlyvisible --name '^Quillmoor Converter$' 2> /dev/null | head -n 1)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.5
  done
  return 1
}
# A visible window with this title (a message box, a dialog).
window_named() {
  local id i
  for i in $(seq 60); do
    id="$(xdotool search --onlyvisible --name "$1" 2> /dev/null | head -n 1)"
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.5
  done
  return 1
}
gone() {  # gone ID: the window disappears within 30 s
  local i
  for i in $(seq 60); do
    xdotool getwindowname "$1" > /dev/null 2>&1 || return 0
    sleep 0.5
  done
  return 1
}
keys() {  # keys WINDOW KEY...: focus the window (- keeps the focus), then press the keys
  [ "$1" = - ] || xdotool windowfocus --sync "$1" 2> /dev/null
  shift
  local k
  for k in "$@"; do
    xdotool key --clearmodifiers "$k"
    sleep 0.3
  done
}
shot() { sleep 1; import -window root "$out/$1.png"; }
close_main() {  # close_main ID: File > Quit from the keyboard; the program ends
  keys "$1" alt Down Return
  gone "$1"
  if [ "$mode" = wine ]; then /usr/lib/wine/wineserver -w; else sleep 1; fi
}

# The settings store: the registry under Wine, the INI file on Linux.
windows_path() { echo "Z:${1//\//\\}"; }
setting() {  # setting KEY: the stored value (numbers, REG_DWORD, in decimal)
  local v
  if [ "$mode" = wine ]; then
    v="$("$wine" reg query 'HKCU\Software\KOLDAN\VELMOR' /v "$1" 2> /dev/null | tr -d '\r' |
      sed -n "s/^ *$1 *REG_[A-Z_]* *//p")"
    case "$v" in
      0x*) printf '%d\n' "$v" ;;
      *) echo "$v" ;;
    esac
  else
    sed -n "s/^$1=//p" "$XDG_CONFIG_HOME/KOLDAN/VELMOR.conf" 2> /dev/null
  fi
}
set_setting() {  # set_setting KEY TEXT
  if [ "$mode" = wine ]; then
    "$wine" reg add 'HKCU\Software\KOLDAN\VELMOR' /v "$1" /t REG_SZ /d "$2" /f > /dev/null
  else
    sed -i "/^$1=/d" "$XDG_CONFIG_HOME/KOLDAN/VELMOR.conf"
    sed -i "s|^\[General\]$|&\n$1=$2|" "$XDG_CONFIG_HOME/KOLDAN/VELMOR.conf"
  fi
}
native_path() { if [ "$mode" = wine ]; then windows_path "$1"; else echo "$1"; fi; }

# 1. The window starts, writes its settings, and looks right.
start_app
win="$(main_window)"
check "the main window appears" test -n "$win"
[ -n "$win" ] || { echo "gui: $passed passed, $failed failed"; cat "$work/app.log"; exit 1; }
shot window
check "the settings are written at the first start" test "$(setting currenttab)" = 0
close_main "$win"

# 2. The sample converted through the convert tab with the real converter.
set_setting convinput "$(native_path "$dir/demo ecu.a2l")"
set_setting convoutput "$(native_path "$dir/demo ecu.cfginclude")"
set_setting prefix DEMO
start_app
win="$(main_window)"
# Through the convert tab's focus chain: the tab bar, the input field and its button, the
# output format, the compatible versions (the newest: its loggers take every measurement of
# the sample, so the run ends with "Done."), then on to the button "Convert".
keys "$win" Tab Tab Tab Tab End Tab Tab Tab Tab Tab Tab space
box="$(window_named '^Finished!$')"
check "the conversion ends with the success message" test -n "$box"
shot converted
check "the output lies beside the input in the folder with the umlaut" \
  grep -q 'DEMO' "$dir/demo ecu.cfginclude"
[ -n "$box" ] && keys - Return
close_main "$win"

# 3. Settings across a restart: the compare tab chosen, closed, started again.
start_app
win="$(main_window)"
keys "$win" ctrl+Tab
close_main "$win"
check "the chosen tab is stored when the program closes" test "$(setting currenttab)" = 1
check "the other settings kept" test "$(setting prefix)" = DEMO
start_app
win="$(main_window)"
shot restarted
close_main "$win"
check "the tab is still stored after the restart" test "$(setting currenttab)" = 1

# 4. The language switch restarts the program in German.
start_app
win="$(main_window)"
# Alt to the menu bar, Settings, Languages; German (first in the list); accept.
keys "$win" alt Right Down Return
sleep 2
keys - Up Tab space
notice="$(window_named '^Restart required$')"
check "the restart notice appears" test -n "$notice"
# The notice's first button, which has the focus, is "Restart now" (then OK).
[ -n "$notice" ] && keys - space
check "the old window goes" gone "$win"
check "German is stored" test "$(setting lang)" = 1
win2="$(main_window)"
check "the program starts again by itself" test -n "$win2"
shot german
[ -n "$win2" ] && close_main "$win2"

echo "gui: screenshots in $out"
echo "gui: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Builds the Windows release of Quillmoor on this Debian machine: the front-end Quillmoor.exe
# and the converter QuillmoorConverter.exe, cross-compiled with MinGW-w64 against a Qt 6 for
# Windows that this script builds from Debian's own qtbase sources, bundled with every DLL,
# plugin and data file they need into build/windows/Quillmoor-<version>-win64/ and a .zip of it.
#
# Usage: scripts/build-windows.sh [--qt-only] [--test]
#   --qt-only  only build (or find in the cache) Qt for Windows
#   --test     also run the Windows tests under Wine (see the README, "Windows release")
#
# Qt for Windows is built once into QUILLMOOR_QT_CACHE (default ~/.cache/quillmoor/qt6-mingw),
# outside the repository; later runs reuse it while its version and options are unchanged.
# QUILLMOOR_JOBS (default 2) sets the parallel compile jobs.
# Not part of the test command: it installs a cross tool chain, and the first run takes hours.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

qt_only=0
test=0
for a in "$@"; do
  case "$a" in
    --qt-only) qt_only=1 ;;
    --test) test=1 ;;
    *) echo "usage: $0 [--qt-only] [--test]" >&2; exit 2 ;;
  esac
done

jobs="${QUILLMOOR_JOBS:-2}"
cache="${QUILLMOOR_CACHE:-$HOME/.cache/quillmoor}"
qt="${QUILLMOOR_QT_CACHE:-$cache/qt6-mingw}"
say() { echo "build-windows: $*"; }
fail() { echo "build-windows: $*" >&2; exit 1; }
now() { date +%s; }

# The packages only this script needs, on top of what scripts/setup-deps.sh installs:
pkgs=(
  cmake make ninja-build                                 # the builds
  qt6-base-dev qt6-base-dev-tools                        # host Qt: moc, rcc, uic for the cross build
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools       # lrelease for the catalogues
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev          # the Windows cross tool chain, zlib
  binutils-mingw-w64-x86-64                              # objdump for the DLL check
  dpkg-dev xz-utils                                      # apt-get source unpacks the Qt sources
  libwine-dev                                            # wintab.h, pktdef.h for Qt (see below)
  zip                                                    # the .zip of the bundle
)
# Wine for the tests; an X server, keys (xdotool) and screenshots (ImageMagick) for the window.
# GoogleTest's sources for the converter's tests built for Windows.
[ "$test" -eq 1 ] && pkgs+=(wine64 xvfb xauth xdotool imagemagick fonts-dejavu-core googletest)
bash scripts/setup-deps.sh  # the project's own set, for the Linux build of the manuals
bash scripts/setup-deps.sh "${pkgs[@]}"

# ---------------------------------------------------------------------------------------------
# Qt for Windows, from Debian's qt6-base source package, the same version as the host Qt.
host_qt_version="$(dpkg-query -W -f='${Version}' qt6-base-dev)"
qt_version="${host_qt_version%%+*}"
qt_options=(
  -DCMAKE_BUILD_TYPE=Release
  -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  # Only Core, Gui, Widgets and Test, the windows platform plugin and the styles plugin.
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF
  -DFEATURE_direct2d=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_icu=OFF
  -DFEATURE_zstd=OFF -DFEATURE_androiddeployqt=OFF -DFEATURE_windeployqt=OFF
  # Parts of Gui and Widgets the front-end does not use (the manuals are rendered on Linux).
  -DFEATURE_pdf=OFF -DFEATURE_movie=OFF -DFEATURE_textodfwriter=OFF
  -DFEATURE_textmarkdownreader=OFF -DFEATURE_textmarkdownwriter=OFF
  -DFEATURE_sharedmemory=OFF -DFEATURE_systemsemaphore=OFF -DFEATURE_sessionmanager=OFF
  -DFEATURE_undocommand=OFF -DFEATURE_undostack=OFF -DFEATURE_undogroup=OFF -DFEATURE_undoview=OFF
  -DFEATURE_graphicsview=OFF -DFEATURE_mdiarea=OFF -DFEATURE_calendarwidget=OFF
  -DFEATURE_datetimeedit=OFF -DFEATURE_lcdnumber=OFF -DFEATURE_dial=OFF -DFEATURE_wizard=OFF
  -DFEATURE_fontdialog=OFF -DFEATURE_colordialog=OFF -DFEATURE_splashscreen=OFF
  -DFEATURE_columnview=OFF -DFEATURE_tablewidget=OFF -DFEATURE_treewidget=OFF
  -DFEATURE_keysequenceedit=OFF -DFEATURE_fontcombobox=OFF -DFEATURE_syntaxhighlighter=OFF
  -DFEATURE_inputdialog=OFF -DFEATURE_errormessage=OFF -DFEATURE_progressdialog=OFF
  -DFEATURE_toolbox=OFF
  # The third-party code Qt bundles, so that the DLLs need nothing but Windows itself.
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF
)
qt_stamp="qtbase $host_qt_version mingw-w64 $(printf '%s ' "${qt_options[@]}")"

build_qt() {
  local src="$cache/src" bld="$cache/qt6-mingw-build" t0
  if [ -f "$qt/quillmoor-stamp" ] && [ "$(cat "$qt/quillmoor-stamp")" = "$qt_stamp" ]; then
    say "Qt $qt_version for Windows found in $qt"
    return
  fi
  t0=$(now)
  if [ -z "$(apt-cache showsrc qt6-base 2>/dev/null)" ]; then
    say "adding Debian's source archive (deb-src bookworm main) to apt"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" "Suites: bookworm" \
      "Components: main" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" |
      "${sudo[@]}" tee /etc/apt/sources.list.d/quillmoor-src.sources > /dev/null
    "${sudo[@]}" apt-get update -q
  fi
  mkdir -p "$src"
  if [ ! -f "$src/qtbase/.quillmoor-$host_qt_version" ]; then
    rm -rf "$src/qtbase" "$src"/qt6-base_*
    (cd "$src" && apt-get source --download-only "qt6-base=$host_qt_version" &&
      dpkg-source -x qt6-base_*.dsc qtbase)
    touch "$src/qtbase/.quillmoor-$host_qt_version"
  fi
  # Qt 6.4's Windows plugins use parts of Gui and Widgets that the features switched off
  # above leave out: the dynamic OpenGL code (with OpenGL off), the DirectWrite font
  # database (which Gui builds only with Direct2D) and QInputDialog. Guard those uses.
  local plugins="$src/qtbase/src/plugins"
  sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
    "$plugins/platforms/windows/qwindowswindow.cpp"
  sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$plugins/platforms/windows/qwindowsintegration.cpp"
  sed -i 's/^#include <qinputdialog.h>$/#if QT_CONFIG(inputdialog)\n#include <qinputdialog.h>\n#endif/' \
    "$plugins/styles/windowsvista/qwindowsvistastyle_p_p.h"
  # Debian's qtbase sources leave out Qt's copy of the Wintab headers (src/3rdparty/wintab,
  # whose licence forbids changes), which the Windows plugin's tablet support includes.
  # Wine's headers (LGPL) take their place, with the two Wine macros they use.
  local wintab="$src/qtbase/src/3rdparty/wintab"
  if [ ! -f "$wintab/wintab.h" ]; then
    mkdir -p "$wintab"
    cp /usr/include/wine/wine/windows/wintab.h "$wintab/wine-wintab.h"
    cp /usr/include/wine/wine/windows/pktdef.h "$wintab/wine-pktdef.h"
    cat > "$wintab/wintab.h" <<'HEADER'
/* Wintab declarations for Qt's Windows plugin: Wine's header (package libwine-dev, LGPL). */
#pragma once
#include <windows.h>
#ifndef WINELIB_NAME_AW
#ifdef UNICODE
#define WINELIB_NAME_AW(x) x##W
#else
#define WINELIB_NAME_AW(x) x##A
#endif
#endif
#ifndef DECL_WINELIB_TYPE_AW
#define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;
#endif
#ifndef API
#define API WINAPI
#endif
#include "wine-wintab.h"
HEADER
    printf '%s\n' "/* Wine's pktdef.h (package libwine-dev, LGPL), see wintab.h. */" \
      '#include "wine-pktdef.h"' > "$wintab/pktdef.h"
  fi
  # An unfinished build with the same version and options goes on where it stopped.
  if [ ! -f "$bld/quillmoor-stamp" ] || [ "$(cat "$bld/quillmoor-stamp")" != "$qt_stamp" ]; then
    rm -rf "$bld" "$qt"
    mkdir -p "$bld"
    # Qt keeps the tool chain file's path; a copy in the cache outlives this work tree.
    cp cmake/mingw-w64-x86_64.cmake "$cache/mingw-w64-x86_64.cmake"
    say "configuring Qt $qt_version for Windows in $bld"
    cmake -S "$src/qtbase" -B "$bld" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$cache/mingw-w64-x86_64.cmake" \
      -DCMAKE_INSTALL_PREFIX="$qt" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
      "${qt_options[@]}"
    echo "$qt_stamp" > "$bld/quillmoor-stamp"
  fi
  export NINJA_STATUS="[%f/%t %es] "
  say "building Qt $qt_version for Windows ($jobs jobs)"
  # The seconds spent on this build, added up over interrupted runs.
  local spent=0
  [ -f "$bld/quillmoor-seconds" ] && spent=$(cat "$bld/quillmoor-seconds")
  cmake --build "$bld" --parallel "$jobs" || {
    echo $((spent + $(now) - t0)) > "$bld/quillmoor-seconds"
    fail "the Qt build stopped; run again to go on where it stopped"
  }
  cmake --install "$bld"
  echo "$qt_stamp" > "$qt/quillmoor-stamp"
  echo $((spent + $(now) - t0)) > "$bld/quillmoor-seconds"
  say "Qt $qt_version for Windows built in $(cat "$bld/quillmoor-seconds") s (all runs)"
}

build_qt
[ "$qt_only" -eq 1 ] && exit 0

# ---------------------------------------------------------------------------------------------
# GoogleTest for Windows (the converter's tests), from the sources Debian ships in googletest.
gtest="$cache/gtest-mingw"
build_gtest() {
  local stamp
  stamp="googletest $(dpkg-query -W -f='${Version}' googletest)"
  if [ -f "$gtest/quillmoor-stamp" ] && [ "$(cat "$gtest/quillmoor-stamp")" = "$stamp" ]; then
    return
  fi
  rm -rf "$gtest" "$cache/gtest-mingw-build"
  cmake -S /usr/src/googletest -B "$cache/gtest-mingw-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest" -DBUILD_GMOCK=OFF > /dev/null
  cmake --build "$cache/gtest-mingw-build" --parallel "$jobs" > /dev/null
  cmake --install "$cache/gtest-mingw-build" > /dev/null
  echo "$stamp" > "$gtest/quillmoor-stamp"
}
[ "$test" -eq 1 ] && build_gtest

# ---------------------------------------------------------------------------------------------
t_start=$(now)
# The data files come from the Linux build: the catalogues, and the manuals, which are
# rendered by running the front-end (screenshots) and a Markdown-to-PDF tool at build time.
linux=build/release
say "building the catalogues, manuals and converter on Linux ($linux)"
cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=Release -DQUILLMOOR_TESTS=OFF > /dev/null
cmake --build "$linux" --parallel "$jobs" \
  --target QuillmoorConverter quillmoor_translations quillmoor_manuals

# ---------------------------------------------------------------------------------------------
# Both programs (and with --test the tests) for Windows, against the Qt above.
win=build/windows/full
wine_prefix="$cache/wine"
wine_run="$root/$win/wine-run.sh"
mingw_dlls=(/usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib)
winpath() { echo "Z:${1//\//\\}"; }
mkdir -p "$win"
# CTest runs the Windows test programs through Wine, with Qt's and MinGW's DLLs on the path.
{
  echo '#!/bin/sh'
  echo "# Runs a Windows program under Wine with Qt's and MinGW's DLLs on its path."
  echo "export WINEPREFIX=\"\${QUILLMOOR_WINEPREFIX:-$wine_prefix}\" WINEDEBUG=\"\${WINEDEBUG:--all}\""
  printf "export WINEPATH='%s;%s;%s'\n" "$(winpath "$qt/bin")" "$(winpath "${mingw_dlls[0]}")" \
    "$(winpath "${mingw_dlls[1]}")"
  echo 'exec /usr/lib/wine/wine64 "$@"'
} > "$wine_run"
chmod +x "$wine_run"

say "building Quillmoor.exe and QuillmoorConverter.exe ($win)"
cmake -S . -B "$win" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DQUILLMOOR_WINDOWS_PREFIXES="$qt;$gtest" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Release -DQUILLMOOR_FRONTEND=ON -DQUILLMOOR_BENCH=OFF -DZLIB_USE_STATIC_LIBS=ON \
  -DQUILLMOOR_TESTS="$([ "$test" -eq 1 ] && echo ON || echo OFF)" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$wine_run" > /dev/null
if [ "$test" -eq 1 ] && [ ! -f "$wine_prefix/quillmoor-temp" ]; then
  say "creating the Wine prefix $wine_prefix"
  rm -rf "$wine_prefix"
  WINEPREFIX="$wine_prefix" WINEDEBUG=-all /usr/lib/wine/wine64 wineboot -i > /dev/null 2>&1
  # The tests know their files by the build machine's paths (/work/...), which Wine finds
  # on drive Z: while the current drive is Z:. Temporary folders, where the tests work,
  # go to Z: too, so that the current drive stays Z: there.
  mkdir -p "$wine_prefix/temp"
  for v in TEMP TMP; do
    WINEPREFIX="$wine_prefix" WINEDEBUG=-all /usr/lib/wine/wine64 reg add 'HKCU\Environment' \
      /v "$v" /t REG_SZ /d "$(winpath "$wine_prefix/temp")" /f > /dev/null
  done
  WINEPREFIX="$wine_prefix" /usr/lib/wine/wineserver -w
  touch "$wine_prefix/quillmoor-temp"
fi
cmake --build "$win" --parallel "$jobs"

# ---------------------------------------------------------------------------------------------
# The bundle: everything the Linux runtime folder holds, for Windows.
version="$(sed -n 's/^project(Quillmoor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
name="Quillmoor-$version-win64"
bundle="$root/build/windows/$name"
say "assembling $bundle"
rm -rf "$bundle" "$bundle.zip"
mkdir -p "$bundle/platforms" "$bundle/styles" "$bundle/doc"
cp "$win/runtime/Quillmoor.exe" "$win/runtime/QuillmoorConverter.exe" "$bundle/"
cp "$qt/bin/Qt6Core.dll" "$qt/bin/Qt6Gui.dll" "$qt/bin/Qt6Widgets.dll" "$bundle/"
cp "$qt/plugins/platforms/qwindows.dll" "$bundle/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$bundle/styles/"
# MinGW's runtime: the C++ library, the unwinder and the threads library.
cp "${mingw_dlls[0]}/libstdc++-6.dll" "${mingw_dlls[0]}/libgcc_s_seh-1.dll" \
  "${mingw_dlls[1]}/libwinpthread-1.dll" "$bundle/"
cp "$linux/runtime/tarvixVersions.xml" "$linux/runtime"/*.qm "$bundle/"
cp "$linux/runtime/doc/Handbuch.pdf" "$linux/runtime/doc/Manual.pdf" "$bundle/doc/"
cp -r "$linux/runtime/samples" "$bundle/"
# Without symbols: MinGW's libstdc++-6.dll alone carries 20 MB of them.
find "$bundle" -type f \( -iname '*.exe' -o -iname '*.dll' \) \
  -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
# Everything the Linux runtime folder holds must be there, bar the Linux programs (the folder
# is also CMake's build folder of runtime/, hence its CMake files).
(cd "$linux/runtime" && find . -path ./CMakeFiles -prune -o -type f ! -name Quillmoor \
  ! -name QuillmoorConverter.exe ! -name cmake_install.cmake ! -name Makefile -print) |
  while read -r f; do
    [ -f "$bundle/$f" ] || fail "the bundle lacks $f, which the Linux runtime folder holds"
  done

# The DLL check: every DLL that an .exe or a plugin imports is in the bundle's top folder
# (where Windows looks first) or one of Windows' own system DLLs.
system_dlls=" kernel32 user32 gdi32 advapi32 shell32 shlwapi ole32 oleaut32 comdlg32 comctl32
  ws2_32 winmm imm32 uxtheme dwmapi version netapi32 userenv mpr setupapi rpcrt4 msvcrt ntdll
  dwrite d3d9 d3d11 d3d12 dxgi dcomp wtsapi32 crypt32 bcrypt secur32 shcore winspool.drv authz
  usp10 msimg32 psapi dbghelp oleacc uiautomationcore cfgmgr32 powrprof dnsapi iphlpapi "
system_dlls=" $(echo $system_dlls) "  # one blank between names, also across lines
dll_check() {
  local files=0 imports=0 gaps=0 f dll lower
  while IFS= read -r f; do
    files=$((files + 1))
    while IFS= read -r dll; do
      imports=$((imports + 1))
      lower="$(echo "$dll" | tr '[:upper:]' '[:lower:]')"
      if [ -n "$(find "$bundle" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
        continue
      fi
      case "$lower" in
        api-ms-win-*|ext-ms-win-*) continue ;;
      esac
      if [[ "$system_dlls" == *" ${lower%.dll} "* || "$system_dlls" == *" $lower "* ]]; then
        continue
      fi
      echo "build-windows: ${f#"$bundle/"} imports $dll, which is neither in the bundle nor a Windows system DLL" >&2
      gaps=$((gaps + 1))
    done < <(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
  done < <(find "$bundle" -type f \( -iname '*.exe' -o -iname '*.dll' \) | sort)
  [ "$gaps" -eq 0 ] || fail "DLL check: $gaps imports missing"
  say "DLL check: $files programs and libraries, $imports imports, all found"
}
dll_check

(cd "$root/build/windows" && zip -qr "$name.zip" "$name")
say "bundle $bundle ($(du -sh "$bundle" | cut -f1), zip $(du -h "$bundle.zip" | cut -f1)); project built and bundled in $(( $(now) - t_start )) s"
[ "$test" -eq 1 ] || exit 0

# ---------------------------------------------------------------------------------------------
# --test: the Windows builds under Wine.
t_test=$(now)
results=()
# 1. The front-end's Qt Test programs and the converter's tests, headless (offscreen).
say "running the Windows tests under Wine (CTest, QT_QPA_PLATFORM=offscreen)"
# One wineserver for the whole run: by default it ends a moment after its last program, and
# a program that starts in that moment loses its connection ("recvmsg: Connection reset").
# Wine's own background programs start first, away from CTest's pipes, which they would
# otherwise hold open for as long as the server lives.
WINEPREFIX="$wine_prefix" /usr/lib/wine/wineserver -p
WINEPREFIX="$wine_prefix" WINEDEBUG=-all /usr/lib/wine/wine64 cmd /c exit \
  < /dev/null > /dev/null 2>&1 || true
set +e
QT_QPA_PLATFORM=offscreen ctest --test-dir "$win" --output-on-failure -j"$jobs" \
  > "$win/ctest.log" 2>&1
set -e
WINEPREFIX="$wine_prefix" /usr/lib/wine/wineserver -k || true
grep -E "Failed|Not Run|tests passed" "$win/ctest.log" || true
summary="$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$win/ctest.log" | tail -n 1)"
[ -n "$summary" ] || { cat "$win/ctest.log"; fail "CTest gave no summary"; }
total="$(echo "$summary" | sed -E 's/.* out of ([0-9]+).*/\1/')"
failed="$(echo "$summary" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')"
results+=("unit tests under Wine: $((total - failed)) passed, $failed failed")

# 2. The converter on its own under Wine against the Linux one (umlaut folder, all commands).
set +e
bash scripts/check-windows-build.sh --run > "$win/converter-check.log" 2>&1
rc=$?
set -e
tail -n 1 "$win/converter-check.log"
results+=("converter under Wine: $([ $rc -eq 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed")")

# 3. The real window under Xvfb with the windows platform: screenshots, a conversion through
#    the window, settings across a restart, the language switch and its restart.
shots="$root/build/windows/screenshots"
set +e
xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/windows-gui-test.sh "$bundle" "$shots" \
  > "$win/gui.log" 2>&1
set -e
grep -E "^gui: (PASS|FAIL)" "$win/gui.log" || true
gui="$(grep -E "^gui: [0-9]+ passed, [0-9]+ failed" "$win/gui.log" | tail -n 1)"
[ -n "$gui" ] || { cat "$win/gui.log"; fail "the window test gave no summary"; }
results+=("window under Wine and Xvfb: ${gui#gui: }")

say "tests under Wine in $(( $(now) - t_test )) s; screenshots in $shots"
p=0
f=0
for r in "${results[@]}"; do
  echo "build-windows: $r"
  n="${r##*: }"
  p=$((p + ${n%% passed*}))
  f=$((f + $(echo "$n" | sed -E 's/.* ([0-9]+) failed/\1/')))
done
echo "windows: $p passed, $f failed"
[ "$f" -eq 0 ]

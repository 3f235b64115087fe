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
  qt6-translations-l10n                                  # Qt's own German catalogue
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev          # the Windows cross tool chain, zlib
  binutils-mingw-w64-x86-64                              # objdump for the DLL check
  dpkg-dev xz-utils                                      # apt-get source unpacks the Qt sources
  zip                                                    # the .zip of the bundle
)
[ "$test" -eq 1 ] && pkgs+=(wine64 xvfb xauth x11-apps imagemagick fonts-dejavu-core)
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
  -DFEATURE_qmake=OFF -DFEATURE_sql_sqlite=OFF
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
  rm -rf "$bld" "$qt"
  say "configuring Qt $qt_version for Windows in $bld"
  cmake -S "$src/qtbase" -B "$bld" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_INSTALL_PREFIX="$qt" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${qt_options[@]}"
  say "building Qt $qt_version for Windows ($jobs jobs)"
  cmake --build "$bld" --parallel "$jobs"
  cmake --install "$bld"
  echo "$qt_stamp" > "$qt/quillmoor-stamp"
  say "Qt $qt_version for Windows built in $(( $(now) - t0 )) s"
}

build_qt
[ "$qt_only" -eq 1 ] && exit 0

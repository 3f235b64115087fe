#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs and that are missing.
# Usage: scripts/setup-deps.sh [PACKAGE ...]   (as root, or as a user with sudo)
# Without arguments: the packages to build and test everything. With arguments: those.
set -euo pipefail

packages=(
  cmake g++ make                      # tool chain
  qt6-base-dev                        # Qt Widgets, Gui, Core, Test
  qt6-tools-dev qt6-tools-dev-tools   # CMake package Qt6LinguistTools
  qt6-l10n-tools                      # lupdate / lrelease
  zlib1g-dev                          # zlib streams of compressed .cfginclude files
  libdeflate-dev                      # fast compression of .cfginclude files
  libgtest-dev                        # tests of the A2L engine and the converter
  fonts-dejavu-core                   # fonts for the headless window and the manuals
  qt6-translations-l10n               # qtbase_de.qm: Qt's dialogs and buttons in German
  poppler-utils                       # pdftotext: tests read the rendered manuals
  libxml2-utils                       # xmllint: tests check the written XML
  # gcovr (branch coverage, tools/coverage.sh) is installed by that script on demand
  clang libclang-rt-14-dev            # libFuzzer for the fuzz run of the tests
)

if [ $# -gt 0 ]; then
  packages=("$@")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all needed packages are installed."
  exit 0
fi

echo "setup: installing missing packages: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo=(sudo)
  else
    echo "setup: not root and no sudo: install these packages first: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"

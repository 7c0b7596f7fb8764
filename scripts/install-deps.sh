#!/usr/bin/env bash
# Installs with apt-get only the Debian packages that are missing, so that it is a fast
# no-op on a machine that already has everything. Works as root and through sudo.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  # the application: Qt 6 widgets, print support, its Japanese translations, the Japanese font,
  # Qt SVG for the SVG export
  qt6-base-dev qt6-svg-dev qt6-translations-l10n fonts-ipafont-gothic libgl-dev
  # asking the X server whether a window manager places full-screen windows
  libxcb1-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev libmuparser-dev libfparser-dev
  # fuzzing (libFuzzer comes with clang)
  clang libclang-rt-dev
  # looking at the running program and at its output: a virtual display, screenshots,
  # the clipboard, PDF pages
  xvfb xauth imagemagick xclip poppler-utils
  # validating what the installation puts on the desktop
  desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

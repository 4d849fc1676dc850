#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the game, its tools and its tests need (only
# those that are missing) and builds the game in build/ (or the folder given).
# Sourced by play.sh and test.sh.
set -euo pipefail

PAVENDRA_PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-mixer-dev libsdl2-ttf-dev libsdl2-image-dev libheif-dev libgif-dev libtiff-dev libwebp-dev
  libjpeg62-turbo-dev libminizip-dev zlib1g-dev
  fonts-liberation2
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils imagemagick libx11-dev
  libstb-dev
  zenity openbox
  desktop-file-utils appstream dpkg-dev file groff-base lintian
  bc libjpeg-turbo-progs
)
# Only for fuzzing (tools/fuzz.sh): clang and its libFuzzer and sanitizer runtimes.
PAVENDRA_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# pavendra_install_packages [fuzz]: the game's packages, and with "fuzz" the fuzzing ones too.
pavendra_install_packages() {
  local wanted=("${PAVENDRA_PACKAGES[@]}")
  [ "${1:-}" = "fuzz" ] && wanted+=("${PAVENDRA_FUZZ_PACKAGES[@]}")
  local missing=()
  for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# pavendra_build FOLDER [cmake options...]
pavendra_build() {
  local folder="$1"
  shift
  cmake -S "$PAVENDRA_ROOT" -B "$PAVENDRA_ROOT/$folder" "$@" >/dev/null
  cmake --build "$PAVENDRA_ROOT/$folder" -j "$(nproc)"
}

PAVENDRA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

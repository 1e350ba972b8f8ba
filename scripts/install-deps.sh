#!/usr/bin/env bash
# Installs every Debian package the build, the game and the tests need.
# Skips what is already installed; stops with a clear message when a package cannot be had.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git ca-certificates
  clang libclang-rt-14-dev
  libsdl2-dev libxrandr-dev libwayland-dev libasound2-dev libepoxy-dev libfreetype-dev libfontconfig-dev libpng-dev
  libboost-regex-dev libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev
  libgl1-mesa-dri libegl-mesa0 libgl1 libegl1
  xvfb xdotool openbox x11-utils x11-xserver-utils imagemagick
  weston libdecor-0-plugin-1-cairo
  fonts-dejavu-core fonts-ipafont-gothic
  desktop-file-utils dpkg-dev file
  lintian appstream man-db groff-base gdb
  pulseaudio pulseaudio-utils
)
# More packages, blank-separated, from the environment (also how the tests check the failure path).
if [ -n "${ARENA_EXTRA_PACKAGES:-}" ]; then
  read -r -a extra <<< "$ARENA_EXTRA_PACKAGES"
  PACKAGES+=("${extra[@]}")
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "install-deps: not root and sudo is missing; install these packages by hand: ${PACKAGES[*]}" >&2
    exit 1
  fi
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! $SUDO apt-get update -qq; then
  echo "install-deps: apt-get update failed; going on with the package lists already here" >&2
fi
# Name every package that cannot be had before installing anything.
unavailable=()
for p in "${missing[@]}"; do
  if ! apt-cache show "$p" >/dev/null 2>&1; then
    unavailable+=("$p")
    echo "install-deps: package not available: $p" >&2
  fi
done
if [ ${#unavailable[@]} -ne 0 ]; then
  echo "install-deps: cannot install: ${unavailable[*]}" >&2
  exit 1
fi
if ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  echo "install-deps: apt-get install failed for: ${missing[*]}" >&2
  exit 1
fi
for p in "${missing[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    echo "install-deps: package still missing after install: $p" >&2
    exit 1
  fi
done
echo "install-deps: done"

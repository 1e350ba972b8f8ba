#!/usr/bin/env bash
# Redraws the game's art: the eight images and monster.txt in Data2/, docs/contact-sheet.png and
# the desktop icon in each size under packaging/icons/.
# Extra arguments go to the generator (for example --preview /tmp/battle.png).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/art -DCMAKE_BUILD_TYPE=Release -DARENA_TESTS=OFF -DARENA_BENCH=OFF >/dev/null
cmake --build build/art --target artgen -j "$(nproc 2>/dev/null || echo 2)"
./build/art/tools/artgen . "$@"

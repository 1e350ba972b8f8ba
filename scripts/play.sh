#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it from the repository root.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release
exec ./build/release/arena "$@"

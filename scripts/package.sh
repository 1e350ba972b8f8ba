#!/usr/bin/env bash
# Installs what is missing, builds the release flavour and makes the Debian package in build/release/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release
(cd build/release && cpack -G DEB)
ls -1 "$PWD"/build/release/*.deb

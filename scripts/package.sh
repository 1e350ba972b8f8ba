#!/usr/bin/env bash
# Installs what is missing, builds the package flavour and makes the Debian package (and its
# debug-information package) in build/package/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh package
(cd build/package && cpack -G DEB)
ls -1 "$PWD"/build/package/*.deb

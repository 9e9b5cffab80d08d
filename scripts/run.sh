#!/usr/bin/env bash
# Builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
export QUON_ROOT=$PWD
export QUON_JOBS=${QUON_JOBS:-$(nproc)}
bash scripts/install-deps.sh run
source scripts/lib.sh
configure_build build/linux -DCMAKE_BUILD_TYPE=RelWithDebInfo
build build/linux kelvaro
exec "$QUON_ROOT/build/linux/example/kelvaro" "$@"

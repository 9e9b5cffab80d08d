#!/usr/bin/env bash
# Builds the game and starts it. Without a reachable X display it starts a
# virtual one (Xvfb) and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
export QUON_ROOT=$PWD
export QUON_JOBS=${QUON_JOBS:-$(nproc)}
bash scripts/install-deps.sh run
source scripts/lib.sh
configure_build build/game -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUON_BUILD_TESTS=OFF -DQUON_BUILD_BENCHMARKS=OFF
build build/game kelvaro
game="$QUON_ROOT/build/game/example/kelvaro"

if [ "${QUON_EXAMPLE_TEST:-}" = "1" ]; then
  exec "$game" "$@"
fi
run_game "$game" "$@"

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
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo > /dev/null 2>&1; then
  echo "No X display is reachable (DISPLAY='${DISPLAY:-}'). Starting a virtual one with Xvfb;"
  echo "the game runs there unseen. To play, run this from a desktop session, or set DISPLAY"
  echo "to a running X server (for example over ssh -X)."
  start_xvfb
  trap stop_background EXIT
  echo "Virtual display: DISPLAY=$DISPLAY. Stop the game with Ctrl+C."
  "$game" "$@"
  exit $?
fi
exec "$game" "$@"

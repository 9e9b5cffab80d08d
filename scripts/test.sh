#!/usr/bin/env bash
# Builds every configuration and runs every test: the Linux build, the whole
# suite under AddressSanitizer + UndefinedBehaviorSanitizer, the worker pool
# under ThreadSanitizer, the Windows build under Wine, and the stages in test.d.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
export QUON_ROOT=$root
export QUON_JOBS=${QUON_JOBS:-$(nproc)}

bash scripts/install-deps.sh test
source scripts/lib.sh

start_xvfb
trap stop_background EXIT

for stage in scripts/test.d/*.sh; do
  echo "=== stage $(basename "$stage" .sh)"
  source "$stage"
done

report_totals

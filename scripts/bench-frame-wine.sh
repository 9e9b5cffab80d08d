#!/usr/bin/env bash
# The game's whole frame (example_frame_timing) on the Linux build with the x11
# back-end and on the Windows build under Wine, on the same X server in one run:
# each one's median and the ratio Wine / Linux. A benchmark, not a test stage.
#
# Rounds alternate Linux and Wine so that both see the same machine load; the
# figures are the medians of the rounds' medians. Settings (environment):
#   QUON_BENCH_FRAMES   timed frames per run (300)      QUON_BENCH_ROUNDS  rounds (3)
#   QUON_BENCH_LINUX_BUILD / QUON_BENCH_WINDOWS_BUILD   build folders (build/linux, build/windows)
#   LP_NUM_THREADS      Mesa's software rasteriser threads; 0 (draw on the timed thread) unless set
set -euo pipefail
cd "$(dirname "$0")/.."
export QUON_ROOT=$PWD
export QUON_JOBS=${QUON_JOBS:-$(nproc)}
frames=${QUON_BENCH_FRAMES:-300}
rounds=${QUON_BENCH_ROUNDS:-3}
linux_build=${QUON_BENCH_LINUX_BUILD:-build/linux}
windows_build=${QUON_BENCH_WINDOWS_BUILD:-build/windows}
export LP_NUM_THREADS=${LP_NUM_THREADS:-0}

bash scripts/install-deps.sh test
source scripts/lib.sh

# The same configurations as the test stages, so the folders stay shared with them.
configure_build "$linux_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
build "$linux_build" example_frame_timing
configure_build "$windows_build" -DCMAKE_TOOLCHAIN_FILE="$QUON_ROOT/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUON_BUILD_TESTS=OFF -DQUON_BUILD_BENCHMARKS=OFF
build "$windows_build" example_frame_timing
linux_program="$QUON_ROOT/$linux_build/example/example_frame_timing"
windows_program="$QUON_ROOT/$windows_build/example/example_frame_timing.exe"

work=$(mktemp -d /tmp/quon-bench-frame.XXXXXX)
finish() {
  stop_background
  [ -z "${quon_wineserver:-}" ] || "$quon_wineserver" -w 2> /dev/null || true
  rm -rf "$work"
}
trap finish EXIT
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb
fi

setup_wine "$work/prefix"

# frame_median NAME ROUND PROGRAM...: runs one timing program, shows its figures
# and appends its median to $work/NAME.
frame_median() {
  local name=$1 round=$2; shift 2
  local out="$work/$name-$round.txt"
  # Into a file, not a pipe: Wine's service processes outlive the program and
  # would hold a pipe open. Wine writes CRLF.
  "$@" "$frames" > "$out.raw"
  tr -d '\r' < "$out.raw" > "$out"
  echo "$name, round $round: $(tr '\n' ' ' < "$out")"
  sed -n 's/^frame-median-us: //p' "$out" >> "$work/$name"
}

median_of() {
  sort -g "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "display $DISPLAY, LP_NUM_THREADS=$LP_NUM_THREADS, $frames timed frames per run, $rounds rounds"
for round in $(seq 1 "$rounds"); do
  frame_median linux "$round" "$linux_program"
  frame_median wine "$round" "$quon_wine" "$windows_program"
done

linux_median=$(median_of "$work/linux")
wine_median=$(median_of "$work/wine")
echo
echo "linux frame-median-us: $linux_median"
echo "wine frame-median-us: $wine_median"
awk -v l="$linux_median" -v w="$wine_median" 'BEGIN { printf "ratio wine/linux: %.2f\n", w / l }'

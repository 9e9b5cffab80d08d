# Two runs without an X display at once, started as the run command starts the
# game (run_game) with the Linux build's game: each gets a virtual X server of
# its own, and when one game ends and its server stops, the other plays on.

own_display_dir=$(mktemp -d /tmp/quon-own-display.XXXXXX)
own_display_title='^Kelvaro / Quon [+] Vantrel$'
declare -A own_display_pid=() own_display_number=()

# own_display_start NAME: one run in the background, bounded in time.
own_display_start() {
  env -u DISPLAY -u QUON_EXAMPLE_TEST timeout 300 bash -euo pipefail -c \
    'source "$1/scripts/lib.sh"; run_game "$2"' _ "$QUON_ROOT" "$QUON_ROOT/build/linux/example/kelvaro" \
    > "$own_display_dir/$1.out" 2> "$own_display_dir/$1.err" &
  own_display_pid[$1]=$!
}

# own_display_window NAME: the game window on NAME's display, empty when none.
own_display_window() {
  DISPLAY=${own_display_number[$1]} xdotool search --onlyvisible --name "$own_display_title" 2> /dev/null | head -n 1
}

# own_display_ready NAME: waits for the display the run names and the game's
# window on it.
own_display_ready() {
  local i
  for i in $(seq 1 300); do
    own_display_number[$1]=$(sed -n 's/^Virtual display: DISPLAY=\(:[0-9]*\)\. .*/\1/p' "$own_display_dir/$1.out")
    [ -n "${own_display_number[$1]}" ] && [ -n "$(own_display_window "$1")" ] && return 0
    kill -0 "${own_display_pid[$1]}" 2> /dev/null || break
    sleep 0.2
  done
  echo "run $1 shows no game window; its output:"; cat "$own_display_dir/$1.out" "$own_display_dir/$1.err"
  return 1
}

# own_display_escape NAME: "ESCAPE" in NAME's game; the run ends with status 0
# and nothing on standard error.
own_display_escape() {
  local pid=${own_display_pid[$1]} window status=0 i
  window=$(own_display_window "$1")
  DISPLAY=${own_display_number[$1]} timeout 10 xdotool windowfocus --sync "$window" 2> /dev/null || true
  DISPLAY=${own_display_number[$1]} timeout 10 xdotool key Escape
  for i in $(seq 1 100); do
    kill -0 "$pid" 2> /dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2> /dev/null && { echo "run $1 still runs after ESCAPE"; return 1; }
  wait "$pid" || status=$?
  unset "own_display_pid[$1]"
  [ "$status" -eq 0 ] && [ ! -s "$own_display_dir/$1.err" ] || {
    echo "run $1 ended with status $status; its output:"; cat "$own_display_dir/$1.out" "$own_display_dir/$1.err"
    return 1
  }
}

own_display_two_runs() {
  own_display_start a
  own_display_start b
  own_display_ready a && own_display_ready b || return 1
  echo "runs on ${own_display_number[a]} and ${own_display_number[b]}"
  [ "${own_display_number[a]}" != "${own_display_number[b]}" ] || { echo "both runs share one display"; return 1; }
  own_display_escape a || return 1
  local i
  for i in $(seq 1 100); do
    DISPLAY=${own_display_number[a]} xdpyinfo > /dev/null 2>&1 || break
    sleep 0.1
  done
  ! DISPLAY=${own_display_number[a]} xdpyinfo > /dev/null 2>&1 || { echo "run a left its server running"; return 1; }
  sleep 1
  kill -0 "${own_display_pid[b]}" 2> /dev/null && [ -n "$(own_display_window b)" ] || {
    echo "run b ended with run a's server; its output:"; cat "$own_display_dir/b.out" "$own_display_dir/b.err"
    return 1
  }
  own_display_escape b
}

check "two runs without a display play on servers of their own" own_display_two_runs
for own_display_name in "${!own_display_pid[@]}"; do
  kill "${own_display_pid[$own_display_name]}" 2> /dev/null || true
  wait "${own_display_pid[$own_display_name]}" 2> /dev/null || true
done
rm -rf "$own_display_dir"

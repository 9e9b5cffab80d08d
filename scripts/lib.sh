# Helpers shared by the build and test scripts (sourced, not run).

quon_passed=0
quon_failed=0
quon_background=()

# configure_build DIR [cmake args...]
configure_build() {
  local dir=$1; shift
  cmake -S "$QUON_ROOT" -B "$QUON_ROOT/$dir" -G "Unix Makefiles" "$@" > /dev/null
}

# build DIR [targets...]
build() {
  local dir=$1; shift
  local targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  cmake --build "$QUON_ROOT/$dir" -j "$QUON_JOBS" "${targets[@]}"
}

# run_ctest DIR [ctest args...]: runs CTest and adds its counts to the totals.
run_ctest() {
  local dir=$1; shift
  local log
  log=$(mktemp)
  local status=0
  ctest --test-dir "$QUON_ROOT/$dir" -j "$QUON_JOBS" --output-on-failure --timeout 600 "$@" 2>&1 | tee "$log" || status=$?
  count_results "$log"
  if [ "$status" -ne 0 ] && ! grep -qE 'tests? failed out of' "$log"; then
    quon_failed=$((quon_failed + 1)); echo "ctest in $dir failed to run"
  fi
  rm -f "$log"
}

# count_results LOG: reads CTest's "N tests failed out of M" line.
count_results() {
  local line failed total
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1 || true)
  if [ -n "$line" ]; then
    failed=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<< "$line")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<< "$line")
    quon_passed=$((quon_passed + total - failed))
    quon_failed=$((quon_failed + failed))
  fi
}

# check NAME COMMAND...: runs one scripted check and counts it.
check() {
  local name=$1; shift
  if "$@"; then
    quon_passed=$((quon_passed + 1)); echo "check passed: $name"
  else
    quon_failed=$((quon_failed + 1)); echo "check FAILED: $name"
  fi
}

# start_xvfb: a private X server (Xvfb); exports DISPLAY. The server takes a
# free display number itself and writes it to a pipe once it accepts
# connections; when it does not start, its own message is shown.
start_xvfb() {
  local dir fd pid number= part i
  dir=$(mktemp -d /tmp/quon-xvfb.XXXXXX) && mkfifo "$dir/display" || return 1
  # Opened for reading and writing here, so that neither end waits for the other.
  exec {fd}<> "$dir/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp +extension GLX +extension RANDR \
    3> "$dir/display" {fd}<&- > /dev/null 2> "$dir/log" &
  pid=$!
  quon_background+=("$pid")
  # A timeout can fall between the number and its newline: the parts add up.
  for i in $(seq 1 300); do
    if read -r -t 0.1 -u "$fd" part; then number+=$part; break; fi
    number+=$part
    kill -0 "$pid" 2> /dev/null || break
  done
  exec {fd}<&-
  if [[ $number =~ ^[0-9]+$ ]]; then
    export DISPLAY=":$number"
    rm -rf "$dir"
    return 0
  fi
  kill "$pid" 2> /dev/null || true
  wait "$pid" 2> /dev/null || true
  echo "Xvfb did not start:" >&2
  if [ -s "$dir/log" ]; then cat "$dir/log" >&2; else echo "no display number after 30 s" >&2; fi
  rm -rf "$dir"
  return 1
}

# run_game GAME [args...]: runs the game on the X display of DISPLAY or, when
# none is reachable, on a virtual display of its own that ends with it; ends
# the script with the game's status.
run_game() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo > /dev/null 2>&1; then exec "$@"; fi
  echo "No X display is reachable (DISPLAY='${DISPLAY:-}'). Starting a virtual one with Xvfb;"
  echo "the game runs there unseen. To play, run this from a desktop session, or set DISPLAY"
  echo "to a running X server (for example over ssh -X)."
  start_xvfb || exit 1
  trap stop_background EXIT
  echo "Virtual display: DISPLAY=$DISPLAY. Stop the game with Ctrl+C."
  local status=0
  "$@" || status=$?
  exit "$status"
}

# setup_wine PREFIX: a fresh Wine prefix for the Windows build; sets WINEPREFIX,
# WINEDEBUG, quon_wine and quon_wineserver. The prefix is created up front: its
# first start reports on standard error and takes seconds.
setup_wine() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  quon_wine=/usr/lib/wine/wine64
  [ -x "$quon_wine" ] || quon_wine=wine64
  quon_wineserver=/usr/lib/wine/wineserver
  [ -x "$quon_wineserver" ] || quon_wineserver=wineserver
  WINEDLLOVERRIDES="mscoree,mshtml=" "$quon_wine" wineboot --init > /dev/null 2>&1 || true
  "$quon_wineserver" -w || true
}

stop_background() {
  local pid
  if [ -n "${WINEPREFIX:-}" ] && [ -n "${quon_wineserver:-}" ]; then
    "$quon_wineserver" -k 2> /dev/null || true
  fi
  for pid in "${quon_background[@]}"; do kill "$pid" 2> /dev/null || true; done
}

report_totals() {
  echo
  echo "totals: $quon_passed passed, $quon_failed failed"
  [ "$quon_failed" -eq 0 ]
}

# window_manager_config NAME: writes the configuration that window manager
# starts with to build/NAME.config and prints its path. openbox's must be
# valid (with /dev/null it asks about the error mid-screen); i3's keeps it
# from offering to write one and from focusing under the pointer; twm's from
# waiting for the user to place a window its program did not place.
window_manager_config() {
  local file="$QUON_ROOT/build/$1.config"
  mkdir -p "$QUON_ROOT/build"
  case $1 in
    openbox) printf '<?xml version="1.0"?>\n<openbox_config xmlns="http://openbox.org/3.4/rc"/>\n' > "$file" ;;
    i3) printf '# i3 config file (v4)\nfont pango:monospace 8\nfocus_follows_mouse no\n' > "$file" ;;
    # Its default fonts are missing on Xvfb (it ends at once): the server's own "fixed".
    twm) printf 'RandomPlacement\nUsePPosition "on"\nTitleFont "fixed"\nResizeFont "fixed"\nMenuFont "fixed"\nIconFont "fixed"\nIconManagerFont "fixed"\n' > "$file" ;;
    *) : > "$file" ;;
  esac
  echo "$file"
}

# start_window_manager NAME LOG: starts openbox, twm, evilwm or i3 on DISPLAY
# (its output to LOG) and waits until it manages the screen; sets
# quon_window_manager to its process. Shows LOG when it does not start.
start_window_manager() {
  local name=$1 log=$2 config marker i
  config=$(window_manager_config "$name")
  case $name in
    openbox) openbox --sm-disable --config-file "$config" > "$log" 2>&1 & ;;
    # twm names no check window: its priority colours come once it redirects the root.
    twm) twm -f "$config" > "$log" 2>&1 & ;;
    # Xvfb has no font of evilwm's default.
    evilwm) evilwm -fn cursor > "$log" 2>&1 & ;;
    i3) i3 -c "$config" > "$log" 2>&1 & ;;
    *) echo "unknown window manager $name" >&2; return 1 ;;
  esac
  quon_window_manager=$!
  quon_background+=("$quon_window_manager")
  marker=_NET_SUPPORTING_WM_CHECK
  [ "$name" = twm ] && marker=_MIT_PRIORITY_COLORS
  for i in $(seq 1 100); do
    if xprop -root "$marker" 2> /dev/null | grep -qv 'not found'; then sleep 0.5; return 0; fi
    kill -0 "$quon_window_manager" 2> /dev/null || break
    sleep 0.1
  done
  echo "$name did not start on $DISPLAY:" >&2
  cat "$log" >&2
  stop_window_manager
  return 1
}

# stop_window_manager: ends the one start_window_manager started, by SIGKILL
# when it is still there after 3 s.
stop_window_manager() {
  local i
  [ -n "${quon_window_manager:-}" ] || return 0
  kill "$quon_window_manager" 2> /dev/null || true
  for i in $(seq 1 30); do
    kill -0 "$quon_window_manager" 2> /dev/null || break
    sleep 0.1
  done
  kill -9 "$quon_window_manager" 2> /dev/null || true
  wait "$quon_window_manager" 2> /dev/null || true
  quon_window_manager=
}

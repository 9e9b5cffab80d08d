# The Win32 conformance program (platform/conformance) under Wine and against
# our own layer's sim and x11 back-ends, on the test X server. The three
# outputs must be equal once the lines listed in
# platform/conformance/known_differences.txt are left out of each.

conformance_dir=$(mktemp -d /tmp/quon-conformance.XXXXXX)
conformance_list=$QUON_ROOT/platform/conformance/known_differences.txt
conformance_windows_exe=$QUON_ROOT/build/windows/platform/conformance/win32_conformance.exe
conformance_wine=${quon_wine:-/usr/lib/wine/wine64}
[ -x "$conformance_wine" ] || conformance_wine=wine64

conformance_build() {
  build build/linux win32_conformance_sim win32_conformance_x11 > "$conformance_dir/build.log" 2>&1 || {
    tail -n 30 "$conformance_dir/build.log"; return 1; }
  if [ ! -f "$QUON_ROOT/build/windows/CMakeCache.txt" ]; then
    configure_build build/windows -DCMAKE_TOOLCHAIN_FILE="$QUON_ROOT/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DQUON_BUILD_TESTS=OFF -DQUON_BUILD_BENCHMARKS=OFF || return 1
  fi
  build build/windows win32_conformance > "$conformance_dir/build.log" 2>&1 || {
    tail -n 30 "$conformance_dir/build.log"; return 1; }
}

# conformance_run SIDE COMMAND...: runs one build with the environment the
# environment scenarios read; its output, without carriage returns, goes to
# SIDE.out. It must end with the program's last line.
conformance_run() {
  local side=$1 status=0; shift
  [ -n "${DISPLAY:-}" ] || { echo "DISPLAY is not set"; return 1; }
  # Windows synthesises a mouse move when a window moves under the pointer:
  # park the pointer where no scenario's window reaches.
  xdotool mousemove 1279 1023 > /dev/null 2>&1 || true
  env -u QUON_CONF_MISSING QUON_CONF_ONE=1 QUON_CONF_EMPTY= \
    QUON_CONF_TEXT=$'\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80' QUON_CONF_BAD=$'\xff' \
    QUON_CONF_LONG="$(head -c 40000 /dev/zero | tr '\0' x)" \
    timeout 120 "$@" > "$conformance_dir/$side.raw" 2> "$conformance_dir/$side.err" || status=$?
  tr -d '\r' < "$conformance_dir/$side.raw" > "$conformance_dir/$side.out"
  if [ "$status" -ne 0 ] || [ "$(tail -n 1 "$conformance_dir/$side.out")" != "end: all scenarios ran" ]; then
    echo "$side exited with $status after $(wc -l < "$conformance_dir/$side.out") lines:"
    tail -n 5 "$conformance_dir/$side.out"; head -n 10 "$conformance_dir/$side.err"
    return 1
  fi
}

# conformance_filter SIDE OTHER: SIDE.out without the lines listed for that side
# ("wine", "sim", "x11", "linux" for both of ours, "all", or "SIDE against OTHER"
# for lines of one side that only the other lacks) into SIDE-OTHER.kept; the
# numbers of the entries that matched go to SIDE-OTHER.hits.
conformance_filter() {
  awk -v side="$1" -v other="$2" -v hits="$conformance_dir/$1-$2.hits" '
    FILENAME == ARGV[1] {
      if ($0 ~ /^side: /) { entry++; entry_side[entry] = substr($0, 7) }
      else if ($0 ~ /^line: /) { entry_line[entry] = substr($0, 7) }
      next
    }
    {
      for (i = 1; i <= entry; i++) {
        s = entry_side[i]
        if (s != side && s != "all" && s != side " against " other &&
            !(s == "linux" && (side == "sim" || side == "x11"))) continue
        if ($0 ~ entry_line[i]) { print i > hits; next_line = 1; break }
      }
      if (next_line) { next_line = 0; next }
      print
    }' "$conformance_list" "$conformance_dir/$1.out" > "$conformance_dir/$1-$2.kept"
}

# conformance_compare SIDE: SIDE's kept lines equal Wine's.
conformance_compare() {
  conformance_filter wine "$1" && conformance_filter "$1" wine || return 1
  diff -u --label wine --label "$1" "$conformance_dir/wine-$1.kept" "$conformance_dir/$1-wine.kept" \
    > "$conformance_dir/$1.diff" && return 0
  echo "$1 differs from wine in lines not listed in platform/conformance/known_differences.txt:"
  head -n 60 "$conformance_dir/$1.diff"
  return 1
}

# Entries that no output matched this time: fixed, gone stale, or (as noted in
# their reasons) seen only in some runs.
conformance_report_unused() {
  local entries i
  entries=$(grep -c '^side: ' "$conformance_list" || true)
  cat "$conformance_dir"/*.hits 2> /dev/null | sort -u > "$conformance_dir/hits" || true
  for i in $(seq 1 "$entries"); do
    grep -qx "$i" "$conformance_dir/hits" && continue
    echo "note: known difference $i matched no line: $(grep '^line: ' "$conformance_list" | sed -n "${i}p")"
  done
}

if check "conformance programs build (linux sim, linux x11, windows)" conformance_build; then
  conformance_own_prefix=
  if [ -z "${WINEPREFIX:-}" ]; then
    conformance_own_prefix=$(mktemp -d /tmp/quon-conformance-wine.XXXXXX)
  fi
  if check "conformance program runs under wine" conformance_run wine \
      env WINEPREFIX="${WINEPREFIX:-$conformance_own_prefix}" WINEDEBUG=-all \
      "$conformance_wine" "$conformance_windows_exe"; then
    for conformance_side in sim x11; do
      if check "conformance program runs against $conformance_side" conformance_run "$conformance_side" \
          "$QUON_ROOT/build/linux/platform/conformance/win32_conformance_$conformance_side"; then
        check "conformance: $conformance_side output equals wine's but for the listed differences" \
          conformance_compare "$conformance_side"
      fi
    done
    conformance_report_unused
  fi
  if [ -n "$conformance_own_prefix" ]; then
    WINEPREFIX=$conformance_own_prefix "$(dirname "$(command -v "$conformance_wine")")/wineserver" -k 2> /dev/null || true
    rm -rf "$conformance_own_prefix"
  fi
fi
rm -rf "$conformance_dir"

# The x11-labelled tests once more under each window manager: openbox (EWMH),
# twm (ICCCM only), evilwm (EWMH without _NET_WM_MOVERESIZE) and i3 (tiling).
# Mapping, focus, maximizing, closing and moving then go through it. Each runs
# on a private Xvfb of its own, all at once; QUON_X11_WM names it to the tests.
quon_wm_dir=$(mktemp -d /tmp/quon-x11-wm.XXXXXX)
quon_wm_names=(openbox twm evilwm i3)
quon_wm_runs=()
for quon_wm in "${quon_wm_names[@]}"; do
  (
    quon_background=()
    unset WINEPREFIX  # the Wine stage's server is not ours to stop
    trap stop_background EXIT
    start=$(date +%s)
    start_xvfb && start_window_manager "$quon_wm" "$quon_wm_dir/$quon_wm.wm.log" || exit 1
    QUON_X11_WM=$quon_wm ctest --test-dir "$QUON_ROOT/build/linux" -L x11 -j 1 --output-on-failure --timeout 1800 || true
    stop_window_manager
    echo "under $quon_wm on $DISPLAY: $(( $(date +%s) - start )) s"
  ) > "$quon_wm_dir/$quon_wm.log" 2>&1 &
  quon_wm_runs+=($!)
done
for i in "${!quon_wm_names[@]}"; do
  quon_wm=${quon_wm_names[$i]}
  wait "${quon_wm_runs[$i]}" || true
  echo "--- the x11 tests under $quon_wm"
  cat "$quon_wm_dir/$quon_wm.log"
  if grep -qE 'tests? failed out of' "$quon_wm_dir/$quon_wm.log"; then
    count_results "$quon_wm_dir/$quon_wm.log"
  else
    quon_failed=$((quon_failed + 1)); echo "the x11 tests did not run under $quon_wm"
  fi
done
rm -rf "$quon_wm_dir"

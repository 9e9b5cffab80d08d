# The x11-labelled tests once more, with a window manager (openbox) running on
# the test X server: mapping, focus, maximizing, closing and moving then go
# through it.
quon_openbox_config=$(mktemp -d /tmp/quon-openbox.XXXXXX)
openbox --sm-disable --config-file /dev/null > "$quon_openbox_config/log" 2>&1 &
quon_openbox=$!
quon_background+=("$quon_openbox")
quon_wm_ready=0
for _ in $(seq 1 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id'; then quon_wm_ready=1; break; fi
  sleep 0.1
done
if [ "$quon_wm_ready" -eq 1 ]; then
  run_ctest build/linux -L x11 -j 1
else
  quon_failed=$((quon_failed + 1)); echo "openbox did not start on $DISPLAY"; cat "$quon_openbox_config/log"
fi
kill "$quon_openbox" 2> /dev/null || true
wait "$quon_openbox" 2> /dev/null || true
rm -rf "$quon_openbox_config"

# The game end to end on the test X server: started, driven with xdotool and
# seen through screenshots of the root window.
#
# game_e2e NAME COMMAND... runs every check against one way of starting the
# game (COMMAND), e.g. the Linux build, or wine with the Windows build.

game_e2e_title_pattern='^Kelvaro / Quon [+] Vantrel$'
game_e2e_dir=$(mktemp -d /tmp/quon-game-e2e.XXXXXX)

# game_e2e_start COMMAND...: starts the game, waits for its window; sets
# game_e2e_pid, game_e2e_window and the client area's origin game_e2e_x/_y.
game_e2e_start() {
  : > "$game_e2e_dir/out"; : > "$game_e2e_dir/err"
  env -u QUON_EXAMPLE_TEST "$@" > "$game_e2e_dir/out" 2> "$game_e2e_dir/err" &
  game_e2e_pid=$!
  game_e2e_window=
  local i
  for i in $(seq 1 300); do
    game_e2e_window=$(xdotool search --onlyvisible --name "$game_e2e_title_pattern" 2> /dev/null | head -n 1 || true)
    [ -z "$game_e2e_window" ] && kill -0 "$game_e2e_pid" 2> /dev/null || break
    sleep 0.2
  done
  [ -n "$game_e2e_window" ] || { echo "no game window appeared"; cat "$game_e2e_dir/err"; return 1; }
  game_e2e_locate
  xdotool windowfocus --sync "$game_e2e_window" 2> /dev/null || true
  sleep 1
}

# game_e2e_locate: the client area's origin on the screen into game_e2e_x/_y,
# its size into game_e2e_w/_h.
game_e2e_locate() {
  local info
  info=$(xwininfo -id "$game_e2e_window")
  game_e2e_x=$(awk '/Absolute upper-left X/ {print $NF}' <<< "$info")
  game_e2e_y=$(awk '/Absolute upper-left Y/ {print $NF}' <<< "$info")
  game_e2e_w=$(awk '/Width:/ {print $NF}' <<< "$info")
  game_e2e_h=$(awk '/Height:/ {print $NF}' <<< "$info")
}

# game_e2e_stop: ends a game that is still running.
game_e2e_stop() {
  if [ -n "${game_e2e_pid:-}" ] && kill -0 "$game_e2e_pid" 2> /dev/null; then
    kill "$game_e2e_pid" 2> /dev/null || true
    wait "$game_e2e_pid" 2> /dev/null || true
  fi
  game_e2e_pid=
}

# game_e2e_shot FILE: the client area (1000 x 700) as a PNG.
game_e2e_shot() {
  import -window root -crop "1000x700+${game_e2e_x}+${game_e2e_y}" +repage "$1"
}

# game_e2e_pixel FILE X Y: "r g b" of one client pixel.
game_e2e_pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | sed -n 's/^[^(]*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' | head -n 1
}

# game_e2e_expect_colour FILE X Y R G B [TOLERANCE]: each channel within the tolerance (default 4).
game_e2e_expect_colour() {
  local file=$1 x=$2 y=$3 tolerance=${7:-4} seen
  seen=$(game_e2e_pixel "$file" "$x" "$y")
  awk -v seen="$seen" -v r="$4" -v g="$5" -v b="$6" -v t="$tolerance" 'BEGIN {
    split(seen, c, " ")
    ok = (c[1] - r <= t && r - c[1] <= t && c[2] - g <= t && g - c[2] <= t && c[3] - b <= t && b - c[3] <= t)
    exit ok ? 0 : 1 }' || { echo "pixel ($x, $y) is ($seen), expected about ($4 $5 $6)"; return 1; }
}

# game_e2e_ball_x FILE: the x of the ball's centre, from its row 2 below the
# centre (17 pixels of ball colour there); empty when no ball is seen on y 450.
game_e2e_ball_x() {
  convert "$1" -crop "1000x1+0+452" -depth 8 txt:- | awk -F'[,:() ]+' '
    NR > 1 {
      x = $1; r = $3; g = $4; b = $5
      if (r >= 239 && r <= 255 && g >= 232 && g <= 255 && b >= 207 && b <= 231) {
        if (first == "") first = x; last = x; n++
      }
    }
    END { if (n >= 12 && last - first <= 18) print int((first + last) / 2) }'
}

# game_e2e_green_one FILE: the places and colours of what the scene draws of
# green 1 wherever the ball is.
game_e2e_green_one() {
  local shot=$1 status=0
  game_e2e_expect_colour "$shot" 20 60 17 27 34 || status=1        # background behind the titles
  game_e2e_expect_colour "$shot" 2 156 58 167 184 6 || status=1    # sea at the top of the play band
  game_e2e_expect_colour "$shot" 65 394 235 214 157 || status=1    # sand, widest row
  game_e2e_expect_colour "$shot" 400 560 103 191 112 || status=1   # grass, d = 175
  game_e2e_expect_colour "$shot" 592 388 213 197 133 || status=1   # bunker rim
  game_e2e_expect_colour "$shot" 538 380 231 216 161 || status=1   # bunker sand
  game_e2e_expect_colour "$shot" 728 302 32 83 66 || status=1      # cup of green 1
  game_e2e_expect_colour "$shot" 750 248 225 131 105 || status=1   # flag
  game_e2e_expect_colour "$shot" 20 690 17 27 34 || status=1       # below the play band
  return $status
}

# The first frames: the places and colours the scene draws for a fresh game.
game_e2e_first_frames() {
  local shot=$game_e2e_dir/first.png
  game_e2e_shot "$shot"
  local status=0
  game_e2e_green_one "$shot" || status=1
  game_e2e_expect_colour "$shot" 244 452 251 244 219 || status=1   # ball on the tee
  game_e2e_expect_colour "$shot" 243 462 71 123 95 || status=1     # its shadow
  [ "$(game_e2e_ball_x "$shot")" = 240 ] || { echo "ball not found at x 240"; status=1; }
  [ "$status" -ne 0 ] || cp "$shot" "$game_e2e_dir/screenshot-$game_e2e_name.png"
  return $status
}

# A press right of the tee, a drag and a release strike one shot toward the
# release point: the ball runs right along y 450 at up to 264 px/s.
game_e2e_shot_travels() {
  local x0=$game_e2e_x y0=$game_e2e_y
  xdotool mousemove --sync $((x0 + 400)) $((y0 + 450)) mousedown 1
  sleep 0.3
  xdotool mousemove --sync $((x0 + 380)) $((y0 + 440))
  sleep 0.3
  xdotool mousemove --sync $((x0 + 400)) $((y0 + 450))
  sleep 0.2
  xdotool mouseup 1
  local start
  start=$(date +%s.%N)
  sleep 0.6
  game_e2e_shot "$game_e2e_dir/rolling1.png"
  local t1
  t1=$(date +%s.%N)
  sleep 1.0
  game_e2e_shot "$game_e2e_dir/rolling2.png"
  local t2 b1 b2
  t2=$(date +%s.%N)
  b1=$(game_e2e_ball_x "$game_e2e_dir/rolling1.png")
  b2=$(game_e2e_ball_x "$game_e2e_dir/rolling2.png")
  echo "ball x after the release: $b1, then $b2"
  [ -n "$b1" ] && [ -n "$b2" ] || { echo "ball left y 450"; return 1; }
  # Play time never runs ahead of the wall clock: a bound of 264 px/s plus
  # the wind's push (at most 10 px/s^2) and a pixel of rounding.
  awk -v s="$start" -v t1="$t1" -v t2="$t2" -v b1="$b1" -v b2="$b2" 'BEGIN {
    e1 = t1 - s + 0.1; e2 = t2 - s + 0.1
    ok = b1 > 241 && b1 <= 241 + 264 * e1 + 5 * e1 * e1 && b2 > b1 && b2 <= 241 + 264 * e2 + 5 * e2 * e2
    exit ok ? 0 : 1 }'
}

# "N" without a holed ball changes nothing; "R" puts the ball back on the tee.
game_e2e_keys() {
  local before after
  before=$(game_e2e_ball_x "$game_e2e_dir/rolling2.png")
  sleep 3
  game_e2e_shot "$game_e2e_dir/rest.png"
  xdotool key n
  sleep 0.5
  game_e2e_shot "$game_e2e_dir/after-n.png"
  local rest after_n
  rest=$(game_e2e_ball_x "$game_e2e_dir/rest.png")
  after_n=$(game_e2e_ball_x "$game_e2e_dir/after-n.png")
  echo "ball x: $before, at rest or rolling $rest, after N $after_n"
  [ -n "$rest" ] && [ -n "$after_n" ] && [ "$after_n" -ge "$rest" ] || return 1
  game_e2e_expect_colour "$game_e2e_dir/after-n.png" 750 248 225 131 105 || return 1  # still green 1's flag
  xdotool key r
  sleep 0.5
  game_e2e_shot "$game_e2e_dir/after-r.png"
  after=$(game_e2e_ball_x "$game_e2e_dir/after-r.png")
  echo "after R: $after"
  [ "$after" = 240 ]
}

# Another client unmaps and maps the window: without a window manager the focus
# stays off it until a click activates it again, and that click's press, drag
# and release shoot. The ball rests on the tee after game_e2e_keys.
game_e2e_click_after_remap() {
  xdotool windowunmap --sync "$game_e2e_window" && xdotool windowmap --sync "$game_e2e_window" || return 1
  sleep 0.5
  game_e2e_shot_travels
}

# A drag of the caption band (the client area's top rows) moves the window by
# the drag's distance.
game_e2e_caption_drag() {
  local x0=$game_e2e_x y0=$game_e2e_y i
  xdotool mousemove --sync $((x0 + 500)) $((y0 + 20)) mousedown 1
  for i in 1 2 3 4 5; do
    sleep 0.05
    xdotool mousemove --sync $((x0 + 500 + 20 * i)) $((y0 + 20 + 10 * i))
  done
  sleep 0.2
  xdotool mouseup 1
  sleep 0.5
  game_e2e_locate
  [ "$game_e2e_x" -eq $((x0 + 100)) ] && [ "$game_e2e_y" -eq $((y0 + 50)) ] ||
    { echo "window at $game_e2e_x, $game_e2e_y; expected $((x0 + 100)), $((y0 + 50))"; return 1; }
}

# Another client makes the window taller than the screen: once settled the scene
# stands at its client positions, and a press still aims where it is made.
game_e2e_resize_beyond_screen() {
  xdotool windowsize "$game_e2e_window" 1280 1100 || return 1
  sleep 1
  game_e2e_locate
  game_e2e_shot "$game_e2e_dir/resized.png"
  game_e2e_green_one "$game_e2e_dir/resized.png" || return 1
  xdotool key r
  sleep 0.5
  game_e2e_shot_travels
}

# A window manager that ends with the pointer over the game leaves the focus
# at PointerRoot: the game is inactive until a click, and that click's press,
# drag and release shoot.
game_e2e_window_manager_exits() {
  xdotool windowsize "$game_e2e_window" 1000 700
  xdotool key r
  sleep 0.5
  openbox --sm-disable --config-file "$(window_manager_config openbox)" > /dev/null 2>&1 &
  local manager=$! i
  for i in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  sleep 1
  game_e2e_locate
  # A click on the heads-up texts (no shot) lets the window manager focus the game.
  xdotool mousemove --sync $((game_e2e_x + 500)) $((game_e2e_y + 680)) click 1
  sleep 0.5
  xdotool mousemove --sync $((game_e2e_x + 600)) $((game_e2e_y + 600))
  kill "$manager"
  wait "$manager" 2> /dev/null || true
  sleep 1
  game_e2e_locate
  game_e2e_shot_travels
}

# The game's own minimize area, then another client resizes or moves the window
# and maps it: the scene stands at its client positions and a press aims where
# it is made.
game_e2e_minimized_then_changed() {
  local change=$1
  xdotool windowsize "$game_e2e_window" 1000 700
  xdotool key r
  sleep 0.5
  game_e2e_locate
  xdotool mousemove --sync $((game_e2e_x + game_e2e_w - 115)) $((game_e2e_y + 20)) click 1
  sleep 0.5
  case $change in
    resize) xdotool windowsize "$game_e2e_window" 800 600 ;;
    move) xdotool windowmove "$game_e2e_window" 100 100 ;;
  esac
  xdotool windowmap --sync "$game_e2e_window" || return 1
  sleep 1
  game_e2e_locate
  game_e2e_shot "$game_e2e_dir/changed-$change.png"
  local status=0
  game_e2e_expect_colour "$game_e2e_dir/changed-$change.png" 750 248 225 131 105 || status=1  # flag
  game_e2e_expect_colour "$game_e2e_dir/changed-$change.png" 728 302 32 83 66 || status=1     # cup
  game_e2e_expect_colour "$game_e2e_dir/changed-$change.png" 400 560 103 191 112 || status=1  # grass
  game_e2e_expect_colour "$game_e2e_dir/changed-$change.png" 244 452 251 244 219 || status=1  # ball on the tee
  [ "$status" -eq 0 ] || return 1
  game_e2e_shot_travels
}

# "ESCAPE" ends the game with status 0 and nothing on standard error.
game_e2e_escape() {
  xdotool key Escape
  local i
  for i in $(seq 1 100); do
    kill -0 "$game_e2e_pid" 2> /dev/null || break
    sleep 0.1
  done
  local status=0
  wait "$game_e2e_pid" || status=$?
  game_e2e_pid=
  [ "$status" -eq 0 ] && [ ! -s "$game_e2e_dir/err" ] || { echo "status $status, stderr:"; head "$game_e2e_dir/err"; return 1; }
}

# The self-test needs no X server at all: it passes with DISPLAY pointing nowhere.
game_e2e_self_test_without_window() {
  local out status=0
  out=$(QUON_EXAMPLE_TEST=1 DISPLAY=:0.99 "$@" 2> "$game_e2e_dir/self-err") || status=$?
  [ "$status" -eq 0 ] && [ "$(printf '%s' "$out" | tr -d '\r')" = "tamsel: pass" ] && [ ! -s "$game_e2e_dir/self-err" ]
}

game_e2e() {
  local name=$1; shift
  game_e2e_name=$name
  if game_e2e_start "$@"; then
    check "$name: first frames show the island" game_e2e_first_frames
    check "$name: a press, drag and release shoot the ball along y 450" game_e2e_shot_travels
    check "$name: N and R" game_e2e_keys
    check "$name: after another client unmaps and maps the window, a click activates it and shoots" \
      game_e2e_click_after_remap
    check "$name: a drag of the caption band moves the window" game_e2e_caption_drag
    check "$name: resized beyond the screen, the scene and the aim stay at their client positions" \
      game_e2e_resize_beyond_screen
    # Wine's own X driver, without a window manager, leaves a minimized window
    # mapped and counts it minimized whatever another client does to it.
    if [ "$name" = linux ]; then
      check "$name: minimized, resized by another client and mapped, the scene and the aim stay at their client positions" \
        game_e2e_minimized_then_changed resize
      check "$name: minimized, moved by another client and mapped, the aim stays where the press is made" \
        game_e2e_minimized_then_changed move
    fi
    check "$name: after a window manager ends with the pointer over the game, a click activates it and shoots" \
      game_e2e_window_manager_exits
    check "$name: ESCAPE ends with status 0" game_e2e_escape
  else
    check "$name: the game window opens" false
  fi
  game_e2e_stop
  check "$name: the self-test opens no window" game_e2e_self_test_without_window "$@"
}

game_e2e linux "$QUON_ROOT/build/linux/example/kelvaro"
# The Windows build under Wine, when the Windows stage has built it.
if [ -n "${quon_wine:-}" ] && [ -f "$QUON_ROOT/build/windows/example/kelvaro.exe" ]; then
  game_e2e windows "$quon_wine" "$QUON_ROOT/build/windows/example/kelvaro.exe"
fi
# The Linux screenshot of the first frames, for the README's docs/screenshot.png.
if [ -f "$game_e2e_dir/screenshot-linux.png" ]; then
  cp "$game_e2e_dir/screenshot-linux.png" "$QUON_ROOT/build/linux/example/screenshot.png" || true
fi
rm -rf "$game_e2e_dir"

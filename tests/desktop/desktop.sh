# What the desktop tests share, sourced by each. The caller defines fail(), and sets $work (a scratch
# folder), $pids (processes to end), $width and $height (the screen).

# Starts Xvfb at $width x $height and openbox on it, and exports DISPLAY. A CI machine running other
# tests beside this one can take many seconds to bring either up, so both get half a minute, and an
# openbox that ended on its own (it can lose a race with the new server) is started once more.
start_desktop() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  pids+=($xvfb)
  for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
  for _ in 1 2; do
    openbox >"$work/openbox.log" 2>&1 &
    wm=$!
    pids+=($wm)
    for _ in $(seq 300); do
      wmctrl -m >/dev/null 2>&1 && return 0
      kill -0 "$wm" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$wm" 2>/dev/null && break
  done
  fail "openbox did not start on $DISPLAY: $(cat "$work/openbox.log")"
}

# `windows` (xdotool's list) is exactly one window, at 0,0 and as large as the screen; it becomes $window.
whole_screen_window() {
  local step=$1 windows=$2 info
  [ "$(grep -c . <<<"$windows")" -eq 1 ] || fail "$step: visible windows: ${windows:-none}"
  info=$(xwininfo -id "$windows")
  for want in "Absolute upper-left X:  0" "Absolute upper-left Y:  0" "Width: $width" "Height: $height"; do
    # Not through a pipe: with pipefail, grep -q leaving early can fail the echo that feeds it.
    grep -q "$want" <<<"$info" || fail "$step: the window is not the whole screen: $info"
  done
  window=$windows
}

# Waits until $window's title reads `title`.
wait_for_title() {
  local step=$1 title=$2
  for _ in $(seq 300); do
    [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "$title" ] && return 0
    sleep 0.1
  done
  fail "$step: the window's title is '$(xdotool getwindowname "$window" 2>/dev/null)', not '$title'"
}

# What the desktop tests share, sourced by each. The caller defines fail(), and sets $work (a scratch
# folder), $pids (processes to end), $width and $height (the screen).

# Starts Xvfb at $width x $height and openbox on it, and exports DISPLAY.
start_desktop() {
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "${width}x${height}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb=$!
  pids+=($xvfb)
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$work/display")"
  openbox >"$work/openbox.log" 2>&1 &
  wm=$!
  pids+=($wm)
  for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
  wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"
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

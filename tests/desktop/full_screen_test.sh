#!/usr/bin/env bash
# The real program on a desktop with a real window manager (Xvfb + openbox at 1920x1080): one visible
# window covering the screen at every step, and a drill that lives through another program taking the
# focus and through close requests from the window manager and from Alt+F4.
# Usage: full_screen_test.sh BARDRILL DEMO_GEN
set -euo pipefail
bardrill=$1
demo_gen=$2
for tool in Xvfb openbox xdotool wmctrl xwininfo xmessage import compare; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  exit 1
}

# A school laid out afresh, with this build's program in its program folder.
"$demo_gen" "$work/school" >/dev/null
cp "$bardrill" "$work/school/ソネタ/bardrill"

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"

echo 'pcm.!default { type null }' >"$work/alsa.conf"
(cd "$work/school/ソネタ" && ALSA_CONFIG_PATH="$work/alsa.conf" ASAN_OPTIONS=detect_leaks=0 \
  exec ./bardrill >"$work/bardrill.log" 2>&1) &
program=$!
pids+=($program)

# Exactly one visible window of the program, at 0,0 and as large as the screen.
one_window() {
  local step=$1 windows
  windows=$(xdotool search --onlyvisible --pid "$program" 2>/dev/null || true)
  [ "$(echo "$windows" | grep -c .)" -eq 1 ] || fail "$step: visible windows: ${windows:-none}"
  local info
  info=$(xwininfo -id "$windows")
  for want in "Absolute upper-left X:  0" "Absolute upper-left Y:  0" "Width: 1920" "Height: 1080"; do
    echo "$info" | grep -q "$want" || fail "$step: the window is not the whole screen: $info"
  done
  window=$windows
}
# Waits until the screen shows what `step` expects: the window's title reads `title`.
wait_for_title() {
  local step=$1 title=$2
  for _ in $(seq 200); do
    [ "$(xdotool getwindowname "$window" 2>/dev/null)" = "$title" ] && return 0
    sleep 0.1
  done
  fail "$step: the window's title is '$(xdotool getwindowname "$window")', not '$title'"
}
# The screen without the drill's running time, to compare one moment with another.
still() {
  import -window root "$work/$1.png"
  convert "$work/$1.png" -fill black -draw "rectangle 1000,0 1350,150" "$work/$1.png"
}

for _ in $(seq 300); do
  xdotool search --onlyvisible --pid "$program" >/dev/null 2>&1 && break
  kill -0 "$program" 2>/dev/null || fail "the program ended: $(cat "$work/bardrill.log")"
  sleep 0.1
done
sleep 0.5
window=""
one_window "name selection"
wait_for_title "name selection" "ソネタ 名前選び"

# The first child of the list (the teachers come first), then "1": the hub; "1" again: a drill.
xdotool key --window "$window" Down Down Down
xdotool type --window "$window" 1
wait_for_title "the hub" "ソネタ 成績"
sleep 1
one_window "the hub"
xdotool type --window "$window" 1
sleep 2
one_window "the drill"
xdotool type --window "$window" 7
sleep 0.5
still before

# Another program takes the focus and gives it back; then the window manager is asked to close the
# window, and Alt+F4 is pressed on it.
xmessage -geometry +100+100 "another program" &
other=$!
pids+=($other)
other_window=""
for _ in $(seq 50); do
  other_window=$(xdotool search --onlyvisible --class Xmessage 2>/dev/null | head -1) && [ -n "$other_window" ] && break
  sleep 0.1
done
[ -n "$other_window" ] || fail "the other program showed no window"
xdotool windowactivate --sync "$other_window"
[ "$(xdotool getwindowfocus)" != "$window" ] || fail "the other program never had the focus"
sleep 0.5
kill "$other"
xdotool windowactivate --sync "$window"
sleep 0.5
wmctrl -i -c "$window"
sleep 0.5
xdotool key --window "$window" alt+F4
sleep 1
kill -0 "$program" 2>/dev/null || fail "a close request ended the program during a drill"
one_window "the drill after the close requests"
still after
difference=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)
[ "$difference" = "0" ] || fail "the drill changed (a restart draws a new problem and clears the typed 7): $difference pixels"

#!/usr/bin/env bash
# The real program on a desktop with a real window manager (Xvfb + openbox) at the screen sizes schools
# have, 800x600 to 1920x1080: one visible window covering the screen; the name screen, the hub and a
# drill painted whole, with nothing left over from an earlier problem (what the X server shows equals
# what the program draws when told to draw everything afresh); every number box of a drill with its
# four borders. At 1024x768 also: a drill that lives through another program taking the focus, close
# requests from the window manager and Alt+F4, and a minimise request; and a teacher who prints the
# charts and a month to PDF files through the print dialog, typing file names with digits in them.
# Usage: full_screen_test.sh BARDRILL DEMO_GEN
set -euo pipefail
bardrill=$1
demo_gen=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=desktop.sh
source "$here/desktop.sh"
for tool in Xvfb openbox xdotool wmctrl xwininfo xmessage xrefresh import compare convert python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup"; exit 1; }
done

work=$(mktemp -d)
pids=()
# DESKTOP_TEST_KEEP=DIR keeps the screenshots and PDFs there, to look at.
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ -n "${DESKTOP_TEST_KEEP:-}" ]; then
    mkdir -p "$DESKTOP_TEST_KEEP"
    cp "$work"/*.png "$work"/*.pdf "$DESKTOP_TEST_KEEP"/ 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED at ${size:-?}: $*"
  [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" 2>/dev/null
  [ -n "${program:-}" ] && [ -f "$work/bardrill.log" ] && cat "$work/bardrill.log"
  exit 1
}

# A school laid out afresh, with this build's program in its program folder.
"$demo_gen" "$work/school" >/dev/null
cp "$bardrill" "$work/school/ソネタ/bardrill"
echo 'pcm.!default { type null }' >"$work/alsa.conf"

# Starts a desktop of `size` and the program on it.
start() {
  size=$1
  width=${size%x*}
  height=${size#*x}
  start_desktop
  (cd "$work/school/ソネタ" && ALSA_CONFIG_PATH="$work/alsa.conf" ASAN_OPTIONS=detect_leaks=0 \
    exec ./bardrill >"$work/bardrill.log" 2>&1) &
  program=$!
  pids+=($program)
  for _ in $(seq 300); do
    xdotool search --onlyvisible --pid "$program" >/dev/null 2>&1 && break
    kill -0 "$program" 2>/dev/null || fail "the program ended: $(cat "$work/bardrill.log")"
    sleep 0.1
  done
  sleep 0.5
  window=""
  one_window "name selection"
  wait_for_title "name selection" "ソネタ 名前選び"
}

stop() {
  kill "$program" "$wm" "$xvfb" 2>/dev/null || true
  wait "$program" "$wm" "$xvfb" 2>/dev/null || true
  program=""
}

# Exactly one visible window of the program, at 0,0 and as large as the screen.
one_window() {
  whole_screen_window "$1" "$(xdotool search --onlyvisible --pid "$program" 2>/dev/null || true)"
}
# The screen as it is; on the drill less its running time (the top bar), which may tick between shots.
shot() {
  import -window root "$work/$1.png"
  [ "${2:-}" = drill ] || return 0
  local bar
  bar=$(python3 "$here/screen_geometry.py" "$width" "$height" 15390 10800 0 900 | cut -d' ' -f2)
  convert "$work/$1.png" -fill black -draw "rectangle 0,0 $width,$bar" "$work/$1.png"
}
# Two shots differ in no more than a blinking text caret's pixels.
same_shots() {
  local difference
  difference=$(compare -metric AE -fuzz 8% "$work/$1.png" "$work/$2.png" null: 2>&1 || true)
  [ "${difference%% *}" -le 24 ] 2>/dev/null
}
# The shot `name` once the screen has stopped changing (two shots in a row the same), or after ten
# seconds: a busy machine may still be painting when a fixed pause is over.
settled_shot() {
  local name=$1 step=$2
  shot "$name" "$step"
  for _ in $(seq 30); do
    sleep 0.3
    shot "$name-next" "$step"
    same_shots "$name" "$name-next" && return 0
    mv "$work/$name-next.png" "$work/$name.png"
  done
}
# What the X server shows equals what the program draws when every window is exposed afresh: an area
# never painted, or edges of an earlier problem left standing, differ. Both shots wait for the screen
# to settle, so a slow paint is not taken for a stray edge, and a stray edge (which stays) still shows.
painted_whole() {
  local step=$1 difference
  settled_shot "$step-shown" "$step"
  xrefresh
  sleep 0.4
  settled_shot "$step-redrawn" "$step"
  difference=$(compare -metric AE -fuzz 8% "$work/$step-shown.png" "$work/$step-redrawn.png" null: 2>&1 || true)
  same_shots "$step-shown" "$step-redrawn" || fail "$step: $difference pixels differ from a fresh drawing"
}
# Clicks the point of the hub where its design's twips x, y lie.
click_twips() {
  local x y
  read -r x y < <(python3 "$here/screen_geometry.py" "$width" "$height" 15360 11100 "$1" "$2")
  xdotool mousemove "$x" "$y" click 1
  sleep "${3:-1}"
}

# ---- a child's path at every size ------------------------------------------------------------------
for size in 800x600 1024x768 1366x768 1920x1080; do
  start "$size"
  painted_whole "names"
  # The first child of the list (the teachers come first), then "1": the hub; "3": a mixed drill.
  xdotool key --window "$window" Down Down Down
  xdotool type --window "$window" 1
  wait_for_title "the hub" "ソネタ 成績"
  sleep 1
  one_window "the hub"
  painted_whole "hub"
  xdotool type --window "$window" 3
  wait_for_title "the drill" "ソネタ"
  sleep 1.5
  one_window "the drill"
  import -window root "$work/drill-first-$size.png"
  python3 "$here/number_boxes.py" "$work/drill-first-$size.png" || fail "the first problem's number boxes"
  # Answers from 1 up: the right ones bring new problems of both kinds, whose boxes stand elsewhere.
  keys=()
  for answer in $(seq 1 60); do keys+=($(echo "$answer" | grep -o .) Return); done
  xdotool key --delay 8 --window "$window" "${keys[@]}"
  sleep 1
  if [ "$(xdotool getwindowname "$window")" = "ソネタ" ]; then
    painted_whole "drill"
    import -window root "$work/drill-later-$size.png"
    python3 "$here/number_boxes.py" "$work/drill-later-$size.png" || fail "a later problem's number boxes"
  fi
  kill -0 "$program" 2>/dev/null || fail "the program ended during the drill"
  stop
done

# ---- focus, close and minimise requests mid-drill (1024x768) -------------------------------------
start 1024x768
xdotool key --window "$window" Down Down Down
xdotool type --window "$window" 1
wait_for_title "the hub" "ソネタ 成績"
sleep 1
xdotool type --window "$window" 1
sleep 2
one_window "the drill"
xdotool type --window "$window" 7
sleep 0.5
import -window root "$work/before.png"
convert "$work/before.png" -fill black -draw "rectangle 0,0 1024,60" "$work/before.png"

xmessage -geometry +100+100 "another program" &
other=$!
pids+=($other)
other_window=""
for _ in $(seq 300); do
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
# The window manager is asked to iconify the window, as Alt+Space's menu does: it comes straight back.
xdotool windowminimize "$window"
sleep 1.5
# A busy machine may take a while to map and paint the window again: look for half a minute.
difference=""
for _ in $(seq 30); do
  kill -0 "$program" 2>/dev/null || fail "a close or minimise request ended the program during a drill"
  if grep -q "Map State: IsViewable" <<<"$(xwininfo -id "$window")"; then
    import -window root "$work/after.png"
    convert "$work/after.png" -fill black -draw "rectangle 0,0 1024,60" "$work/after.png"
    difference=$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)
    [ "$difference" = "0" ] && break
  fi
  sleep 1
done
one_window "the drill after the close and minimise requests"
[ -n "$difference" ] || fail "the window stayed minimised"
[ "$difference" = "0" ] || fail "the drill changed (a restart draws a new problem and clears the typed 7): $difference pixels"
stop

# ---- a teacher prints in full screen (1024x768) ----------------------------------------------------
# Prints through the dialog that `click` opens, to a PDF file whose name is typed, digits and all.
print_to() {
  local what=$1 pdf=$2 dialog="" attempt
  for _ in $(seq 150); do
    dialog=$(xdotool search --onlyvisible --name '^印刷$' 2>/dev/null | head -1) && [ -n "$dialog" ] && break
    sleep 0.1
  done
  [ -n "$dialog" ] || fail "$what: no print dialog"
  # On a loaded machine a key can go astray (before the dialog has settled, or to the file name's
  # completion list when it opens late): type again while the dialog stays.
  for attempt in 1 2 3; do
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    sleep 0.5
    xdotool key --window "$dialog" alt+f ctrl+a
    xdotool type --window "$dialog" "$pdf"
    sleep 0.3
    # 印刷(P): Enter could go to the file name's completion list instead.
    xdotool key --window "$dialog" alt+p
    for _ in $(seq 100); do
      xdotool search --onlyvisible --name '^印刷$' >/dev/null 2>&1 || break
      sleep 0.1
    done
    xdotool search --onlyvisible --name '^印刷$' >/dev/null 2>&1 || break
  done
  for _ in $(seq 300); do
    [ -s "$pdf" ] && break
    kill -0 "$program" 2>/dev/null || fail "$what: printing ended the program"
    sleep 0.1
  done
  sleep 1
  kill -0 "$program" 2>/dev/null || fail "$what: printing ended the program"
  [ "$(head -c 4 "$pdf" 2>/dev/null)" = "%PDF" ] || fail "$what: no PDF written to $pdf"
  one_window "$what: after printing"
  wait_for_title "$what: after printing" "ソネタ 成績"
}

start 1024x768
xdotool key --window "$window" Down
xdotool type --window "$window" 1
wait_for_title "the teacher's hub" "ソネタ 成績"
sleep 1
click_twips 5940 1590 2     # 個人ﾀｲﾑ
click_twips 12150 1620 3    # グラフ
click_twips 13830 5070 2    # 他の人のデータを見る
click_twips 13830 5490 2    # the first child of the list
click_twips 14520 1620 2    # 印刷: the chosen child's charts
print_to "the charts" "$work/chart-2026-12.pdf"
click_twips 13830 9930 2    # 月報印刷: the chosen child's month
print_to "the month" "$work/month-2026-11.pdf"
stop
echo "passed"

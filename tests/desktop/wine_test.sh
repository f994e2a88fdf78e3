#!/usr/bin/env bash
# The Windows installer under Wine, as a school meets it: installed per machine (msiexec /qn) into a Wine
# prefix of its own; a school laid out with the installed bardrill-school.exe and a class list imported;
# the program started through the school's own launcher on a virtual desktop with openbox (1024x768):
# one window covering the screen, Japanese drawn; a child's drill through to its record in the results
# file, living through another program taking the focus and a close request mid-drill; and an uninstall
# that leaves the school as it was.
# Usage: wine_test.sh BARDRILL.msi
set -euo pipefail
msi=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=desktop.sh
source "$here/desktop.sh"
for tool in wine wineboot wineserver Xvfb openbox xdotool wmctrl xwininfo xmessage import python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup and scripts/test-windows"; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  wineserver --kill 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ -n "${DESKTOP_TEST_KEEP:-}" ]; then
    mkdir -p "$DESKTOP_TEST_KEEP"
    cp "$work"/*.png "$DESKTOP_TEST_KEEP"/ 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAILED: $*"
  [ -n "${DISPLAY:-}" ] && import -window root "$work/failure.png" 2>/dev/null
  [ -f "$work/program.log" ] && tail -20 "$work/program.log"
  [ -n "${DESKTOP_TEST_KEEP:-}" ] && mkdir -p "$DESKTOP_TEST_KEEP" && cp "$work/failure.png" "$DESKTOP_TEST_KEEP"/ 2>/dev/null
  exit 1
}

# winedbg off: a crash ends the process instead of waiting on Wine's crash dialog.
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# No sound card here: ALSA's null device stands in for one.
echo 'pcm.!default { type null }' >"$work/alsa.conf"
export ALSA_CONFIG_PATH="$work/alsa.conf"

width=1024
height=768
start_desktop

wineboot --init >/dev/null 2>&1 || true
wineserver --wait
wineserver --persistent
wine cmd /c exit </dev/null >/dev/null 2>&1 || true

# ---- installed per machine ---------------------------------------------------------------------------
drive_c="$WINEPREFIX/drive_c"
installed="$drive_c/Program Files/bardrill/bin"
wine msiexec /i "$(winepath -w "$msi")" /qn >"$work/msiexec.log" 2>&1 || fail "msiexec /i: $(cat "$work/msiexec.log")"
for file in bardrill.exe bardrill-school.exe bardrill-report.exe Qt6Core.dll libstdc++-6.dll \
  plugins/platforms/qwindows.dll fonts/ipagp.ttf; do
  [ -f "$installed/$file" ] || fail "the installer did not put $file in Program Files\\bardrill\\bin"
done
find "$drive_c" -path '*Start Menu*' -name 'bardrill.lnk' | grep -q . || fail "no Start-menu entry"

# ---- a school laid out with the installed tool -------------------------------------------------------
school='C:\学習塾'
wine 'C:\Program Files\bardrill\bin\bardrill-school.exe' init "$school" --school-name "ためし塾" \
  --password 1234 >"$work/init.log" 2>&1 || fail "bardrill-school init: $(cat "$work/init.log")"
printf '\xEF\xBB\xBF番号,学年,名前,状態\r\n1,小3,山田 花子,0\r\n' >"$drive_c/class.csv"
wine 'C:\Program Files\bardrill\bin\bardrill-school.exe' roster import "$school" 'C:\class.csv' \
  >"$work/import.log" 2>&1 || fail "bardrill-school roster import: $(cat "$work/import.log")"
school_unix="$drive_c/学習塾"
results="$school_unix/共通/ソネタ/成績累積データ.dat"
[ -f "$school_unix/ソネタ/bardrill.exe" ] || fail "the school's program folder has no bardrill.exe"
[ -f "$school_unix/共通/音フォルダ/合格.wav" ] || fail "the school has no sounds"
wine 'C:\Program Files\bardrill\bin\bardrill-school.exe' check "$school" >"$work/check.log" 2>&1 ||
  fail "bardrill-school check: $(cat "$work/check.log")"

# ---- the program through the school's launcher -------------------------------------------------------
window=""
start_program() {
  # Every draw 0: each bar problem is 4 and 4, asking their total.
  (BARDRILL_FIXED_RANDOM=0 exec wine "$school\\ソネタ\\bardrill.exe" >>"$work/program.log" 2>&1) &
  pids+=($!)
  window=""
  for _ in $(seq 600); do
    window=$(xdotool search --onlyvisible --name '^ソネタ 名前選び$' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "no name screen within 60 s"
  sleep 1
}
# Exactly one visible window of the program, at 0,0 and as large as the screen.
one_window() {
  whole_screen_window "$1" "$(xdotool search --onlyvisible --name '^(ソネタ|終了)' 2>/dev/null || true)"
}
start_program
one_window "the name screen"
import -window root "$work/names.png"
# The teacher comes first; the child second.
xdotool key --window "$window" Down Down
xdotool type --window "$window" 1
wait_for_title "the hub" "ソネタ 成績"
sleep 1
one_window "the hub"
import -window root "$work/hub.png"
xdotool type --window "$window" 1
wait_for_title "the drill" "ソネタ"
sleep 1.5
one_window "the drill"
import -window root "$work/drill.png"
before=$(stat -c %s "$results" 2>/dev/null || echo 0)

# Another program takes the focus, and the window manager asks the window to close: the drill goes on.
xdotool type --window "$window" 8
xdotool key --window "$window" Return
xmessage -geometry +100+100 "another program" &
other=$!
pids+=($other)
other_window=""
for _ in $(seq 300); do
  other_window=$(xdotool search --onlyvisible --class Xmessage 2>/dev/null | head -1) && [ -n "$other_window" ] && break
  sleep 0.1
done
[ -n "$other_window" ] || fail "the other program showed no window"
xdotool windowactivate --sync "$other_window" || true
sleep 0.5
kill "$other"
xdotool windowactivate --sync "$window" || true
sleep 0.5
wmctrl -i -c "$window"
sleep 1
one_window "the drill after a close request"
[ "$(xdotool getwindowname "$window")" = "ソネタ" ] || fail "a close request left the drill"

# Nine more right answers complete the drill.
for _ in $(seq 9); do
  xdotool type --window "$window" 8
  xdotool key --window "$window" Return
  sleep 0.3
done
for _ in $(seq 300); do
  [ "$(stat -c %s "$results" 2>/dev/null || echo 0)" -gt "$before" ] && break
  sleep 0.1
done
after=$(stat -c %s "$results" 2>/dev/null || echo 0)
[ "$after" -eq $((before + 44)) ] || fail "the results file grew from $before to $after bytes, not by one record"
sleep 1
import -window root "$work/completion.png"
one_window "the completion screen"

# ---- uninstalled, the school stays -------------------------------------------------------------------
wineserver --kill 2>/dev/null || true
wineserver --wait 2>/dev/null || true
(cd "$school_unix" && find . -type f -exec sha256sum {} + | sort) >"$work/school-before.txt"
wine msiexec /x "$(winepath -w "$msi")" /qn >"$work/msiexec-x.log" 2>&1 || fail "msiexec /x: $(cat "$work/msiexec-x.log")"
[ ! -e "$installed/bardrill.exe" ] || fail "uninstalling left bardrill.exe"
(cd "$school_unix" && find . -type f -exec sha256sum {} + | sort) >"$work/school-after.txt"
diff "$work/school-before.txt" "$work/school-after.txt" >/dev/null || fail "uninstalling changed the school's folder"
echo "passed"

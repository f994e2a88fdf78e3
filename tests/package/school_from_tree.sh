#!/usr/bin/env bash
# A teacher's set-up with the programs of one tree (the build's, or the package unpacked into a folder):
# lay out a school, import a class list that a spreadsheet saved as Shift-JIS CSV, check the school, and
# start the program from the school's own folder on a virtual display until its name selection screen
# shows. The school's launcher must start PROGRAM, the program of that tree.
# Usage: school_from_tree.sh BARDRILL_SCHOOL PROGRAM [SCREENSHOT.png]
set -euo pipefail
tool=$1
program=$2
shot=${3:-}
for needed in Xvfb xdotool iconv; do
  command -v "$needed" >/dev/null || { echo "missing $needed: run scripts/setup"; exit 1; }
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

"$tool" init "$work/school" --school-name テスト塾 --password 1234 >"$work/init.log" || fail "init: $(cat "$work/init.log")"
grep -q "roster import" "$work/init.log" || fail "init does not tell what to do next"
grep -qF "exec '$program' --program-folder" "$work/school/ソネタ/bardrill" ||
  fail "the school's launcher does not start $program: $(cat "$work/school/ソネタ/bardrill")"

printf '番号,学年,名前,状態\r\n1,小3,山田 太郎,0\r\n2,中1,佐藤 花子,0\r\n3,小6,鈴木 一郎,2\r\n' |
  iconv -f UTF-8 -t CP932 >"$work/class.csv"
"$tool" roster import "$work/school" "$work/class.csv" >"$work/import.log" 2>&1 || fail "import: $(cat "$work/import.log")"
grep -q "4 students written, 3 of them listed" "$work/import.log" || fail "import: $(cat "$work/import.log")"
"$tool" check "$work/school" >"$work/check.log" 2>&1 || fail "check: $(cat "$work/check.log")"
grep -q "The school is ready" "$work/check.log" || fail "check: $(cat "$work/check.log")"
mv "$work/school/共通/音フォルダ/合格.wav" "$work/pass.wav"
if "$tool" check "$work/school" >"$work/broken.log" 2>&1; then fail "check passed a school without 合格.wav"; fi
grep -q "合格.wav" "$work/broken.log" || fail "check did not name 合格.wav: $(cat "$work/broken.log")"
mv "$work/pass.wav" "$work/school/共通/音フォルダ/合格.wav"

Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start: $(cat "$work/xvfb.log")"; exit 1; }
export DISPLAY=":$(cat "$work/display")"
echo 'pcm.!default { type null }' >"$work/alsa.conf"
# Started as a child starts it: through a desktop shortcut made as a symbolic link to the launcher.
mkdir "$work/デスクトップ"
ln -s "$work/school/ソネタ/bardrill" "$work/デスクトップ/ドリル"
(cd "$work" && QT_QPA_PLATFORM=xcb ALSA_CONFIG_PATH="$work/alsa.conf" ASAN_OPTIONS=detect_leaks=0 \
  exec "$work/デスクトップ/ドリル" >"$work/bardrill.log" 2>&1) &
started=$!
pids+=($started)
title=""
for _ in $(seq 300); do
  for window in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    name=$(xdotool getwindowname "$window" 2>/dev/null || true)
    case "$name" in *名前選び*) title=$name ;; *) ;; esac
  done
  [ -n "$title" ] && break
  kill -0 "$started" 2>/dev/null || fail "the program ended: $(cat "$work/bardrill.log")"
  sleep 0.1
done
[ "$title" = "ソネタ 名前選び" ] || fail "no name selection screen showed: $(cat "$work/bardrill.log")"
if [ -n "$shot" ]; then
  sleep 1
  import -window root "$shot"
fi
echo "ok: init, import, check and the program started from a link to the school's launcher ($tool)"

#!/usr/bin/env bash
# Checks the Debian package as a school PC would meet it: its metadata and dependencies, its contents,
# the desktop entry and the AppStream metainfo, and, unpacked into a scratch folder, a school laid out,
# filled, checked and started with the unpacked programs (school_from_tree.sh).
# Usage: package_test.sh bardrill_VERSION_amd64.deb [SCREENSHOT.png]
set -euo pipefail
deb=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*"
  exit 1
}
field() { dpkg-deb -f "$deb" "$1"; }

version=$(basename "$deb" | sed -n 's/^bardrill_\(.*\)_amd64\.deb$/\1/p')
[ -n "$version" ] || fail "$deb is not named bardrill_<version>_amd64.deb"
[ "$(field Package)" = bardrill ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version $(field Version), file name $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
depends=$(field Depends)
for library in libqt6widgets6 libqt6printsupport6 libicu72 libsndfile1 libasound2 libstdc++6 qt6-qpa-plugins \
  fonts-ipafont-gothic; do
  echo "$depends" | grep -q "\b$library\b" || fail "Depends lacks $library: $depends"
done

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's#^\./#/#' >"$work/contents"
for path in /usr/bin/bardrill /usr/bin/bardrill-report /usr/bin/bardrill-school \
  /usr/share/applications/org.bardrill.bardrill.desktop \
  /usr/share/icons/hicolor/scalable/apps/org.bardrill.bardrill.svg \
  /usr/share/metainfo/org.bardrill.bardrill.metainfo.xml /usr/share/bardrill/sounds/新音ファイル.txt \
  /usr/share/bardrill/sounds/合格.wav /usr/share/bardrill/sounds/最高1.wav /usr/share/doc/bardrill/README.md \
  /usr/share/doc/bardrill/copyright; do
  grep -qxF "$path" "$work/contents" || fail "the package lacks $path"
done
if grep -vE '^/usr/(bin|share)/' "$work/contents" | grep -v '^/usr/$' | grep -q .; then
  fail "the package installs outside /usr/bin and /usr/share: $(grep -vE '^/usr/(bin|share)/' "$work/contents")"
fi

# The long description: each line after the summary starts with one blank, so that apt wraps them as
# one paragraph (two blanks would print a line as it stands).
field Description | tail -n +2 >"$work/description"
if grep -qv '^ [^ ]' "$work/description"; then fail "description lines not wrapped: $(cat "$work/description")"; fi
grep -q 'workbook' "$work/description" || fail "the description leaves out the workbook: $(cat "$work/description")"

tree="$work/unpacked"
dpkg-deb -x "$deb" "$tree"
head -1 "$tree/usr/share/doc/bardrill/copyright" |
  grep -qxF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the machine-readable format"
desktop-file-validate "$tree/usr/share/applications/org.bardrill.bardrill.desktop" ||
  fail "desktop-file-validate refused the desktop entry"
grep -q '^Name\[ja\]=' "$tree/usr/share/applications/org.bardrill.bardrill.desktop" || fail "no Japanese name"
appstreamcli validate --no-net "$tree/usr/share/metainfo/org.bardrill.bardrill.metainfo.xml" >"$work/appstream.log" ||
  fail "appstreamcli refused the metainfo: $(cat "$work/appstream.log")"
grep -q "release version=\"$version\"" "$tree/usr/share/metainfo/org.bardrill.bardrill.metainfo.xml" ||
  fail "the metainfo's release is not $version"
for program in bardrill bardrill-report bardrill-school; do
  if ldd "$tree/usr/bin/$program" | grep -q "not found"; then fail "$program: $(ldd "$tree/usr/bin/$program")"; fi
done

"$here/school_from_tree.sh" "$tree/usr/bin/bardrill-school" "$tree/usr/bin/bardrill" "${2:-}"
echo "1 passed, 0 failed: the package $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

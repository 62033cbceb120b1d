#!/usr/bin/env bash
# Checks what a user installs, from a configured and built folder (default:
# build): the desktop entry and metainfo validate; an install into a
# temporary prefix with DESTDIR stays under it and the program runs from
# there; the Debian package holds what it should, and unpacked anywhere its
# program runs headless on a local page.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
app_id=org.skelvornax.Browser
scratch=$(mktemp -d /tmp/skelvornax-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

desktop-file-validate "data/$app_id.desktop"
appstreamcli validate --no-net --pedantic "$build/$app_id.metainfo.xml" >"$scratch/appstream.log" ||
  { cat "$scratch/appstream.log"; exit 1; }
echo "package-check: desktop entry and metainfo are valid"

page=$scratch/page.htm
echo '<!DOCTYPE html><html><head><title>Package Check</title></head><body>It runs.</body></html>' >"$page"
expect_files() {  # root, then paths that must exist under it
  local root=$1; shift
  for f in "$@"; do [ -e "$root/$f" ] || { echo "package-check: $f missing under $root" >&2; exit 1; }; done
}
installed=(bin/skelvornax libexec/skelvornax/skelvornax-browser share/skelvornax/skelvorn.ini
  share/skelvornax/SiteLists/CatList.dab share/skelvornax/Images/Click.wav share/skelvornax/skelvornaxHelp.htm
  "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$app_id.svg" "share/icons/hicolor/48x48/apps/$app_id.png")

# Install with DESTDIR into a prefix chosen only now.
DESTDIR=$scratch/stage cmake --install "$build" --prefix /opt/skv >/dev/null
outside=$(find "$scratch/stage" -type f | grep -v "^$scratch/stage/opt/skv/" || true)
[ -z "$outside" ] || { echo "package-check: installed outside the prefix: $outside" >&2; exit 1; }
expect_files "$scratch/stage/opt/skv" "${installed[@]}"
scripts/headless.sh scripts/wait-for-window.sh "Package Check - skelvornax" 30 \
  "$scratch/stage/opt/skv/bin/skelvornax" "$page"
echo "package-check: installed under DESTDIR, runs from there"

# The Debian package, unpacked into a folder of its own.
(cd "$build" && cpack -G DEB -B "$scratch/deb" >/dev/null)
deb=$(ls "$scratch"/deb/*.deb)
dpkg-deb -f "$deb" Depends | grep -q libwebkit2gtk-4.1 ||
  { echo "package-check: no dependencies found for $deb" >&2; exit 1; }
dpkg-deb -c "$deb" >"$scratch/contents"
for f in "${installed[@]}"; do
  grep -q "\./usr/$f\$" "$scratch/contents" || { echo "package-check: $f not in $deb" >&2; exit 1; }
done
dpkg-deb -x "$deb" "$scratch/unpacked"
scripts/headless.sh scripts/wait-for-window.sh "Package Check - skelvornax" 30 \
  "$scratch/unpacked/usr/bin/skelvornax" "$page"
echo "package-check: $(basename "$deb") holds the program, its data and desktop files, and runs unpacked"

#!/usr/bin/env bash
# Installs the Debian 12 packages skelvornax builds, runs and tests with.
# Safe to run again: packages already present are skipped.
set -euo pipefail

PACKAGES=(
  g++ cmake make pkg-config
  libgtkmm-3.0-dev libwebkit2gtk-4.1-dev libsoup-3.0-dev nlohmann-json3-dev libxxhash-dev
  libgstreamer1.0-dev gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth dbus dbus-x11 x11-utils
  fonts-dejavu-core
  clang clang-format clang-tidy libclang-rt-14-dev
  desktop-file-utils appstream dpkg-dev file openssl
  webext-ublock-origin-firefox
)
# webext-ublock-origin-firefox only supplies the ad filter lists copied into
# the build; the program's package neither depends on it nor recommends it.

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO="sudo"
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Runs a command on a private X server and D-Bus session, with fresh
# temporary home, data and runtime folders, so nothing touches a real profile.
# The X server never resets: by default it does when its last client leaves,
# and a test starting during that reset finds no display.
set -euo pipefail
scratch=$(mktemp -d /tmp/skelvornax-headless.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/home" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share" XDG_RUNTIME_DIR="$scratch/runtime"
export XDG_CONFIG_HOME="$scratch/home/.config" XDG_CACHE_HOME="$scratch/home/.cache"
export WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS=1 WEBKIT_DISABLE_COMPOSITING_MODE=1
export GDK_BACKEND=x11 NO_AT_BRIDGE=1 LIBGL_ALWAYS_SOFTWARE=1
exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24 -maxclients 1024 -noreset" "$@"

#!/usr/bin/env bash
# Takes screenshots of the program under Xvfb: the main window on every tab, and the windows
# after demo sessions with the built-in simulated module. Pinned scale, style and fonts, so the
# pictures are the same on every machine.
#   ./scripts/screenshots.sh [build-dir] [out-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-screenshots}
exe=$build/src/gui/qvprog
[ -x "$exe" ] || { echo "build $exe first" >&2; exit 2; }
mkdir -p "$out"
export QT_SCALE_FACTOR=1 QT_AUTO_SCREEN_SCALE_FACTOR=0 QT_QPA_PLATFORMTHEME=
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A fresh user: the demo module's memory starts empty every time.
HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CONFIG_HOME=$home/.config \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$exe" --demo --screenshots="$out"
# The windows a tour cannot reach without hardware, driven by their window tests.
./scripts/screenshot-monitor.sh "$out" >/dev/null
BUILD="$build" ./scripts/screenshot-history-firmware.sh "$out" >/dev/null
ls "$out"

#!/usr/bin/env bash
# Takes screenshots of the program under Xvfb: the main window on every tab, and the windows
# after demo sessions with the built-in simulated module. Pinned scale and style, so the
# pictures are the same on every machine; the fonts are the machine's unless FONTS names one of
# the layout test's font sets.
#   [FONTS=liberation|dejavu|noto] [SCALE=1|1.25|1.5] ./scripts/screenshots.sh [build-dir] [out-dir]
# FONTS uses the fonts.conf the build generates for the layout test (tests/gui/fontsets/): only
# that set's fonts are seen, as on a machine that has no others.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-screenshots}
exe=$build/src/gui/qvprog
[ -x "$exe" ] || { echo "build $exe first" >&2; exit 2; }
mkdir -p "$out"
export QT_SCALE_FACTOR=${SCALE:-1} QT_AUTO_SCREEN_SCALE_FACTOR=0 QT_QPA_PLATFORMTHEME=
if [ -n "${FONTS:-}" ]; then
    conf=$(realpath "$build/tests/gui/fontsets/$FONTS/fonts.conf")
    [ -f "$conf" ] || { echo "no font set $FONTS in $build (configure the build first)" >&2; exit 2; }
    export FONTCONFIG_FILE=$conf
fi
# A screen as large in logical pixels at every scale.
screen=$(awk -v s="$QT_SCALE_FACTOR" 'BEGIN { printf "%dx%d", 1280 * s, 1024 * s }')
export QVPROG_XVFB_SCREEN=$screen
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A fresh user: the demo module's memory starts empty every time.
HOME=$home XDG_DATA_HOME=$home/.local/share XDG_CONFIG_HOME=$home/.config \
    xvfb-run -a -s "-screen 0 ${screen}x24" "$exe" --demo --screenshots="$out"
# The windows a tour cannot reach without hardware, driven by their window tests.
BUILD="$build" ./scripts/screenshot-monitor.sh "$out" >/dev/null
BUILD="$build" ./scripts/screenshot-history-firmware.sh "$out" >/dev/null
BUILD="$build" ./scripts/screenshot-sms.sh "$out" >/dev/null
ls "$out"

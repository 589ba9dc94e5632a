#!/usr/bin/env bash
# Under Xvfb: the history window after reading a busy simulated module's event buffer, and the
# firmware window with a file chosen (and the counters window after a read). Pictures go to the folder given (default: screenshots/).
# Needs a build with the window tests (cmake --build build).
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="${1:-screenshots}"
BUILD="${BUILD:-build}"
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
QVPROG_SCREENSHOT_DIR="$OUT" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=${QT_SCALE_FACTOR:-1} \
    QT_QPA_PLATFORMTHEME= xvfb-run -a -s "-screen 0 ${QVPROG_XVFB_SCREEN:-1280x1024}x24" \
    "$BUILD/tests/gui/gui_history_firmware_counters_test" screenshots
ls -l "$OUT/history-window.png" "$OUT/firmware-window.png" "$OUT/counters-window.png"

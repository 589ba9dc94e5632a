#!/usr/bin/env bash
# Under Xvfb: the SMS window in the middle of a batch through the simulated modem (real clock),
# with a reply of the module shown. The picture goes to the folder given (default:
# screenshots/) as sms-window.png. Needs a build with the window tests (cmake --build build).
set -euo pipefail
cd "$(dirname "$0")/.."
OUT="${1:-screenshots}"
BUILD="${BUILD:-build}"
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
QVPROG_SCREENSHOT_DIR="$OUT" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=${QT_SCALE_FACTOR:-1} \
    QT_QPA_PLATFORMTHEME= xvfb-run -a -s "-screen 0 ${QVPROG_XVFB_SCREEN:-1280x1024}x24" \
    "$BUILD/tests/gui/gui_sms_window_test" screenshotDuringABatch
ls -l "$OUT/sms-window.png"

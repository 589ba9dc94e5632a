#!/usr/bin/env bash
# Saves pictures of the monitor window fed by the simulated module, under Xvfb, to
# ${1:-screenshots}/monitor.png, monitor-waiting.png and monitor-trends.png (the trend tab after
# ten minutes of the module's stream with the mains failing and an input alarm). Needs a build
# in build/ (./scripts/test.sh or the README's build command).
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-screenshots}")"
mkdir -p "$out"
QVPROG_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=${QT_SCALE_FACTOR:-1} \
    QT_QPA_PLATFORMTHEME= xvfb-run -a -s "-screen 0 ${QVPROG_XVFB_SCREEN:-1280x1024}x24" \
    "${BUILD:-build}"/tests/gui/gui_monitor_window_test screenshotOnSimulatedModule
echo "$out/monitor.png"
echo "$out/monitor-trends.png"

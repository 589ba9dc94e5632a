#!/usr/bin/env bash
# Saves pictures of the window's start on a machine with one USB-serial adapter and with none
# (the ports are a test's fake, so no adapter is needed), and of the port settings with an
# adapter and one without its driver, under Xvfb, to ${1:-screenshots}/port-start-one-adapter.png,
# port-start-several.png,
# port-start-no-adapter.png and port-settings.png. Needs a build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-screenshots}")"
mkdir -p "$out"
QVPROG_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=${QT_SCALE_FACTOR:-1} \
    QT_QPA_PLATFORMTHEME= xvfb-run -a -s "-screen 0 ${QVPROG_XVFB_SCREEN:-1280x1024}x24" \
    "${BUILD:-build}"/tests/gui/gui_port_window_test screenshotsOfTheStart
echo "$out/port-start-one-adapter.png"
echo "$out/port-start-several.png"
echo "$out/port-start-no-adapter.png"
echo "$out/port-settings.png"

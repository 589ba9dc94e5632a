#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds QVProg and runs it.
#   ./scripts/run.sh            the window (on the built-in simulated module without an adapter)
#   ./scripts/run.sh ARGS...    qvprog-cli with these arguments
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export CCACHE_DIR="${CCACHE_DIR:-$PWD/.cache/ccache}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cli=build/src/cli/qvprog-cli
if [ $# -gt 0 ]; then
    exec "$cli" "$@"
fi
# The window: on the module's port when a USB-serial adapter is attached, otherwise on the
# built-in simulated module.
args=()
if ! ls /dev/ttyUSB* /dev/ttyACM* >/dev/null 2>&1; then
    echo "No USB-serial adapter found: the window starts on the built-in simulated module (--demo)."
    args+=(--demo)
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display (DISPLAY is not set): starting under a virtual X server (xvfb-run)."
    exec xvfb-run -a build/src/gui/qvprog "${args[@]}"
fi
exec build/src/gui/qvprog "${args[@]}"

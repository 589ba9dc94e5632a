#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (only what building and running needs), builds the two
# programs into build-app/ and runs one of them.
#   ./scripts/run.sh            the window, qvprog (on the built-in simulated module when no
#                               USB-serial adapter is attached); it needs a display
#   ./scripts/run.sh ARGS...    the command line, qvprog-cli ARGS..., in the caller's folder
# Everything but the program's own output goes to standard error.
set -euo pipefail
caller=$PWD
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build-app
gui=$build/src/gui/qvprog
cli=$build/src/cli/qvprog-cli

has_display() { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }

./scripts/setup.sh run >&2
export CCACHE_DIR="${CCACHE_DIR:-$root/.cache/ccache}"
mkdir -p "$build"
log=$build/run-build.log
if ! { cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQVPROG_BUILD_TESTS=OFF -DQVPROG_BUILD_BENCH=OFF &&
       cmake --build "$build" -j"$(nproc)" --target qvprog qvprog-cli; } >"$log" 2>&1; then
    tail -30 "$log" >&2
    echo "run.sh: the build failed; the whole log is $log" >&2
    exit 1
fi
echo "Built: $gui and $cli" >&2

if [ $# -gt 0 ]; then
    cd "$caller"
    exec "$cli" "$@"
fi

if ! has_display; then
    echo "run.sh: no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot" \
         "open; start it from a desktop session or over 'ssh -X', or use the command line:" \
         "./scripts/run.sh --help" >&2
    exit 3
fi
# The window: on the module's port when a USB-serial adapter is attached, otherwise on the
# built-in simulated module.
args=()
if ! compgen -G '/dev/ttyUSB*' >/dev/null && ! compgen -G '/dev/ttyACM*' >/dev/null; then
    echo "No USB-serial adapter found: the window starts on the built-in simulated module (--demo)." >&2
    args+=(--demo)
fi
cd "$caller"
exec "$gui" "${args[@]}"

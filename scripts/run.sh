#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds QVProg and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export CCACHE_DIR="${CCACHE_DIR:-$PWD/.cache/ccache}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/src/gui/qvprog ]; then
    exec build/src/gui/qvprog "$@"
fi
# Until the window exists, show what the command-line tool makes of the default configuration.
out="${TMPDIR:-/tmp}/qvprog-default.qvx"
build/src/cli/qvprog-cli defaults "$out"
build/src/cli/qvprog-cli info "$out"

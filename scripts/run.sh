#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds QVProg and runs it.
#   ./scripts/run.sh            the program, on the built-in simulated module
#   ./scripts/run.sh ARGS...    qvprog-cli with these arguments
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
export CCACHE_DIR="${CCACHE_DIR:-$PWD/.cache/ccache}"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/src/gui/qvprog ] && [ $# -eq 0 ]; then
    exec build/src/gui/qvprog
fi
cli=build/src/cli/qvprog-cli
if [ $# -gt 0 ]; then
    exec "$cli" "$@"
fi
# Until the window exists: the command-line tool with the default configuration and the
# built-in simulated module (its memory kept in a state file).
work="${TMPDIR:-/tmp}/qvprog-demo"
mkdir -p "$work"
echo "== The default configuration, saved and opened again"
"$cli" defaults "$work/default.qvx"
"$cli" info "$work/default.qvx"
echo "== Programming the simulated module"
"$cli" write "$work/default.qvx" --port "sim:state=$work/module.json"
echo "== Reading it back"
"$cli" read "$work/readback.qvx" --port "sim:state=$work/module.json"

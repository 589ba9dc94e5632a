#!/usr/bin/env bash
# Measures the desktop program's start-up: from the process start to the main window shown and
# painted, and the resident memory at that point, under Xvfb. Prints the median of N runs.
#   ./scripts/measure-startup.sh [build-dir] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-7}
exe=$build/src/gui/qvprog
[ -x "$exe" ] || { echo "build $exe first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/qvprog" # a writable folder of its own, as a user's copy would have
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    for i in $(seq '"$runs"'); do
        /usr/bin/time -f "%e %M %U %S" "'"$work"'/qvprog" --startup-probe 2>&1 >/dev/null | tail -1
    done' | sort -n | awk '{ t[NR] = $1; m[NR] = $2; c[NR] = $3 + $4 }
        END { i = int((NR + 1) / 2)
              printf "start-up to shown window: %.0f ms wall (median of %d; %.0f ms of CPU), resident memory %.1f MB\n", t[i] * 1000, NR, c[i] * 1000, m[i] / 1024 }'

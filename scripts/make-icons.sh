#!/usr/bin/env bash
# Draws the committed PNG icons from packaging/icons/qvprog.svg (run after editing the SVG).
# Needs rsvg-convert (Debian: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" qvprog.svg -o "qvprog-$size.png"
done

#!/usr/bin/env bash
# Installs what building and testing QVProg needs on a Debian 12 machine (only what is missing).
set -euo pipefail
PACKAGES=(build-essential cmake ninja-build ccache pkg-config
          libgtest-dev libgmock-dev googletest libbenchmark-dev nlohmann-json3-dev
          qt6-base-dev qt6-serialport-dev qt6-multimedia-dev
          xvfb x11-apps imagemagick clang-format fonts-liberation2 fonts-dejavu-core time
          clang libclang-rt-14-dev
          dpkg-dev file desktop-file-utils shared-mime-info)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# A comma-decimal locale, so the tests can show that numbers keep "." under it.
if ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    dpkg -s locales >/dev/null 2>&1 ||
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends locales
    $SUDO sed -i 's/^# *\(pl_PL.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    $SUDO locale-gen >/dev/null
fi

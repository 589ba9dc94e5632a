#!/usr/bin/env bash
# Installs, on a Debian 12 machine, the packages QVProg needs that are missing.
#   ./scripts/setup.sh run     building and running the programs (what run.sh needs)
#   ./scripts/setup.sh test    that, and everything the test command uses (the default)
# Every package a step uses is named here: nothing relies on apt's recommends. As root the
# packages are installed directly, otherwise through sudo; a user who may not use sudo gets the
# exact apt-get command to hand to an administrator.
set -euo pipefail
profile=${1:-test}

# Building and running: compilers, CMake, Qt 6 with its serial port and sound modules, the JSON
# library of the core and SQLite for its configuration archive, the fonts the window's layout
# is drawn for (and the layout test's font sets), and Qt's Polish translations for its own
# dialogs and buttons.
RUN_PACKAGES=(build-essential cmake ninja-build ccache pkg-config nlohmann-json3-dev libsqlite3-dev
              qt6-base-dev qt6-serialport-dev qt6-multimedia-dev
              fonts-liberation2 fonts-dejavu-core qt6-translations-l10n)
# Testing: GoogleTest, Google Benchmark, the X server and its xauth for the window under
# xvfb-run, the package tools (dpkg-shlibdeps, file, desktop-file-validate,
# update-mime-database, lintian, appstreamcli, man, bash-completion), clang with its sanitizer
# and fuzzer run-times, clang-format, a comma-decimal locale, and the screenshot tools.
TEST_PACKAGES=(libgtest-dev libgmock-dev googletest libbenchmark-dev
               xvfb xauth x11-apps imagemagick time
               dpkg-dev file desktop-file-utils shared-mime-info lintian appstream man-db bash-completion
               clang libclang-rt-14-dev clang-format locales poppler-utils)

case "$profile" in
run) packages=("${RUN_PACKAGES[@]}") ;;
test) packages=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}") ;;
*) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing+=("$p")
done

# Runs a command as root: directly, or through sudo when this user may use it. debconf never
# asks (sudo drops the environment, so the variable goes through env).
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        env DEBIAN_FRONTEND=noninteractive "$@"
    else
        sudo env DEBIAN_FRONTEND=noninteractive "$@"
    fi
}
may_sudo() {
    [ "$(id -u)" -eq 0 ] && return 0
    command -v sudo >/dev/null || return 1
    sudo -n true 2>/dev/null && return 0
    # A password is wanted: ask for it only when someone can answer.
    [ -t 0 ] && sudo -v 2>/dev/null
}

needs_locale=0
if [ "$profile" = test ] && ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
    needs_locale=1
fi
((${#missing[@]} || needs_locale)) || exit 0

if ! may_sudo; then
    if ((${#missing[@]})); then
        echo "QVProg needs Debian packages that this user cannot install (not root, no sudo rights);" \
             "as root run: apt-get install -y --no-install-recommends ${missing[*]}" >&2
    else
        echo "The tests need the pl_PL.UTF-8 locale, which this user cannot make (not root, no sudo" \
             "rights); as root run: sed -i 's/^# *pl_PL.UTF-8/pl_PL.UTF-8/' /etc/locale.gen && locale-gen" >&2
    fi
    exit 1
fi

if ((${#missing[@]})); then
    echo "Installing ${#missing[@]} Debian packages: ${missing[*]}"
    as_root apt-get update -qq
    as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# A comma-decimal locale, so the tests can show that numbers keep "." under it.
if ((needs_locale)); then
    as_root sed -i 's/^# *\(pl_PL.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^pl_PL.UTF-8 UTF-8' /etc/locale.gen || echo 'pl_PL.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
fi

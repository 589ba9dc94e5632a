#!/usr/bin/env bash
# Cross-builds Qt's base module for 64-bit Windows from Debian's own qtbase source, once, into a
# cache folder outside the source tree, and prints that folder. A second run finds it and returns
# at once. The folder's name carries Qt's version and a key of the build's options, so a change of
# options builds anew beside the old one.
#   QVPROG_CACHE   the cache folder (default: ~/.cache/qvprog)
#   JOBS           parallel build jobs (default: the number of cores)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
CACHE=${QVPROG_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qvprog}
JOBS=${JOBS:-$(nproc)}
QT_VERSION=6.4.2
TOOLCHAIN=$ROOT/cmake/mingw-w64-x86_64-qt.cmake

# What the program uses: Core, Gui, Widgets, Concurrent (port list off the window's thread),
# Print Support (the printed report) and Test (the window's tests). Everything else is off.
# tabletevent: Debian's source has no wintab; OpenGL stays on, as the Windows platform plug-in of
# this version needs it (it picks dynamic OpenGL).
QT_OPTIONS=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_tabletevent=OFF -DFEATURE_opengl=ON
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
    -DFEATURE_concurrent=ON -DFEATURE_printsupport=ON -DFEATURE_testlib=ON
)
key=$(printf '%s\n' "${QT_OPTIONS[@]}" | cat - "$TOOLCHAIN" | sha256sum | cut -c1-8)
PREFIX=$CACHE/qt-$QT_VERSION-mingw64-$key
if [ -x "$PREFIX/bin/qt-cmake" ] && [ -f "$PREFIX/.complete" ]; then
    echo "$PREFIX"
    exit 0
fi

log() { echo "== $*" >&2; }
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO="sudo DEBIAN_FRONTEND=noninteractive"

# --- Debian's packages: the posix-thread mingw-w64 compilers and the host Qt of the same version
need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
command -v x86_64-w64-mingw32-windres >/dev/null || need+=(binutils-mingw-w64-x86-64)
dpkg -s mingw-w64-tools >/dev/null 2>&1 || need+=(mingw-w64-tools)
command -v ninja >/dev/null || need+=(ninja-build)
command -v cmake >/dev/null || need+=(cmake)
command -v dpkg-source >/dev/null || need+=(dpkg-dev)
command -v xz >/dev/null || need+=(xz-utils)
[ -d /usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo ] || need+=(qt6-base-dev qt6-base-dev-tools)
if ((${#need[@]})); then
    log "installing ${need[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >&2
fi
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
case "$host_version" in
$QT_VERSION*) ;;
*) echo "The host Qt is $host_version, not $QT_VERSION: the cross-build needs the same version." >&2
   exit 1 ;;
esac

# --- The source, from the machine's own apt sources (a deb-src entry made from them) -----------
SRC=$CACHE/src/qtbase-everywhere-src-$QT_VERSION
if [ ! -f "$SRC/CMakeLists.txt" ]; then
    if ! apt-get source --print-uris qt6-base >/dev/null 2>&1 ||
        [ -z "$(apt-get source --print-uris qt6-base 2>/dev/null | grep "qt6-base_$QT_VERSION")" ]; then
        log "adding source entries built from the machine's own apt sources"
        list=/etc/apt/sources.list.d/qvprog-deb-src.sources
        tmp=$(mktemp)
        for f in /etc/apt/sources.list.d/debian.sources; do
            [ -f "$f" ] && sed -n 's/^Types: *deb$/Types: deb-src/p; /^Types:/!p' "$f"
        done >"$tmp"
        if [ ! -s "$tmp" ] && [ -f /etc/apt/sources.list ]; then
            sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list |
                awk '{ print "Types: deb-src"; print "URIs: " $2; print "Suites: " $3;
                       $1=$2=$3=""; sub(/^ */, ""); print "Components: " $0; print "" }' >"$tmp"
        fi
        [ -s "$tmp" ] || { echo "No apt source to take a deb-src entry from." >&2; exit 1; }
        $SUDO install -m 644 "$tmp" "$list"
        rm -f "$tmp"
        $SUDO apt-get update -qq
    fi
    log "getting qtbase $QT_VERSION's source"
    mkdir -p "$CACHE/src"
    (cd "$CACHE/src" && apt-get source --download-only qt6-base >&2)
    orig=$(ls "$CACHE"/src/qt6-base_"$QT_VERSION"*.orig.tar.xz | head -1)
    tar -C "$CACHE/src" -xf "$orig"
fi

# --- Configure and build ---------------------------------------------------------------------
BUILD=$CACHE/build/qt-$QT_VERSION-mingw64-$key
mkdir -p "$BUILD"
start=$(date +%s)
log "configuring Qt $QT_VERSION for Windows (log: $BUILD/configure.log)"
cmake -S "$SRC" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" "${QT_OPTIONS[@]}" >"$BUILD/configure.log" 2>&1 || {
    tail -40 "$BUILD/configure.log" >&2; exit 1; }
log "building Qt (about an hour on two cores; log: $BUILD/build.log)"
cmake --build "$BUILD" -j"$JOBS" >"$BUILD/build.log" 2>&1 || {
    tail -40 "$BUILD/build.log" >&2; exit 1; }
cmake --install "$BUILD" >"$BUILD/install.log" 2>&1
touch "$PREFIX/.complete"
log "Qt built in $(($(date +%s) - start)) s"
echo "$PREFIX"

#!/usr/bin/env bash
# Cross-builds SQLite for 64-bit Windows from Debian's own sqlite3 source (the version Debian 12
# ships), once, into the cache folder Qt's cross-build uses, and prints that prefix: a static
# lib/libsqlite3.a and include/sqlite3.h. A second run finds it and returns at once. The folder's
# name carries SQLite's version and a key of the compiler and options.
# CMake finds it through FindSQLite3 with
#   -DSQLite3_INCLUDE_DIR=<prefix>/include -DSQLite3_LIBRARY=<prefix>/lib/libsqlite3.a
# (the cross toolchains search only the mingw-w64 tree by themselves).
#   QVPROG_CACHE   the cache folder (default: ~/.cache/qvprog)
set -euo pipefail
cd "$(dirname "$0")/.."
CACHE=${QVPROG_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/qvprog}
SQLITE_VERSION=3.40.1
TRIPLET=x86_64-w64-mingw32
CC=$TRIPLET-gcc-posix
# Serialized threads (the program gives each thread its own connection anyway); no extensions
# loaded from files.
OPTIONS=(-O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION)

log() { echo "== $*" >&2; }
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO="sudo DEBIAN_FRONTEND=noninteractive"

# --- Debian's packages: the compilers, and tclsh with a native compiler, which make the
# amalgamation from the source tree
need=()
command -v "$CC" >/dev/null || need+=(gcc-mingw-w64-x86-64-posix)
command -v "$TRIPLET-ar" >/dev/null || need+=(binutils-mingw-w64-x86-64)
command -v dpkg-source >/dev/null || need+=(dpkg-dev)
command -v xz >/dev/null || need+=(xz-utils)
command -v tclsh >/dev/null || need+=(tcl)
command -v gcc >/dev/null || need+=(gcc)
command -v make >/dev/null || need+=(make)
if ((${#need[@]})); then
    log "installing ${need[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >&2
fi

key=$( (printf '%s\n' "${OPTIONS[@]}"; "$CC" --version | head -1) | sha256sum | cut -c1-8)
PREFIX=$CACHE/sqlite-$SQLITE_VERSION-mingw64-$key
if [ -f "$PREFIX/lib/libsqlite3.a" ] && [ -f "$PREFIX/include/sqlite3.h" ] && [ -f "$PREFIX/.complete" ]; then
    echo "$PREFIX"
    exit 0
fi

# --- The source, from the machine's own apt sources (the deb-src entry Qt's script adds) ------
SRC=$CACHE/src/sqlite3-$SQLITE_VERSION
if [ ! -f "$SRC/.unpacked" ]; then
    if [ -z "$(apt-get source --print-uris sqlite3 2>/dev/null | grep "sqlite3_$SQLITE_VERSION")" ]; then
        # The same entry build-windows-qt.sh makes from the machine's own apt sources.
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
    log "getting sqlite3 $SQLITE_VERSION's source"
    mkdir -p "$CACHE/src/download"
    (cd "$CACHE/src/download" && apt-get source --download-only sqlite3 >&2)
    orig=$(ls "$CACHE"/src/download/sqlite3_"$SQLITE_VERSION".orig.tar.* | head -1)
    rm -rf "$SRC"
    mkdir -p "$SRC"
    tar -C "$SRC" --strip-components=1 -xf "$orig"
    touch "$SRC/.unpacked"
fi

# --- The amalgamation: in the source when it ships one, otherwise made from the tree ----------
BUILD=$CACHE/build/sqlite-$SQLITE_VERSION-mingw64-$key
rm -rf "$BUILD"
mkdir -p "$BUILD/native"
if [ -f "$SRC/sqlite3.c" ] && [ -f "$SRC/sqlite3.h" ]; then
    cp "$SRC/sqlite3.c" "$SRC/sqlite3.h" "$BUILD/"
else
    log "making the amalgamation (log: $BUILD/native/make.log)"
    (cd "$BUILD/native" && "$SRC/configure" --disable-tcl >make.log 2>&1 &&
        make sqlite3.c sqlite3.h >>make.log 2>&1) || { tail -30 "$BUILD/native/make.log" >&2; exit 1; }
    cp "$BUILD/native/sqlite3.c" "$BUILD/native/sqlite3.h" "$BUILD/"
fi
grep -q "#define SQLITE_VERSION *\"$SQLITE_VERSION\"" "$BUILD/sqlite3.h" ||
    { echo "the source is not SQLite $SQLITE_VERSION" >&2; exit 1; }

# --- Compile and install ---------------------------------------------------------------------
log "compiling SQLite $SQLITE_VERSION for Windows"
"$CC" "${OPTIONS[@]}" -c "$BUILD/sqlite3.c" -o "$BUILD/sqlite3.o"
rm -rf "$PREFIX"
mkdir -p "$PREFIX/lib" "$PREFIX/include"
"$TRIPLET-ar" rcs "$PREFIX/lib/libsqlite3.a" "$BUILD/sqlite3.o"
cp "$BUILD/sqlite3.h" "$PREFIX/include/"
touch "$PREFIX/.complete"
echo "$PREFIX"

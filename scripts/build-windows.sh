#!/usr/bin/env bash
# Builds QVProg for 64-bit Windows on Debian 12 and puts into dist/:
#   QVProg-<version>-win64-setup.exe   the setup program (NSIS; /S installs silently)
#   QVProg-<version>-win64.zip         the same files as a portable folder
# From a clean clone: installs the Debian packages that are missing, cross-builds Qt's base
# module once into a cache folder (scripts/build-windows-qt.sh; about an hour the first time)
# and SQLite beside it (scripts/build-windows-sqlite.sh; a minute), then builds qvprog.exe and qvprog-cli.exe with Qt's qt-cmake and the same mingw-w64 compilers,
# and gathers what they need beside them: the Qt DLLs, the Windows platform and style plug-ins,
# the C++ run-time DLLs, and Qt's Polish translations. Everything but dist/ stays in
# build-windows/.
#   JOBS          parallel build jobs (default: the number of cores)
#   QVPROG_CACHE  the cache folder for Qt (default: ~/.cache/qvprog)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=$ROOT/build-windows
DIST=$ROOT/dist
JOBS=${JOBS:-$(nproc)}
export JOBS
export CCACHE_DIR="${CCACHE_DIR:-$ROOT/.cache/ccache}"
TRIPLET=x86_64-w64-mingw32
start=$(date +%s)

# --- Debian's packages, installed only when missing -------------------------------------------
missing=()
command -v makensis >/dev/null || missing+=(nsis)
command -v icotool >/dev/null || missing+=(icoutils)
command -v zip >/dev/null || missing+=(zip)
command -v ccache >/dev/null || missing+=(ccache)
[ -f /usr/include/nlohmann/json.hpp ] || missing+=(nlohmann-json3-dev)
[ -f /usr/share/qt6/translations/qtbase_pl.qm ] || missing+=(qt6-translations-l10n)
if ((${#missing[@]})); then
    echo "== installing ${missing[*]}"
    SUDO=
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# --- Qt for Windows (built once, then taken from the cache) ----------------------------------
QT=$("$ROOT/scripts/build-windows-qt.sh" | tail -1)
[ -x "$QT/bin/qt-cmake" ] || { echo "no Qt for Windows in $QT" >&2; exit 1; }
echo "== Qt for Windows: $QT"
# SQLite for the configuration archive, linked in statically.
SQLITE=$("$ROOT/scripts/build-windows-sqlite.sh" | tail -1)
[ -f "$SQLITE/lib/libsqlite3.a" ] || { echo "no SQLite for Windows in $SQLITE" >&2; exit 1; }
echo "== SQLite for Windows: $SQLITE"
VERSION=$(sed -n 's/^project(QVProg VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

# nlohmann-json is header-only: a copy of Debian's, found through its own CMake files, keeps
# the build machine's /usr/include off the Windows compiler's path.
DEPS=$OUT/deps
mkdir -p "$DEPS/include" "$DEPS/share/cmake" "$OUT/logs"
rm -rf "$DEPS/include/nlohmann" "$DEPS/share/cmake/nlohmann_json"
cp -r /usr/include/nlohmann "$DEPS/include/"
cp -r /usr/share/cmake/nlohmann_json "$DEPS/share/cmake/"

# --- The two programs ------------------------------------------------------------------------
echo "== building qvprog.exe and qvprog-cli.exe"
BUILD=$OUT/app
"$QT/bin/qt-cmake" -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQVPROG_BUILD_TESTS=OFF -DQVPROG_WERROR=ON -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
    -Dnlohmann_json_DIR="$DEPS/share/cmake/nlohmann_json" \
    -DSQLite3_INCLUDE_DIR="$SQLITE/include" -DSQLite3_LIBRARY="$SQLITE/lib/libsqlite3.a" \
    >"$OUT/logs/app-configure.log" 2>&1 || {
    tail -30 "$OUT/logs/app-configure.log"; exit 1; }
cmake --build "$BUILD" -j"$JOBS" --target qvprog qvprog-cli >"$OUT/logs/app-build.log" 2>&1 || {
    grep -E 'error|FAILED' "$OUT/logs/app-build.log" | head -30; exit 1; }

# --- The folder the programs run from --------------------------------------------------------
NAME=QVProg-$VERSION-win64
STAGE=$OUT/stage/$NAME
rm -rf "$OUT/stage"
mkdir -p "$STAGE/platforms" "$STAGE/styles"
cp "$BUILD/src/gui/qvprog.exe" "$BUILD/src/cli/qvprog-cli.exe" "$STAGE/"
cp "$QT/plugins/platforms/qwindows.dll" "$STAGE/platforms/"
cp "$QT"/plugins/styles/*.dll "$STAGE/styles/"
if [ -f /usr/share/qt6/translations/qtbase_pl.qm ]; then
    mkdir -p "$STAGE/translations"
    cp /usr/share/qt6/translations/qtbase_pl.qm "$STAGE/translations/"
fi

# Every DLL the programs and plug-ins import, found among Qt's and the mingw-w64 run-time's,
# until nothing new is needed (the system's own DLLs are not found there and stay out).
GCC_DLLS=$(dirname "$("$TRIPLET-g++-posix" -print-file-name=libstdc++-6.dll)")
DLL_DIRS=("$QT/bin" "$GCC_DLLS" "/usr/$TRIPLET/lib")
imports() { "$TRIPLET-objdump" -p "$1" | sed -n 's/^\s*DLL Name: \(.*\)$/\1/p'; }
queue=("$STAGE"/*.exe "$STAGE"/platforms/*.dll "$STAGE"/styles/*.dll)
while ((${#queue[@]})); do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    for dll in $(imports "$file"); do
        [ -e "$STAGE/$dll" ] && continue
        for dir in "${DLL_DIRS[@]}"; do
            if [ -f "$dir/$dll" ]; then
                cp "$dir/$dll" "$STAGE/"
                queue+=("$STAGE/$dll")
                break
            fi
        done
    done
done
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll Qt6Core.dll Qt6Gui.dll \
    Qt6Widgets.dll; do
    [ -f "$STAGE/$dll" ] || { echo "missing beside the programs: $dll" >&2; exit 1; }
done
find "$STAGE" \( -name '*.exe' -o -name '*.dll' \) -exec "$TRIPLET-strip" --strip-unneeded {} +

# --- The portable folder and the setup program ----------------------------------------------
mkdir -p "$DIST"
rm -f "$DIST/$NAME.zip" "$DIST/$NAME-setup.exe"
(cd "$OUT/stage" && zip -qr9 "$DIST/$NAME.zip" "$NAME")

# The uninstaller removes exactly these files, then their folders while empty.
LIST=$OUT/stage/uninstall-files.nsh
{
    (cd "$STAGE" && find . -type f | sort) | sed 's|^\./||; s|/|\\|g; s|.*|    Delete "$INSTDIR\\&"|'
    (cd "$STAGE" && find . -mindepth 1 -type d | sort -r) |
        sed 's|^\./||; s|/|\\|g; s|.*|    RMDir "$INSTDIR\\&"|'
} >"$LIST"
makensis -V2 -DVERSION="$VERSION" -DSTAGE="$STAGE" -DUNINSTALL_LIST="$LIST" \
    -DICON="$BUILD/packaging/windows/qvprog.ico" -DOUTFILE="$DIST/$NAME-setup.exe" \
    "$ROOT/packaging/windows/qvprog.nsi" >"$OUT/logs/makensis.log" 2>&1 || {
    tail -30 "$OUT/logs/makensis.log"; exit 1; }

echo "== dist/"
ls -l "$DIST/$NAME-setup.exe" "$DIST/$NAME.zip" | awk '{ printf "%10d  %s\n", $5, $9 }'
echo "build-windows: $(($(date +%s) - start)) s"

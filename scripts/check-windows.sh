#!/usr/bin/env bash
# Cross-builds the core and its tests for 64-bit Windows with Debian's mingw-w64 and runs every
# test program under Wine; then builds the command line the same way and tries it on files and
# folders with Polish names, started from another folder and through PATH, and on COM ports that
# Wine maps to pseudo-terminals with the tests' own simulated module on the other end.
# When scripts/build-windows.sh has made the setup program (dist/), it is installed silently
# and the installed window and command line are tried too (scripts/check-windows-installed.sh).
# Everything goes to build-windows/ (GoogleTest, built from Debian's googletest source with the
# same compilers, a Wine prefix of its own, the logs). Not part of scripts/test.sh.
#   --no-installer   stop after the command line (no setup program needed)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=$ROOT/build-windows
INSTALLER=1
for arg in "$@"; do
    case $arg in
    --no-installer) INSTALLER=0 ;;
    *) echo "usage: scripts/check-windows.sh [--no-installer]" >&2; exit 2 ;;
    esac
done
JOBS=${JOBS:-$(nproc)}
TOOLCHAIN=$ROOT/cmake/mingw-w64-x86_64.cmake
export CCACHE_DIR="${CCACHE_DIR:-$ROOT/.cache/ccache}"

# --- Debian's packages, installed only when missing -------------------------------------------
missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
[ -x /usr/lib/wine/wine64 ] || missing+=(wine64)
[ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
[ -f /usr/include/nlohmann/json.hpp ] || missing+=(nlohmann-json3-dev)
[ -f /usr/include/sqlite3.h ] || missing+=(libsqlite3-dev)
command -v cmake >/dev/null || missing+=(cmake)
command -v ninja >/dev/null || missing+=(ninja-build)
command -v gcc >/dev/null || missing+=(gcc)
if [ "$INSTALLER" = 1 ]; then
    command -v Xvfb >/dev/null || missing+=(xvfb)
    command -v xdotool >/dev/null || missing+=(xdotool)
    command -v xwd >/dev/null || missing+=(x11-apps)
    command -v convert >/dev/null || missing+=(imagemagick)
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing ${missing[*]}"
    SUDO=; [ "$(id -u)" -eq 0 ] || SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
LAUNCHER=()
command -v ccache >/dev/null && LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

mkdir -p "$OUT/logs"
seconds() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(seconds)" 'BEGIN { printf "%.0f", b - a }'; }

# --- Dependencies for the Windows build: GoogleTest and the header-only nlohmann-json ---------
DEPS=$OUT/deps
build_start=$(seconds)
if [ ! -f "$DEPS/lib/libgtest.a" ] || [ ! -d "$DEPS/lib/cmake/GTest" ]; then
    echo "== GoogleTest from /usr/src/googletest"
    cmake -S /usr/src/googletest -B "$OUT/googletest" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$DEPS" "${LAUNCHER[@]}" >"$OUT/logs/googletest.log"
    cmake --build "$OUT/googletest" -j"$JOBS" >>"$OUT/logs/googletest.log"
    cmake --install "$OUT/googletest" >>"$OUT/logs/googletest.log"
fi
# Its CMake files find the headers relative to themselves, so a copy beside the headers works
# without putting the build machine's /usr/include on the Windows compiler's path.
mkdir -p "$DEPS/include" "$DEPS/share/cmake"
rm -rf "$DEPS/include/nlohmann" "$DEPS/share/cmake/nlohmann_json"
cp -r /usr/include/nlohmann "$DEPS/include/"
cp -r /usr/share/cmake/nlohmann_json "$DEPS/share/cmake/"
JSON_DIR=-Dnlohmann_json_DIR="$DEPS/share/cmake/nlohmann_json"
# SQLite for the archive, cross-built once from Debian's source into the cache Qt's build uses.
SQLITE=$("$ROOT/scripts/build-windows-sqlite.sh" | tail -1)
SQLITE_DIRS=(-DSQLite3_INCLUDE_DIR="$SQLITE/include" -DSQLite3_LIBRARY="$SQLITE/lib/libsqlite3.a")

# --- The core and its tests ------------------------------------------------------------------
echo "== cross-building the core and its tests"
cmake -S . -B "$OUT/core" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVPROG_CORE_ONLY=ON -DQVPROG_WERROR=ON \
    -DGTest_DIR="$DEPS/lib/cmake/GTest" "$JSON_DIR" "${SQLITE_DIRS[@]}" >"$OUT/logs/core-configure.log"
cmake --build "$OUT/core" -j"$JOBS" >"$OUT/logs/core-build.log" || {
    tail -40 "$OUT/logs/core-build.log"; exit 1; }
echo "== cross-building the command line"
cmake -S . -B "$OUT/cli" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVPROG_BUILD_QT=OFF -DQVPROG_BUILD_TESTS=OFF \
    -DQVPROG_WERROR=ON "$JSON_DIR" "${SQLITE_DIRS[@]}" >"$OUT/logs/cli-configure.log"
cmake --build "$OUT/cli" -j"$JOBS" >"$OUT/logs/cli-build.log" || {
    tail -40 "$OUT/logs/cli-build.log"; exit 1; }
echo "== the test harness for COM ports (native)"
cmake -S . -B "$OUT/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVPROG_CORE_ONLY=ON \
    -DQVPROG_WERROR=ON "${LAUNCHER[@]}" >"$OUT/logs/native-configure.log"
cmake --build "$OUT/native" -j"$JOBS" --target pty_module fake_modem_lines \
    >"$OUT/logs/native-build.log" || { tail -40 "$OUT/logs/native-build.log"; exit 1; }
echo "cross-build: $(elapsed "$build_start") s"

# --- Wine, with a prefix of its own ----------------------------------------------------------
export WINEPREFIX=$OUT/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== a new Wine prefix"
    "$WINE" wineboot --init >"$OUT/logs/wineboot.log" 2>&1 || true
    "$WINESERVER" -w
fi
# One server for the whole run, its own output in a log.
"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -p >"$OUT/logs/wineserver.log" 2>&1 || true
# shellcheck source=scripts/wine-com-ports.sh
. "$ROOT/scripts/wine-com-ports.sh"
trap 'stop_pty_peer; "$WINESERVER" -k 2>/dev/null || true' EXIT

echo "== the core's tests under Wine"
run_start=$(seconds)
passed=0 skipped=0 failed=0 programs=0
for exe in "$OUT"/core/tests/*_tests.exe; do
    name=$(basename "$exe" .exe)
    log=$OUT/logs/$name.log
    programs=$((programs + 1))
    rc=0
    timeout 600 "$WINE" "$exe" >"$log" 2>&1 || rc=$?
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tail -1)
    s=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:.*/\1/p' "$log" | tail -1)
    f=$(sed -n 's/^ *\([0-9]*\) FAILED TESTS\?.*/\1/p' "$log" | tail -1)
    passed=$((passed + ${p:-0})) skipped=$((skipped + ${s:-0})) failed=$((failed + ${f:-0}))
    if [ "$rc" -ne 0 ] || [ -z "$p" ]; then
        [ -n "$f" ] || failed=$((failed + 1)) # it stopped before its summary
        echo "FAILED: $name (exit $rc), see $log"
        grep -E '^\[  FAILED  \]|Failure' "$log" | head -20 || true
    else
        echo "ok: $name: ${p} passed${s:+, $s skipped}"
    fi
done
# The Windows port's own tests, on a port whose far end echoes every byte, with an unplugged
# FTDI adapter on COM21 in the machine's registry (its LatencyTimer at 16 ms), and a port the
# test announces in the machine's serial-port map.
ftdi_key='HKLM\SYSTEM\CurrentControlSet\Enum\FTDIBUS\VID_0403+PID_6001+QVTEST1A\0000\Device Parameters'
"$WINE" reg add "$ftdi_key" /v PortName /t REG_SZ /d COM21 /f >/dev/null 2>&1 || true
"$WINE" reg add "$ftdi_key" /v LatencyTimer /t REG_DWORD /d 16 /f >/dev/null 2>&1 || true
start_pty_peer com8 --echo
rc=0
QVPROG_TEST_FTDI_PORT=COM21 QVPROG_TEST_ECHO_PORT=COM8 QVPROG_TEST_MACHINE_PORTS=1 with_modem_lines timeout 300 "$WINE" "$OUT/core/tests/platform/winport_tests.exe" \
    >"$OUT/logs/winport_tests.log" 2>&1 || rc=$?
stop_pty_peer
programs=$((programs + 1))
p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$OUT/logs/winport_tests.log" | tail -1)
passed=$((passed + ${p:-0}))
if [ "$rc" -ne 0 ] || [ -z "$p" ]; then
    failed=$((failed + 1))
    echo "FAILED: winport_tests (exit $rc), see $OUT/logs/winport_tests.log"
else
    echo "ok: winport_tests: $p passed (on COM8, an echoing pseudo-terminal)"
fi
echo "wine run: $(elapsed "$run_start") s"

echo "== the command line under Wine"
smoke=$OUT/smoke
rm -rf "$smoke"
mkdir -p "$smoke/Paweł" "$smoke/Program Łódź" "$smoke/elsewhere"
cp "$OUT/cli/src/cli/qvprog-cli.exe" "$smoke/Program Łódź/"
printf '[SETTINGS]\r\nport=sim\r\n' >"$smoke/Program Łódź/QVPROG2.INI"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
cli_failed=0
check() { # what, then the command
    local what=$1
    shift
    if (cd "$smoke/elsewhere" && "$@") >>"$OUT/logs/cli-smoke.log" 2>&1; then
        echo "ok: $what"
    else
        echo "FAILED: $what, see $OUT/logs/cli-smoke.log"
        cli_failed=$((cli_failed + 1))
    fi
}
: >"$OUT/logs/cli-smoke.log"
cli="..\\Program Łódź\\qvprog-cli.exe"
check "defaults to a full Windows path with Polish letters" \
    "$WINE" "$cli" defaults "$(windows_path "$smoke/Paweł/zażółć.qvx")"
check "convert between relative paths with backslashes" \
    "$WINE" "$cli" convert '..\Paweł\zażółć.qvx' '..\Paweł\łąś.bCFG'
check "both files are there under their names" \
    test -f "$smoke/Paweł/zażółć.qvx" -a -f "$smoke/Paweł/łąś.bCFG"
check "the file name field holds the name alone" \
    env LC_ALL=C grep -q "^ORIGINAL_FILE_NAME=$(printf 'za\277\363\263\346.qvx')" "$smoke/Paweł/zażółć.qvx"
check "info opens the binary file" "$WINE" "$cli" info '..\Paweł\łąś.bCFG'
check "started through PATH it reads QVPROG2.INI beside itself" \
    sh -c "WINEPATH='$(windows_path "$smoke/Program Łódź")' '$WINE' qvprog-cli.exe identify \
           | grep -q '^Port: sim'"

echo "== the command line through COM ports"
com_failed=0
"$ROOT/scripts/check-windows-com.sh" "$OUT/cli/src/cli/qvprog-cli.exe" "$OUT/com" || com_failed=$?

installed_failed=0
if [ "$INSTALLER" = 1 ]; then
    "$WINESERVER" -k 2>/dev/null || true
    "$ROOT/scripts/check-windows-installed.sh" || installed_failed=$?
fi

echo "Windows: $programs test programs, $passed passed, $failed failed, $skipped skipped;" \
     "command line: $cli_failed failed; COM ports: $com_failed failed;" \
     "installed: $([ "$INSTALLER" = 1 ] && echo "$installed_failed failed" || echo "not tried")"
[ "$failed" -eq 0 ] && [ "$cli_failed" -eq 0 ] && [ "$com_failed" -eq 0 ] && [ "$installed_failed" -eq 0 ]

#!/usr/bin/env bash
# qvprog-cli for Windows, under Wine, on COM7 leading to a pseudo-terminal with the simulated
# module on its far end: writes a configuration with Polish text, compares it with the module,
# reads it back, and runs sessions that stop halfway, which must fail; sends a change as
# configuration SMS through the simulated GSM modem on COM8 and reads the module that took them;
# then the port list following a COM port that appears and goes (announced in the serial-port
# map, as a port driver does), a port another program holds in exclusive mode, and an adapter
# whose driver is missing (a device in the registry without a service).
#   scripts/check-windows-com.sh QVPROG-CLI.EXE WORK-FOLDER
# Run by scripts/check-windows.sh and scripts/check-windows-installed.sh, which set up Wine
# (WINEPREFIX, a running wineserver) and build the harness (OUT). Exits with the number of
# failed checks.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
CLI=$1
WORK=$2
OUT=${OUT:-$ROOT/build-windows}
WINE=${WINE:-/usr/lib/wine/wine64}
: "${WINEPREFIX:?}"
# shellcheck source=scripts/wine-com-ports.sh
. "$ROOT/scripts/wine-com-ports.sh"
trap stop_pty_peer EXIT

rm -rf "$WORK"
mkdir -p "$WORK/Konfiguracje Łódź"
LOG=$WORK/com.log
: >"$LOG"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
failed=0
pass() { echo "ok: $*"; }
fail() { echo "FAILED: $*, see $LOG"; failed=$((failed + 1)); }
cli() { # the command line's arguments; its output goes to the log and to $WORK/last
    echo "\$ qvprog-cli $*" >>"$LOG"
    local rc=0
    local as=()
    [ -z "${NO_SYS_ADMIN:-}" ] || as=(setpriv --bounding-set -sys_admin --)
    with_modem_lines timeout 300 "${as[@]}" "$WINE" "$CLI" "$@" >"$WORK/last.crlf" 2>&1 || rc=$?
    tr -d '\r' <"$WORK/last.crlf" >"$WORK/last" # Windows ends its lines with CR LF
    cat "$WORK/last" >>"$LOG"
    echo "(exit $rc)" >>"$LOG"
    return $rc
}

dir="$WORK/Konfiguracje Łódź"
# A configuration that differs from a fresh module's: the module's password, an object name with Polish letters
# (Windows-1250 in the file), the PIN, the test period.
if ! "$WINE" "$CLI" defaults "$(windows_path "$dir/wzór.qvx")" >>"$LOG" 2>&1; then
    fail "defaults"
fi
sed -i "s/^PIN=.*/PIN=4321/; s/^PASSWORD=.*/PASSWORD=1234/; s/^TEST_PERIOD=.*/TEST_PERIOD=77/; \
        s/^OBJECT_NAME=.*/OBJECT_NAME=$(printf 'Zak\263ad \243\363d\274')/" "$dir/wzór.qvx"

start_pty_peer com7 --module "password=1234,state=$WORK/module.json" || exit 1
start=$(date +%s.%N)
if cli write "$(windows_path "$dir/wzór.qvx")" --port COM7 --password 1234; then
    pass "write through COM7 ($(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN{printf "%.1f", b-a}') s)"
else
    fail "write through COM7"
fi
if cli diff "$(windows_path "$dir/wzór.qvx")" module --port COM7 --password 1234; then
    pass "the module holds what was written"
else
    fail "the module differs from the file written"
fi
start=$(date +%s.%N)
if cli read "$(windows_path "$dir/odczyt.qvx")" --port COM7 --password 1234 &&
    env LC_ALL=C grep -q "^OBJECT_NAME=$(printf 'Zak\263ad \243\363d\274')" "$dir/odczyt.qvx" &&
    grep -q '^PIN=4321' "$dir/odczyt.qvx"; then
    pass "read through COM7 gives the same settings back ($(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN{printf "%.1f", b-a}') s)"
else
    fail "read through COM7"
fi
if cli read "$(windows_path "$dir/zle.qvx")" --port COM7 --password 9999; then
    fail "a wrong password was accepted"
elif [ -e "$dir/zle.qvx" ]; then
    fail "a refused read left a file"
else
    pass "a wrong password is refused"
fi
stop_pty_peer

# Sessions that stop halfway: the module stops answering at block byte 2000.
start_pty_peer com7 --module "password=1234,stop=2000" || exit 1
if cli write "$(windows_path "$dir/wzór.qvx")" --port COM7 --password 1234; then
    fail "a write that stopped halfway reported success"
elif grep -qi "konfiguracja zosta" "$WORK/last"; then
    fail "a write that stopped halfway printed a success line"
else
    pass "a write that stops halfway fails"
fi
if cli read "$(windows_path "$dir/polowa.qvx")" --port COM7 --password 1234; then
    fail "a read that stopped halfway reported success"
elif [ -e "$dir/polowa.qvx" ]; then
    fail "a read that stopped halfway wrote a file"
else
    pass "a read that stops halfway fails and writes no file"
fi
stop_pty_peer

# Configuration SMS through a GSM modem on COM8 (the simulated modem on the pseudo-terminal,
# delivering to a simulated module): two settings changed, sent as their commands, then the
# module read back through the simulated module's port holds the change.
sed "s/^ALARM_PHONE.5=.*/ALARM_PHONE.5=600100200/; s/^APN=.*/APN=internet.example/" \
    "$dir/wzór.qvx" >"$dir/zmiana.qvx"
cp "$WORK/module.json" "$WORK/sms-module.json" # the module wzór.qvx was written to above
start_pty_peer com8 --modem "deliver=$WORK/sms-module.json" || exit 1
if cli sms-send "$(windows_path "$dir/zmiana.qvx")" --base "$(windows_path "$dir/wzór.qvx")" \
    --to +48600100200 --modem COM8 --interval 0 --batch "$(windows_path "$WORK/sms.json")" &&
    grep -q "2/2 .*doręczona" "$WORK/last"; then
    pass "sms-send through a modem on COM8: both messages delivered"
else
    fail "sms-send through a modem on COM8"
fi
stop_pty_peer
if cli diff "$(windows_path "$dir/zmiana.qvx")" module \
    --port "sim:password=1234,state=$(windows_path "$WORK/sms-module.json")" --password 1234; then
    pass "the module that took the SMS holds the change"
else
    fail "the module that took the SMS differs from the change"
fi

# A port that is not there.
if cli identify --port COM42; then
    fail "a missing port reported success"
elif grep -q "Błąd otwarcia portu: COM42" "$WORK/last"; then
    pass "a missing port gives the port message"
else
    fail "a missing port gave no port message"
fi

# The port list follows a COM port that appears and goes: COM9 is listed only while it leads
# somewhere. Wine maps its COM ports once, when its server starts, so the check announces the
# new port as a Windows port driver does, in the serial-port map.
map='HKLM\HARDWARE\DEVICEMAP\SERIALCOMM'
cli ports || true
if grep -qx "COM9" "$WORK/last"; then
    fail "COM9 was listed before it existed"
else
    start_pty_peer com9 --echo || exit 1
    "$WINE" reg add "$map" /v '\Device\QVSerial9' /t REG_SZ /d COM9 /f >>"$LOG" 2>&1
    cli ports || true
    if grep -qx "COM9" "$WORK/last"; then
        pass "a COM port that appears is listed"
    else
        fail "a COM port that appeared is not listed"
    fi
    "$WINE" reg delete "$map" /v '\Device\QVSerial9' /f >>"$LOG" 2>&1
    stop_pty_peer
    cli ports || true
    if grep -qx "COM9" "$WORK/last"; then
        fail "a COM port that went is still listed"
    else
        pass "a COM port that goes leaves the list"
    fi
fi

# A port another program holds: the message names the cause and what to do. Wine lets a second
# program open a COM port that one already holds (and the first one's reads then fail), so here
# the peer holds the terminal in exclusive mode, as a program owning a port does, and Wine runs
# without the right to break that mode (CAP_SYS_ADMIN, which only root has): the open is refused
# as Windows refuses a port another program holds.
WINESERVER=${WINESERVER:-$(dirname "$WINE")/wineserver64}
"$WINESERVER" -k 2>/dev/null || true
"$WINESERVER" -w 2>/dev/null || true
start_pty_peer com7 --exclusive --module "password=1234" || exit 1
if NO_SYS_ADMIN=1 cli identify --port COM7; then
    fail "a port another program holds was opened"
elif grep -q "jest używany przez inny program" "$WORK/last"; then
    pass "a port in use says another program holds it"
else
    fail "a port in use gave no explanation"
fi
stop_pty_peer
"$WINESERVER" -w 2>/dev/null || true

# An adapter whose driver is missing: a device in the registry with no service.
key='HKLM\SYSTEM\CurrentControlSet\Enum\USB\VID_1A86&PID_7523\5&qvprog&0&2'
"$WINE" reg add "$key" /v DeviceDesc /t REG_SZ /d "USB-SERIAL CH340" /f >>"$LOG" 2>&1
# Windows files a device it has no driver for in the class "Other devices".
"$WINE" reg add "$key" /v ClassGUID /t REG_SZ /d "{4d36e97e-e325-11ce-bfc1-08002be10318}" /f \
    >>"$LOG" 2>&1
"$WINE" reg add "$key" /v ConfigFlags /t REG_DWORD /d 64 /f >>"$LOG" 2>&1
cli ports --verbose || true
if ! grep -qi "1a86" "$WORK/last"; then
    fail "the setup API does not list the adapter without its driver"
elif grep -q "Bez portu: adapter WCH CH340" "$WORK/last"; then
    pass "an adapter without its driver is named with where the driver comes from"
else
    fail "an adapter without its driver was not explained"
fi
"$WINE" reg delete "$key" /f >>"$LOG" 2>&1 || true
exit "$failed"

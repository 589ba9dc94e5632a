#!/usr/bin/env bash
# The setup program from scripts/build-windows.sh, tried under Debian's Wine on a virtual X
# display (Xvfb), in a Wine prefix made for it:
# - installs it silently and checks the files, the Start-menu entry and the file types;
# - starts the installed window on the built-in module (--demo), waits for it by its title,
#   keeps a screenshot as docs/screenshots/windows-main-window.png, reads the configuration
#   from the module with "Odczytaj" (its shortcut Ctrl+R, sent with xdotool) and checks the link
#   window's outcome in what it read;
# - saves that configuration from the window into a folder and file with Polish names, and
#   opens it again by handing it to the program;
# - checks that the read is kept in the user's configuration archive;
# - runs the installed qvprog-cli on COM7 (scripts/check-windows-com.sh);
# - uninstalls it silently and checks that nothing it installed is left.
# Run by scripts/check-windows.sh (which builds the COM-port harness); exits non-zero when any
# check fails.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
OUT=${OUT:-$ROOT/build-windows}
VERSION=$(sed -n 's/^project(QVProg VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
SETUP=$ROOT/dist/QVProg-$VERSION-win64-setup.exe
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
SHOT=$ROOT/docs/screenshots/windows-main-window.png
WORK=$OUT/installed
LOG=$OUT/logs/installed.log
if [ ! -f "$SETUP" ]; then
    echo "FAILED: no setup program $SETUP (run scripts/build-windows.sh first)"
    exit 1
fi
mkdir -p "$OUT/logs"
: >"$LOG"
rm -rf "$WORK"
mkdir -p "$WORK"

failed=0
pass() { echo "ok: $*"; }
fail() { echo "FAILED: $*, see $LOG"; failed=$((failed + 1)); }
seconds() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(seconds)" 'BEGIN { printf "%.1f", b - a }'; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# --- A fresh Wine prefix and a virtual display -------------------------------------------------
export WINEPREFIX=$OUT/wineprefix-installed WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe="
export LANG=C.UTF-8 LC_ALL=C.UTF-8
"$WINESERVER" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
display=99
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1366x900x24 -nolisten tcp >>"$LOG" 2>&1 &
XVFB_PID=$!
export DISPLAY=":$display"
cleanup() {
    "$WINESERVER" -k 2>/dev/null || true
    kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
"$WINE" wineboot --init >>"$LOG" 2>&1 || true
"$WINESERVER" -w

PROGRAMS="$WINEPREFIX/drive_c/Program Files/QVProg"
MENU="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/QVProg.lnk"
reg_value() { "$WINE" reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }

# --- Installing -------------------------------------------------------------------------------
start=$(seconds)
if "$WINE" "$SETUP" /S >>"$LOG" 2>&1 && [ -f "$PROGRAMS/qvprog.exe" ]; then
    pass "silent install ($(since "$start") s, $(du -k "$SETUP" | cut -f1) KiB setup program)"
else
    fail "silent install"
fi
missing=
for f in qvprog.exe qvprog-cli.exe uninstall.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll; do
    [ -f "$PROGRAMS/$f" ] || missing="$missing $f"
done
ls "$PROGRAMS"/styles/*.dll >/dev/null 2>&1 || missing="$missing styles/"
if [ -z "$missing" ]; then pass "the programs, Qt and the run-time are installed"; else
    fail "missing after install:$missing"; fi
if [ -f "$MENU" ]; then pass "Start-menu entry"; else fail "no Start-menu entry"; fi
types_ok=1
for ext in .qvx .bCFG; do
    progid=$(reg_value "HKLM\\Software\\Classes\\$ext")
    command=$(reg_value "HKLM\\Software\\Classes\\$progid\\shell\\open\\command")
    echo "$ext -> $progid -> $command" >>"$LOG"
    case $command in
    *'\QVProg\qvprog.exe" "%1"') ;;
    *) types_ok=0 ;;
    esac
done
if [ "$types_ok" = 1 ]; then pass "the .qvx and .bCFG file types open in qvprog.exe"; else
    fail "file types"; fi

# --- The window -------------------------------------------------------------------------------
QVPROG='C:\Program Files\QVProg\qvprog.exe'
CLI='C:\Program Files\QVProg\qvprog-cli.exe'
APPDATA_DIR=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming | head -1)
DEMO_STATE="$APPDATA_DIR/qvprog/qvprog/demo-module.json"
mkdir -p "$(dirname "$DEMO_STATE")"
SAVE_DIR="$WORK/Zapisy Łódź"
mkdir -p "$SAVE_DIR"

# The built-in module starts out holding a configuration of its own, so a successful read shows
# in what the window then saves.
"$WINE" "$CLI" defaults "$(windows_path "$WORK/modul.qvx")" >>"$LOG" 2>&1
sed -i "s/^OBJECT_NAME=.*/OBJECT_NAME=$(printf 'Kot\263ownia \257\363\263ta')/; \
        s/^TEST_PERIOD=.*/TEST_PERIOD=55/" "$WORK/modul.qvx"
if "$WINE" "$CLI" write "$(windows_path "$WORK/modul.qvx")" \
    --port "sim:state=$(windows_path "$DEMO_STATE")" >>"$LOG" 2>&1; then
    pass "the built-in module holds a test configuration"
else
    fail "could not prepare the built-in module"
fi

# wait_window NAME-REGEX SECONDS: prints the window's id once it is shown.
wait_window() {
    local i
    for i in $(seq $(($2 * 10))); do
        local id
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
gone_window() { # NAME-REGEX SECONDS
    local i
    for i in $(seq $(($2 * 10))); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}
# Wine without a window manager takes keys only in a window it has activated, and it
# activates one on a click: click_at WINDOW X Y clicks there (window coordinates).
click_at() {
    xdotool mousemove --window "$1" "$2" "$3" click 1 2>>"$LOG"
    sleep 0.5
}
# A click on the main window's first status-bar panel (a plain label) brings it forward, so that
# it takes keys: its commands are then given by their shortcuts, wherever the layout puts the
# buttons.
focus_main() {
    local height
    height=$(xdotool getwindowgeometry "$1" 2>>"$LOG" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
    click_at "$1" 20 $((${height:-480} - 8))
}
# Windows' save dialog opens centred over the main window; its name field lies 28 pixels left
# of and 167 below the main window's centre.
name_field() {
    local w h
    read -r w h < <(xdotool getwindowgeometry "$1" 2>>"$LOG" |
        sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
    echo $((${w:-808} / 2 - 28)) $((${h:-480} / 2 + 167))
}

start=$(seconds)
"$WINE" "$QVPROG" --demo >>"$LOG" 2>&1 &
WINDOW_PID=$!
if main=$(wait_window '^QV PROG' 60); then
    STARTUP=$(since "$start")
    pass "the window is up ($STARTUP s from starting Wine)"
    sleep 2 # let it paint
    mkdir -p "$(dirname "$SHOT")"
    if timeout 10 import -window "$main" "$SHOT" 2>>"$LOG"; then
        pass "screenshot $SHOT ($(identify -format '%wx%h' "$SHOT"))"
    else
        fail "screenshot"
    fi
else
    fail "no main window within 60 s"
    main=
fi

if [ -n "$main" ]; then
    # "Odczytaj": the link window runs the session on the built-in module; its close button
    # (Alt+Z) works once the session has ended.
    focus_main "$main"
    xdotool key ctrl+r
    if link=$(wait_window '^Vorkal Comm Module' 20); then
        pass "the link window opens"
        for i in $(seq 60); do
            sleep 1
            timeout 10 import -window "$link" "$WORK/link-window.png" 2>>"$LOG"
            click_at "$link" 300 300
            xdotool key alt+z
            gone_window '^Vorkal Comm Module' 1 && break
        done
        if gone_window '^Vorkal Comm Module' 1; then
            pass "the link window closes when the read has ended"
        else
            fail "the link window did not close"
        fi
    else
        fail "no link window"
    fi
    sleep 1
    # "Zapisz": Windows' save dialog, a folder and a file name with Polish letters typed into
    # its name field (the dialog adds the extension).
    focus_main "$main"
    xdotool key ctrl+s
    # (Wine's dialog window does not count as viewable for xdotool: found by name alone.)
    found=
    for i in $(seq 600); do
        xdotool search --name '^qvprog$' >/dev/null 2>&1 && { found=1; break; }
        sleep 0.1
    done
    if [ -n "$found" ]; then
        sleep 2
        # shellcheck disable=SC2046
        click_at "$main" $(name_field "$main")
        xdotool type --delay 60 "$(windows_path "$SAVE_DIR/odczyt żółw")"
        sleep 0.5
        xdotool key Return
    else
        fail "no save dialog"
    fi
    SAVED=
    for i in $(seq 50); do
        SAVED=$(find "$SAVE_DIR" -maxdepth 1 -iname 'odczyt żółw.qvx' | head -1)
        [ -n "$SAVED" ] && break
        sleep 0.2
    done
    # "Konfiguracja została zapisana"
    if box=$(wait_window '^qvprog$' 10); then
        click_at "$box" 20 20
        xdotool key Return
    fi
    timeout 10 import -window root "$WORK/after-save.png" 2>>"$LOG"
    if [ -n "$SAVED" ]; then
        pass "saved from the window as $(basename "$SAVED") in $(basename "$SAVE_DIR")"
        if env LC_ALL=C grep -q "^OBJECT_NAME=$(printf 'Kot\263ownia \257\363\263ta')" "$SAVED" &&
            grep -q '^TEST_PERIOD=55' "$SAVED"; then
            pass "the read in the window succeeded: the saved file holds the module's settings"
        else
            fail "the saved file does not hold what the module holds"
        fi
    else
        fail "the window saved no file under a Polish name"
    fi
    "$WINE" cmd /c taskkill /im qvprog.exe /f >>"$LOG" 2>&1 || true
    kill "$WINDOW_PID" 2>/dev/null || true
    wait "$WINDOW_PID" 2>/dev/null || true

    # The window's read is kept in the user's configuration archive (SQLite, in AppData), where
    # the command line finds it beside the entry of its own write.
    "$WINE" "$CLI" archive list >"$WORK/archive.crlf" 2>>"$LOG" || true
    tr -d '\r' <"$WORK/archive.crlf" >"$WORK/archive.txt"
    cat "$WORK/archive.txt" >>"$LOG"
    if [ -f "$APPDATA_DIR/qvprog/archive.sqlite" ] && grep -q $'\todczyt\t' "$WORK/archive.txt" &&
        grep -q $'\tzapis\t' "$WORK/archive.txt"; then
        pass "the archive in AppData keeps the window's read and the command line's write"
    else
        fail "the archive does not hold the window's read"
    fi

    # Opening it again: handed to the program, as Explorer does for the file type.
    if [ -n "$SAVED" ]; then
        "$WINE" "$QVPROG" "$(windows_path "$SAVED")" >>"$LOG" 2>&1 &
        WINDOW_PID=$!
        if opened=$(wait_window 'Zapisy Łódź\\odczyt żółw\.' 60); then
            pass "the window opens it again: $(xdotool getwindowname "$opened")"
        else
            fail "the window did not open the file with a Polish name"
        fi
        "$WINE" cmd /c taskkill /im qvprog.exe /f >>"$LOG" 2>&1 || true
        kill "$WINDOW_PID" 2>/dev/null || true
        wait "$WINDOW_PID" 2>/dev/null || true
    fi
fi

# --- The installed command line on a COM port --------------------------------------------------
if OUT=$OUT "$ROOT/scripts/check-windows-com.sh" "$PROGRAMS/qvprog-cli.exe" "$WORK/com" \
    >"$WORK/com.out" 2>&1; then
    pass "the installed qvprog-cli on COM7: $(grep -c '^ok:' "$WORK/com.out") checks"
else
    cat "$WORK/com.out"
    fail "the installed qvprog-cli on COM7"
fi

# --- Uninstalling -----------------------------------------------------------------------------
# The user's settings and configurations stay where they are.
SETTINGS="$APPDATA_DIR/qvprog/QVPROG2.INI"
mkdir -p "$(dirname "$SETTINGS")"
[ -f "$SETTINGS" ] || printf '[SETTINGS]\r\nport=COM7\r\nreverse_reset=0\r\n' >"$SETTINGS"
USER_FILE="$(dirname "$APPDATA_DIR")/../Documents/moja konfiguracja.qvx"
mkdir -p "$(dirname "$USER_FILE")"
cp "$WORK/modul.qvx" "$USER_FILE" 2>/dev/null || echo x >"$USER_FILE"
"$WINE" "$PROGRAMS/uninstall.exe" /S >>"$LOG" 2>&1
"$WINESERVER" -w 2>/dev/null || true # the uninstaller finishes from a copy of itself
left=
[ -e "$PROGRAMS" ] && left="$left $(cd "$PROGRAMS" && find . | head -5 | tr '\n' ' ')"
[ -e "$MENU" ] && left="$left QVProg.lnk"
for key in .qvx .bCFG QVProg.qvx QVProg.bCFG; do
    "$WINE" reg query "HKLM\\Software\\Classes\\$key" >/dev/null 2>&1 && left="$left HKCR\\$key"
done
"$WINE" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QVProg' \
    >/dev/null 2>&1 && left="$left uninstall-entry"
if [ -z "$left" ]; then pass "uninstalled: nothing it installed is left"; else
    fail "left after uninstalling:$left"; fi
if [ -f "$SETTINGS" ] && [ -f "$USER_FILE" ]; then
    pass "the user's QVPROG2.INI and configurations are left alone"
else
    fail "the user's QVPROG2.INI or a configuration is gone"
fi

echo "installed: $failed failed${STARTUP:+; window start-up under Wine $STARTUP s}"
exit "$failed"

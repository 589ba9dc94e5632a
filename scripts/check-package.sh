#!/usr/bin/env bash
# Builds the Debian package from a configured build folder, unpacks it into a scratch root
# (dpkg -x: nothing is installed on this machine) and checks what an installed QVProg needs:
# both programs, the menu entry, the file types, the icons, the declared dependencies, the
# command line at work, QVPROG2.INI read from the user's configuration folder, and the window
# starting on the simulated module.
#   ./scripts/check-package.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
[ -f "$build/CPackConfig.cmake" ] || { echo "configure and build $build first" >&2; exit 2; }
start=$(date +%s%N)
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"
root=$work/root
failures=0
mark=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Each "ok" closes a group of checks: it is printed only when none of the group failed.
ok() {
    ((failures == mark)) && echo "ok: $*"
    mark=$failures
}

# The package, written into the scratch folder so the build folder keeps no copy.
(cd "$build" && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
deb=$(ls "$work"/pkg/qvprog_*.deb)
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg -x "$deb" "$root"

# The control fields: the name, and the Qt libraries found by dpkg-shlibdeps.
[ "$(dpkg-deb -f "$deb" Package)" = qvprog ] || fail "package name"
ok "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libstdc++6; do
    [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done
ok "Depends: $depends"

# The files.
for f in usr/bin/qvprog usr/bin/qvprog-cli; do
    [ -x "$root/$f" ] || fail "$f missing"
    if ldd "$root/$f" | grep -q "not found"; then fail "$f: unresolved libraries"; fi
done
desktop=$root/usr/share/applications/qvprog.desktop
mime=$root/usr/share/mime/packages/qvprog.xml
[ -f "$desktop" ] || fail "desktop entry missing"
[ -f "$mime" ] || fail "MIME types missing"
[ -f "$root/usr/share/icons/hicolor/scalable/apps/qvprog.svg" ] || fail "SVG icon missing"
for size in 16 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/qvprog.png
    file "$png" | grep -q "PNG image data, $size x $size," || fail "icon $size: $(file "$png")"
done
ok "programs, desktop entry, MIME types, icons"

# The menu entry starts the window with the file, for both file types.
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
grep -qx 'Exec=qvprog %f' "$desktop" || fail "Exec line"
grep -qx 'MimeType=application/x-qvprog-qvx;application/x-qvprog-bcfg;' "$desktop" ||
    fail "MimeType line"
# The MIME database built from the package's file alone knows both types by extension.
mkdir -p "$work/share/mime/packages"
cp "$mime" "$work/share/mime/packages/"
if ! XDG_DATA_HOME=$work/share update-mime-database "$work/share/mime" >"$work/mime.log" 2>&1 ||
    [ -s "$work/mime.log" ]; then
    cat "$work/mime.log" >&2
    fail "update-mime-database"
fi
grep -q ':application/x-qvprog-qvx:\*\.qvx$' "$work/share/mime/globs2" || fail "*.qvx glob"
grep -q ':application/x-qvprog-bcfg:\*\.bcfg$' "$work/share/mime/globs2" || fail "*.bcfg glob"
ok "desktop entry valid, both file types open with qvprog %f"

# Everything below runs as an ordinary user would: the programs' folder cannot be written and
# the home folder is a scratch one. As root the checks run as "nobody".
home=$work/home
mkdir -p "$home/work"
chmod -R a-w "$root/usr/bin"
as_user=(env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8)
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$home"
    as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups "${as_user[@]}")
fi
run() { (cd "$home/work" && "${as_user[@]}" "$@"); }

run "$root/usr/bin/qvprog-cli" --help >"$work/help.txt" 2>&1 || fail "qvprog-cli --help"
grep -q "defaults OUT" "$work/help.txt" || fail "--help lists no commands"
run "$root/usr/bin/qvprog-cli" defaults x.qvx >/dev/null || fail "qvprog-cli defaults x.qvx"
[ -s "$home/work/x.qvx" ] || fail "x.qvx not written"
run "$root/usr/bin/qvprog-cli" convert x.qvx x.bCFG >/dev/null || fail "qvprog-cli convert"
[ -s "$home/work/x.bCFG" ] || fail "x.bCFG not written"
ok "qvprog-cli --help, defaults x.qvx, convert x.qvx x.bCFG"

# The window on the simulated module with a file to open, on a real X server when there is
# one to start, quitting once shown. Its settings folder is the user's: it creates it.
window=(timeout 60 "$root/usr/bin/qvprog" --demo --startup-probe x.qvx)
if command -v xvfb-run >/dev/null; then
    if run xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb "${window[@]}" \
        >"$work/window.txt" 2>&1; then
        ok "qvprog --demo x.qvx under Xvfb"
    else
        cat "$work/window.txt" >&2
        fail "qvprog --demo x.qvx under Xvfb"
    fi
elif run env QT_QPA_PLATFORM=offscreen "${window[@]}" >"$work/window.txt" 2>&1; then
    ok "qvprog --demo x.qvx offscreen (xvfb-run is missing)"
else
    cat "$work/window.txt" >&2
    fail "qvprog --demo x.qvx offscreen"
fi
[ -d "$home/.config/qvprog" ] || fail "the window did not create ~/.config/qvprog"

# QVPROG2.INI in the user's configuration folder names the simulated module: identify, without
# --port, reaches it only when that file is the one read.
printf '[SETTINGS]\r\nport=sim\r\n' | run tee "$home/.config/qvprog/QVPROG2.INI" >/dev/null ||
    fail "QVPROG2.INI not written"
if run "$root/usr/bin/qvprog-cli" identify >"$work/identify.txt" 2>&1 &&
    grep -q "Port: sim" "$work/identify.txt"; then
    ok "QVPROG2.INI read from ~/.config/qvprog"
else
    cat "$work/identify.txt" >&2
    fail "QVPROG2.INI in ~/.config/qvprog not used"
fi

ms=$((($(date +%s%N) - start) / 1000000))
elapsed=$((ms / 1000)).$(printf %03d $((ms % 1000)))
if ((failures)); then
    echo "check-package: $failures failed (${elapsed} s)" >&2
    exit 1
fi
echo "check-package: all passed (${elapsed} s)"

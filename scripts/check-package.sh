#!/usr/bin/env bash
# Builds the Debian package from a configured build folder, unpacks it into a scratch root
# (dpkg -x: nothing is installed on this machine) and checks what an installed QVProg needs:
# both programs, the menu entry, the file types, the icons, the declared dependencies, the
# command line at work, QVPROG2.INI read from the user's configuration folder, and the window
# starting on the simulated module; and what Debian expects of a package: lintian reports no
# error and no warning, the copyright file and changelog, the manual pages (in step with the
# programs' --help), the bash completion and the AppStream metadata (appstreamcli validate).
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

# The package, written into the scratch folder so the build folder keeps no copy. It is made
# under a umask that closes every folder to others, as a careful builder's might: the package
# must not depend on it.
(cd "$build" && umask 077 && cpack -G DEB -B "$work/pkg" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
deb=$(ls "$work"/pkg/qvprog_*.deb)
chmod -R a+rX "$work/pkg"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg -x "$deb" "$root"
version=$(dpkg-deb -f "$deb" Version)

# The control fields: the name, and the Qt libraries found by dpkg-shlibdeps.
[ "$(dpkg-deb -f "$deb" Package)" = qvprog ] || fail "package name"
ok "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libstdc++6; do
    [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done
ok "Depends: $depends"
# What the window needs beyond its libraries, and what only helps.
for dep in fonts-liberation2 fonts-dejavu-core qt6-translations-l10n qt6-qpa-plugins; do
    [[ ", $depends," == *", $dep,"* || ", $depends," == *", $dep ("* ]] ||
        fail "Depends lacks $dep"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ $recommends == *"pipewire-pulse | pulseaudio"* ]] || fail "Recommends lacks a sound server"
ok "fonts, Qt's translations and platform plug-ins in Depends; Recommends: $recommends"

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

# What Debian expects of a package. lintian, run as an ordinary user (as root it only warns
# that it should not be): no error and no warning. An override, should one ever be needed,
# goes into packaging/ with a comment saying why; there is none.
doc=$root/usr/share/doc/qvprog
if ! command -v lintian >/dev/null; then
    fail "lintian is missing (scripts/setup.sh installs it)"
else
    lint=(lintian --fail-on error,warning "$deb")
    if [ "$(id -u)" -eq 0 ]; then
        lint=(setpriv --reuid=nobody --regid=nogroup --clear-groups
              env -i PATH=/usr/bin:/bin HOME=/nonexistent LANG=C.UTF-8 "${lint[@]}")
    fi
    # From a folder that user may enter: the caller's may be a 0700 home.
    if ! (cd "$work" && "${lint[@]}") >"$work/lintian.txt" 2>&1 ||
        grep -q '^[EW]: ' "$work/lintian.txt"; then
        cat "$work/lintian.txt" >&2
        fail "lintian"
    fi
fi
ok "lintian: no errors, no warnings"

# The copyright file in the machine-readable format, and the changelog of this very version.
head -1 "$doc/copyright" |
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright file is not machine-readable"
grep -q '^License: ' "$doc/copyright" || fail "copyright file names no licence"
zcat "$doc/changelog.gz" >"$work/changelog" 2>/dev/null || fail "changelog.gz unreadable"
logged=$(dpkg-parsechangelog -l "$work/changelog" -S Version 2>/dev/null || true)
[ "$logged" = "$version" ] || fail "changelog's newest entry is '$logged', the package $version"
ok "copyright file, changelog entry for $version"

# The manual pages, as man shows them and in step with the packaged programs.
for page in qvprog qvprog-cli; do
    gz=$root/usr/share/man/man1/$page.1.gz
    [ -f "$gz" ] || { fail "$page(1) missing"; continue; }
    if command -v man >/dev/null; then
        LC_ALL=C.UTF-8 MANWIDTH=80 man -P cat -l "$gz" 2>&1 | grep -q '^SYNOPSIS' ||
            fail "man cannot show $page(1)"
    fi
    mkdir -p "$work/man"
    zcat "$gz" >"$work/man/$page.1"
done
packaging/tests/check-man-pages.sh "$root/usr/bin/qvprog-cli" "$work/man" src \
    "$root/usr/bin/qvprog" >"$work/man.txt" 2>&1 || { cat "$work/man.txt" >&2; fail "manual pages"; }
ok "manual pages qvprog(1) and qvprog-cli(1), in step with --help"

# The bash completion where bash-completion loads it, offering commands, options and ports.
completion=$root/usr/share/bash-completion/completions/qvprog-cli
if [ ! -f "$completion" ]; then
    fail "bash completion missing"
else
    status=0
    packaging/tests/check-completion.sh "$completion" "$root/usr/bin/qvprog-cli" \
        >"$work/completion.txt" 2>&1 || status=$?
    case $status in
    0) ;;
    77) echo "note: bash-completion is not installed here; the completion was not tried" ;;
    *) cat "$work/completion.txt" >&2; fail "bash completion" ;;
    esac
fi
ok "bash completion of qvprog-cli"

# The AppStream metadata: valid, tied to the menu entry in the package, this version.
metainfo=$root/usr/share/metainfo/org.qvprog.qvprog.metainfo.xml
if [ ! -f "$metainfo" ]; then
    fail "AppStream metainfo missing"
elif ! command -v appstreamcli >/dev/null; then
    fail "appstreamcli is missing (scripts/setup.sh installs appstream)"
else
    appstreamcli validate --no-net "$metainfo" >"$work/appstream.txt" 2>&1 &&
        appstreamcli validate-tree --no-net "$root" >>"$work/appstream.txt" 2>&1 ||
        { cat "$work/appstream.txt" >&2; fail "appstreamcli validate"; }
    grep -q "<release version=\"$version\"" "$metainfo" ||
        fail "the metainfo's newest release is not $version"
fi
ok "AppStream metadata valid (appstreamcli validate --no-net)"

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

#!/usr/bin/env bash
# Proves the README's two commands on fresh Debian 12 machines: builds a minimal Debian 12 root
# with debootstrap (packages from this machine's own apt sources; only git, ca-certificates and
# sudo added), clones this repository's committed HEAD into it and runs ./scripts/run.sh and
# ./scripts/test.sh there, with and without a display (an Xvfb of this machine, its socket
# shared with the root):
#   root A, as root:        run.sh without a display, run.sh ARGS in another folder,
#                           run.sh with a display, test.sh
#   root B, as users:       run.sh by a user without sudo rights (before anything is installed),
#                           then by a sudo user: run.sh with a display, without one, test.sh
#                           with a display
# Each step's time and log are reported; the exit status is non-zero when any step failed.
# Needs root (debootstrap, chroot, mounts). Not part of the test command.
#   ./scripts/check-fresh-machine.sh [--keep] [--only A|B]
#   QVPROG_CACHE   where the base root, the roots and the logs go (default ~/.cache/qvprog)
set -euo pipefail
cd "$(dirname "$0")/.."
REPO=$PWD
keep=0 only=
while (($#)); do
    case "$1" in
    --keep) keep=1 ;;
    --only) only=$2; shift ;;
    *) echo "usage: $0 [--keep] [--only A|B]" >&2; exit 2 ;;
    esac
    shift
done
[ "$(id -u)" -eq 0 ] || { echo "check-fresh-machine.sh needs root (debootstrap, chroot)" >&2; exit 2; }
CACHE=${QVPROG_CACHE:-$HOME/.cache/qvprog}/fresh
LOGS=$CACHE/logs
mkdir -p "$CACHE" "$LOGS"
rm -f "$LOGS"/*.log

need=()
command -v debootstrap >/dev/null || need+=(debootstrap)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xwininfo >/dev/null || need+=(x11-utils)
command -v git >/dev/null || need+=(git)
if ((${#need[@]})); then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# --- The base root: minimal Debian 12 with git, ca-certificates and sudo, this machine's sources
mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/*.sources 2>/dev/null |
    grep -v security | head -1 || true)
[ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' \
    /etc/apt/sources.list 2>/dev/null || true)
[ -n "$mirror" ] || { echo "no Debian mirror in this machine's apt sources" >&2; exit 1; }
BASE=$CACHE/base-bookworm.tar
if [ ! -f "$BASE" ]; then
    echo "== debootstrap bookworm from $mirror"
    tmp=$CACHE/base.tmp
    rm -rf "$tmp"
    t0=$(date +%s)
    debootstrap --variant=minbase --include=git,ca-certificates,sudo bookworm "$tmp" "$mirror" \
        >"$LOGS/debootstrap.log" 2>&1 || { tail -20 "$LOGS/debootstrap.log"; exit 1; }
    # The same apt sources as this machine.
    rm -f "$tmp/etc/apt/sources.list"
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] && cp "$f" "$tmp$f"
    done
    chroot "$tmp" apt-get clean
    tar -C "$tmp" -cf "$BASE" .
    rm -rf "$tmp"
    echo "   base root: $(du -m "$BASE" | cut -f1) MB, $(($(date +%s) - t0)) s"
fi

# --- Roots, their mounts and an X server ---------------------------------------------------------
roots=()
mounted() { grep -q " $1/" /proc/mounts; }
release() { # ends the root's processes and unmounts it
    local root=$1 pid
    for pid in /proc/[0-9]*; do
        [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "${pid#/proc/}" 2>/dev/null
    done
    sleep 1
    grep -o " $root/[^ ]*" /proc/mounts | sort -r | while read -r m; do umount -l "$m" || true; done
}
cleanup() {
    for root in "${roots[@]}"; do release "$root"; done
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
    if ((keep == 0)); then
        for root in "${roots[@]}"; do
            mounted "$root" || rm -rf "$root"
        done
    fi
}
trap cleanup EXIT

display_number=77
while [ -e /tmp/.X11-unix/X$display_number ]; do display_number=$((display_number + 1)); done
DISPLAY_NAME=:$display_number
Xvfb "$DISPLAY_NAME" -screen 0 1366x768x24 -nolisten tcp >"$LOGS/xvfb.log" 2>&1 &
xvfb_pid=$!
sleep 2

new_root() { # name; sets NEW_ROOT
    local root=$CACHE/root-$1
    if [ -e "$root" ]; then
        release "$root"
        mounted "$root" && { echo "$root is still mounted" >&2; exit 1; }
        rm -rf "$root"
    fi
    mkdir -p "$root"
    tar -C "$root" -xf "$BASE"
    cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
    grep -q "$(hostname)" "$root/etc/hosts" 2>/dev/null || echo "127.0.1.1 $(hostname)" >>"$root/etc/hosts"
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mkdir -p "$root/tmp/.X11-unix"
    chmod 1777 "$root/tmp"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    roots+=("$root")
    NEW_ROOT=$root
}

# --- Steps -------------------------------------------------------------------------------------
failures=0
results=()
# step NAME ROOT USER DISPLAY? EXPECTED-EXIT CHECK COMMAND: runs COMMAND by bash in the root as
# USER (root or a user name), with or without DISPLAY, and passes when it exits with
# EXPECTED-EXIT (or any non-zero for "nonzero") and CHECK (a bash test run on this machine, with
# $log naming the step's log) holds.
step() {
    local name=$1 root=$2 user=$3 display=$4 expect=$5 check=$6 cmd=$7
    local log=$LOGS/$(echo "$name" | tr -c 'A-Za-z0-9\n' '-').log home=/root spec=()
    [ "$user" = root ] || { home=/home/$user; spec=(--userspec="$user:$user"); }
    local env=(env -i HOME="$home" USER="$user" LOGNAME="$user" LANG=C.UTF-8 TERM=dumb
               PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin)
    [ "$display" = display ] && env+=(DISPLAY="$DISPLAY_NAME")
    echo "== $name"
    local t0 rc=0
    t0=$(date +%s)
    chroot "${spec[@]}" "$root" "${env[@]}" bash -c "cd ~ && $cmd" </dev/null >"$log" 2>&1 || rc=$?
    local took=$(($(date +%s) - t0)) verdict=ok
    if [ "$expect" = nonzero ]; then ((rc != 0)) || verdict=FAIL; else ((rc == expect)) || verdict=FAIL; fi
    if [ "$verdict" = ok ] && ! (export log; eval "$check") >>"$log" 2>&1; then verdict=FAIL; fi
    if [ "$verdict" = FAIL ]; then
        failures=$((failures + 1))
        tail -15 "$log" | sed 's/^/   | /'
    fi
    echo "$verdict: $name (exit $rc, $took s; log $log)"
    results+=("$(printf '%-4s %5d s  %s' "$verdict" "$took" "$name")")
}
# window_step NAME ROOT USER: runs run.sh in the root with the display, in the background, and
# passes when the X server shows a top-level window of QVProg's main window before run.sh ends
# (it first installs and builds); the window is then closed.
window_step() {
    local name=$1 root=$2 user=$3
    local log=$LOGS/$(echo "$name" | tr -c 'A-Za-z0-9\n' '-').log home=/root spec=()
    [ "$user" = root ] || { home=/home/$user; spec=(--userspec="$user:$user"); }
    echo "== $name"
    local t0 pid found=0 rc=0
    t0=$(date +%s)
    chroot "${spec[@]}" "$root" env -i HOME="$home" USER="$user" LOGNAME="$user" LANG=C.UTF-8 \
        TERM=dumb PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin DISPLAY="$DISPLAY_NAME" \
        bash -c 'cd ~ && exec ./qvprog/scripts/run.sh' </dev/null >"$log" 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        if xwininfo -display "$DISPLAY_NAME" -root -tree 2>/dev/null | grep -Eiq '"qv ?prog'; then
            found=1
            break
        fi
        sleep 2
    done
    local took=$(($(date +%s) - t0)) verdict=FAIL
    if ((found)); then
        verdict=ok
        xwininfo -display "$DISPLAY_NAME" -root -tree | grep -Ei '"qv ?prog' >>"$log"
        sleep 3
        kill -0 "$pid" 2>/dev/null || verdict=FAIL # it must still be running
        kill "$pid" 2>/dev/null
    fi
    wait "$pid" || rc=$?
    if [ "$verdict" = FAIL ]; then
        failures=$((failures + 1))
        tail -15 "$log" | sed 's/^/   | /'
    fi
    echo "$verdict: $name (window after $took s; log $log)"
    results+=("$(printf '%-4s %5d s  %s' "$verdict" "$took" "$name")")
}
clone() { # root home owner
    git clone -q "$REPO" "$1$2/qvprog"
    chroot "$1" chown -R "$3:$3" "$2/qvprog"
}
sum_line='tail -1 "$log" | grep -Eq "^test.sh: [0-9]+ passed, 0 failed, [0-9]+ skipped"'
no_display_line='tail -1 "$log" | grep -q "no display"'

if [ -z "$only" ] || [ "$only" = A ]; then
    new_root A
    A=$NEW_ROOT
    clone "$A" /root root
    step "A root: run.sh without a display (sets up, builds, says why not)" "$A" root none 3 \
        "$no_display_line" "./qvprog/scripts/run.sh"
    step "A root: run.sh defaults x.qvx, in another folder" "$A" root none 0 \
        "test -s '$A/root/work/x.qvx' && ! test -e '$A/root/qvprog/x.qvx'" \
        "mkdir -p work && cd work && ../qvprog/scripts/run.sh defaults x.qvx"
    window_step "A root: run.sh with a display shows the window" "$A" root
    step "A root: test.sh" "$A" root none 0 "$sum_line" "./qvprog/scripts/test.sh"
fi

if [ -z "$only" ] || [ "$only" = B ]; then
    new_root B
    B=$NEW_ROOT
    chroot "$B" useradd -m -s /bin/bash guest
    chroot "$B" useradd -m -s /bin/bash tech
    echo 'tech ALL=(ALL) NOPASSWD: ALL' >"$B/etc/sudoers.d/tech"
    chmod 440 "$B/etc/sudoers.d/tech"
    clone "$B" /home/guest guest
    clone "$B" /home/tech tech
    step "B user without sudo: run.sh names the apt-get command" "$B" guest display 1 \
        "tail -1 \"\$log\" | grep -q 'as root run: apt-get install -y --no-install-recommends '" \
        "./qvprog/scripts/run.sh"
    window_step "B sudo user: run.sh with a display shows the window" "$B" tech
    step "B sudo user: run.sh without a display" "$B" tech none 3 "$no_display_line" \
        "./qvprog/scripts/run.sh"
    step "B sudo user: test.sh, with a display" "$B" tech display 0 "$sum_line" \
        "./qvprog/scripts/test.sh"
fi

echo
echo "check-fresh-machine: $(git -C "$REPO" log -1 --format='%h %s')"
printf '%s\n' "${results[@]}"
((failures == 0)) || { echo "$failures failed"; exit 1; }
echo "all passed"

# Sourced by the Windows checks: COM ports under Wine that lead to a pseudo-terminal, with the
# tests' own peer on its master side (build-windows/native/tests/wine/pty_module: the simulated
# module, or an echo). A pseudo-terminal has no modem lines, so the programs under Wine are run
# with fake_modem_lines preloaded, which answers the RTS requests for that terminal and tells
# the peer about them. Needs WINEPREFIX and OUT.
PTY_PEER_PID=
PTY_PEER_DIR=

# start_pty_peer comN (--echo | --module [OPTIONS]): maps comN to a new pseudo-terminal.
start_pty_peer() {
    local com=$1
    shift
    stop_pty_peer
    PTY_PEER_DIR=$(mktemp -d)
    mkfifo "$PTY_PEER_DIR/rts"
    "$OUT/native/tests/wine/pty_module" --link "$WINEPREFIX/dosdevices/$com" \
        --rts-fifo "$PTY_PEER_DIR/rts" "$@" >"$PTY_PEER_DIR/out" 2>"$PTY_PEER_DIR/err" &
    PTY_PEER_PID=$!
    local i
    for i in $(seq 100); do
        grep -q '^ready ' "$PTY_PEER_DIR/out" 2>/dev/null && break
        kill -0 "$PTY_PEER_PID" 2>/dev/null || break
        sleep 0.05
    done
    if ! grep -q '^ready ' "$PTY_PEER_DIR/out" 2>/dev/null; then
        echo "the pseudo-terminal peer did not start: $(cat "$PTY_PEER_DIR/err")" >&2
        return 1
    fi
    export QVPROG_FAKE_MODEM_PTY
    QVPROG_FAKE_MODEM_PTY=$(sed -n 's/^ready //p' "$PTY_PEER_DIR/out")
    export QVPROG_FAKE_MODEM_FIFO=$PTY_PEER_DIR/rts
}

# Ends the peer (it saves the module's memory first).
stop_pty_peer() {
    if [ -n "$PTY_PEER_PID" ]; then
        kill "$PTY_PEER_PID" 2>/dev/null || true
        wait "$PTY_PEER_PID" 2>/dev/null || true
    fi
    [ -z "$PTY_PEER_DIR" ] || rm -rf "$PTY_PEER_DIR"
    PTY_PEER_PID= PTY_PEER_DIR=
}

# with_modem_lines COMMAND...: runs it with the fake modem lines preloaded.
with_modem_lines() {
    LD_PRELOAD="$OUT/native/tests/wine/fake_modem_lines.so${LD_PRELOAD:+:$LD_PRELOAD}" "$@"
}

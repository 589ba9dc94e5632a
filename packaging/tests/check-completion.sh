#!/usr/bin/env bash
# Runs the bash completion of qvprog-cli on typed command lines, split into words as bash
# splits them, and checks what it offers: commands, each command's options, ports from
# "qvprog-cli ports" and the simulated module after --port, files of the right kind.
#   check-completion.sh COMPLETION-FILE QVPROG-CLI
# Exits with 77 (skipped) when bash-completion is not installed.
set -uo pipefail
file=$(realpath "$1")
cli=$(realpath "$2")
bc=/usr/share/bash-completion/bash_completion
[ -f "$bc" ] || { echo "bash-completion is not installed: skipped"; exit 77; }
# shellcheck source=/dev/null
source "$bc"
# shellcheck source=/dev/null
source "$file"
compopt() { :; } # only works while bash itself completes
complete -p qvprog-cli >/dev/null 2>&1 || { echo "FAIL: no completion for qvprog-cli" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch a.qvx b.bCFG c.BCFG d.txt e.bin f.PHBINI g.json notes.md r.pdf s.HTML
mkdir sub
# A stand-in with known ports, so the answers do not depend on this machine's.
printf '#!/bin/sh\n[ "$1" = ports ] && printf "/dev/ttyUSB0\\n/dev/ttyACM0\\n"\n' >fake-cli
chmod +x fake-cli

failures=0
# Completes LINE (the cursor at its end) and prints the offers, sorted, on one line.
offers() {
    local line=$1 word
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMP_WORDS=()
    # Words as bash splits them: at blanks, and ":" and "=" (COMP_WORDBREAKS) as words of
    # their own.
    for word in $line; do
        while [[ $word =~ ^([^:=]*)([:=]+)(.*)$ ]]; do
            [ -n "${BASH_REMATCH[1]}" ] && COMP_WORDS+=("${BASH_REMATCH[1]}")
            COMP_WORDS+=("${BASH_REMATCH[2]}")
            word=${BASH_REMATCH[3]}
        done
        [ -n "$word" ] && COMP_WORDS+=("$word")
    done
    if [[ $line == *" " ]]; then
        COMP_WORDS+=("")
    fi
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _qvprog_cli "${COMP_WORDS[0]}" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]:-}"
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' ' | sed 's/ $//'
}
expect() {
    local line=$1 want=$2 got
    got=$(offers "$line")
    if [ "$got" != "$want" ]; then
        echo "FAIL: '$line' offers '$got', not '$want'" >&2
        failures=$((failures + 1))
    fi
}

# Commands and options.
expect "qvprog-cli " "--help adapter archive convert counters defaults diff dump erase events firmware help history identify info monitor phonebase ports read report sms sms-send write"
expect "qvprog-cli d" "defaults diff dump"
expect "qvprog-cli write a.qvx --" "--no-archive --no-verify --password --port --readback"
expect "qvprog-cli read a.qvx --" "--no-archive --password --port"
expect "qvprog-cli archive " "diff export list note"
expect "qvprog-cli archive e" "export"
expect "qvprog-cli archive export 3 " "a.qvx b.bCFG c.BCFG sub"
expect "qvprog-cli archive diff 3 " ""
expect "qvprog-cli archive note 3 " ""
expect "qvprog-cli archive list --" ""
expect "qvprog-cli monitor --" "--json --port --record --replay --restart --seconds --sync-clock"
expect "qvprog-cli counters --" "--port --write"
expect "qvprog-cli events --r" "--raw"
expect "qvprog-cli diff a.qvx b.bCFG --" "--json --password --port"
expect "qvprog-cli report a.qvx r.pdf --" "--english"
expect "qvprog-cli phonebase " "read write"
expect "qvprog-cli phonebase read --" "--password --port"
expect "qvprog-cli ports --" "--verbose"
expect "qvprog-cli ports --verbose " ""
expect "qvprog-cli adapter COM3 --" "--low-latency --wait"
expect "./fake-cli adapter " "/dev/ttyACM0 /dev/ttyUSB0 sim sim:"
expect "./fake-cli adapter /dev/ttyA" "/dev/ttyACM0"
expect "./fake-cli adapter /dev/ttyUSB0 " ""
expect "./fake-cli adapter sim:la" "latency="
# Values the user types get no offers.
expect "qvprog-cli read x.qvx --password " ""
expect "qvprog-cli counters --write " ""

# --port: the listed ports and the simulated module.
expect "./fake-cli identify --port " "/dev/ttyACM0 /dev/ttyUSB0 sim sim:"
expect "./fake-cli identify --port /dev/ttyU" "/dev/ttyUSB0"
expect "./fake-cli read x.qvx --port sim:st" "state= stop="
expect "./fake-cli read x.qvx --port sim:state=g" "g.json"
expect "./fake-cli read x.qvx --port sim:state=g.json,rea" "g.json,readfail= g.json,realtime"
expect "./fake-cli read x.qvx --port sim:realtime,cor" "realtime,corrupt="
# The real program's own port list is offered too.
want=$({ "$cli" ports 2>/dev/null; printf 'sim\nsim:\n'; } | sort | tr '\n' ' ' | sed 's/ $//')
expect "$cli identify --port " "$want"

# Files of the kind each argument takes (any case of the extension), and folders.
expect "qvprog-cli convert " "a.qvx b.bCFG c.BCFG sub"
expect "qvprog-cli convert a.qvx " "a.qvx b.bCFG c.BCFG sub"
expect "qvprog-cli convert a.qvx b.bCFG " ""
expect "qvprog-cli write --port sim " "a.qvx b.bCFG c.BCFG sub"
expect "qvprog-cli firmware " "e.bin sub"
expect "qvprog-cli history " "b.bCFG c.BCFG sub"
expect "qvprog-cli history b.bCFG " "d.txt sub"
expect "qvprog-cli events --port sim " "d.txt sub"
expect "qvprog-cli phonebase write --port sim " "f.PHBINI sub"
expect "qvprog-cli diff " "a.qvx b.bCFG c.BCFG module sub"
expect "qvprog-cli report " "a.qvx b.bCFG c.BCFG sub"
expect "qvprog-cli report a.qvx " "r.pdf s.HTML sub"
expect "qvprog-cli report a.qvx r.pdf " ""
expect "qvprog-cli monitor --replay n" "notes.md"
expect "qvprog-cli sms-send a.qvx --d" "--dry-run"
expect "qvprog-cli sms-send a.qvx --unknown " "resend sent"
expect "qvprog-cli sms-send " "a.qvx b.bCFG c.BCFG sub"
expect "qvprog-cli sms-send a.qvx --base " "a.qvx b.bCFG c.BCFG sub"
expect "qvprog-cli sms-send a.qvx --base b.bCFG --to 600100200 " ""
expect "./fake-cli sms-send a.qvx --modem " "/dev/ttyACM0 /dev/ttyUSB0 sim-modem sim-modem:"
expect "./fake-cli sms-send a.qvx --modem sim-modem:no" "nonetwork noreports nosim"
expect "./fake-cli sms-send a.qvx --modem sim-modem:pin=1234,va" "1234,vanish="

if ((failures)); then
    echo "check-completion: $failures failed" >&2
    exit 1
fi
echo "check-completion: all passed"

#!/usr/bin/env bash
# Checks the manual pages against the programs they describe:
# - qvprog-cli(1) has an entry under COMMANDS for every command of "qvprog-cli --help" and no
#   other, each naming exactly the options the help gives that command, and an entry under
#   OPTIONS for every option;
# - the exit statuses under EXIT STATUS are 0, 1 and 2, and the program gives each of them;
# - every Polish message under DIAGNOSTICS is in the program's sources;
# - qvprog(1) names exactly the options of "qvprog --help";
# - man renders both pages without a warning.
#   check-man-pages.sh QVPROG-CLI MAN-DIR SOURCE-DIR [QVPROG]
set -uo pipefail
cli=$(realpath "$1")
mandir=$2
src=$3
gui=${4:-}
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A page's text as plain lines: comments dropped, font changes removed, "\-" made "-".
plain() {
    sed -e '/^\.\\"/d' -e 's/\\f[BIRP]//g' -e 's/\\-/-/g' -e 's/\\(lq/"/g' -e 's/\\(rq/"/g' "$1"
}
# The lines of one ".SH NAME" section.
section() {
    awk -v want="$2" '/^\.SH /{ on = ($0 == ".SH " want); next } on' "$1"
}
# The first line after each ".TP" in standard input: the entries' headings.
# Macro names (".B 0") are dropped.
headings() { awk 'tp { sub(/^\.[A-Z]+ /, ""); print; tp = 0 } /^\.TP/{ tp = 1 }'; }
# "command option..." per command of a usage text: the command is the first word ("phonebase
# read" and "archive list" the first two), the options every "--word" on its line.
commands_with_options() {
    awk '{
        name = $1; if (name == "phonebase" || name == "archive") name = name " " $2
        print name "\t"
        for (i = 2; i <= NF; i++) if ($i ~ /^\[?--[a-z-]+/) {
            o = $i; gsub(/[][]/, "", o); print name "\t" o
        }
    }' | sort -u | awk -F'\t' '
        $1 != name { if (name != "") print line; name = $1; line = name ":" }
        $2 != "" { line = line " " $2 }
        END { if (name != "") print line }'
}

page=$mandir/qvprog-cli.1
[ -f "$page" ] || { echo "FAIL: $page missing" >&2; exit 1; }
plain "$page" >"$work/cli.plain"

# Commands and their options.
"$cli" --help >"$work/help.txt" 2>&1 || fail "qvprog-cli --help exits with $?"
grep -E '^  [a-z]' "$work/help.txt" | commands_with_options >"$work/help.cmds"
section "$work/cli.plain" COMMANDS | headings | commands_with_options >"$work/man.cmds"
[ -s "$work/help.cmds" ] || fail "no commands found in qvprog-cli --help"
if ! diff -u --label "qvprog-cli --help" --label "qvprog-cli.1 COMMANDS" \
    "$work/help.cmds" "$work/man.cmds" >"$work/cmds.diff"; then
    cat "$work/cmds.diff" >&2
    fail "the commands or their options differ between --help and the page"
fi

# Every option has an entry under OPTIONS.
grep -oE -- '--[a-z-]+' "$work/help.txt" | sort -u >"$work/help.opts"
section "$work/cli.plain" OPTIONS | headings | grep -oE -- '--[a-z-]+' | sort -u >"$work/man.opts"
missing=$(comm -23 "$work/help.opts" "$work/man.opts" | tr '\n' ' ')
[ -z "$missing" ] || fail "options without an entry under OPTIONS: $missing"
stale=$(comm -13 "$work/help.opts" "$work/man.opts" | grep -vx -- '--help' | tr '\n' ' ')
[ -z "$stale" ] || fail "options under OPTIONS that qvprog-cli does not know: $stale"

# Exit statuses: the page lists 0, 1 and 2, and each is what the program returns.
statuses=$(section "$work/cli.plain" "EXIT STATUS" | headings | tr '\n' ' ')
[ "$statuses" = "0 1 2 " ] || fail "EXIT STATUS lists '$statuses', not '0 1 2 '"
(
    cd "$work" || exit 1
    "$cli" --help >/dev/null 2>&1
    echo "--help $?"
    "$cli" convert does-not-exist.qvx out.qvx >/dev/null 2>&1
    echo "convert-missing $?"
    "$cli" no-such-command >/dev/null 2>&1
    echo "unknown $?"
    "$cli" read out.qvx --no-such-option >/dev/null 2>&1
    echo "bad-option $?"
    "$cli" read out.qvx --password 12345 >/dev/null 2>&1
    echo "long-password $?"
) >"$work/status.txt"
expected=$'--help 0\nconvert-missing 1\nunknown 2\nbad-option 2\nlong-password 2'
[ "$(cat "$work/status.txt")" = "$expected" ] ||
    fail "exit statuses: $(tr '\n' ',' <"$work/status.txt")"

# The Polish messages quoted under DIAGNOSTICS are in the program's sources, up to their first
# placeholder (printed in italics on the page). The binary is no help: the compiler builds
# short strings from immediate values.
section "$page" DIAGNOSTICS | headings | sed -e 's/\\fI.*//' -e 's/ *$//' >"$work/diag.txt"
[ -s "$work/diag.txt" ] || fail "no messages under DIAGNOSTICS"
while IFS= read -r text; do
    grep -rqF --include='*.cpp' --include='*.hpp' -- "$text" "$src" ||
        fail "no source in $src holds \"$text\""
done <"$work/diag.txt"

# qvprog(1): the options of the window.
if [ -n "$gui" ]; then
    gpage=$mandir/qvprog.1
    if [ ! -f "$gpage" ]; then
        fail "$gpage missing"
    else
        QT_QPA_PLATFORM=offscreen "$gui" --help >"$work/ghelp.txt" 2>/dev/null ||
            fail "qvprog --help exits with $?"
        grep -oE -- '(^| )--?[a-z-]+' "$work/ghelp.txt" | tr -d ' ' | sort -u >"$work/ghelp.opts"
        # --help and -h are the page's own entry; the usage line need not list them.
        printf -- '--help\n-h\n' >>"$work/ghelp.opts"
        sort -u -o "$work/ghelp.opts" "$work/ghelp.opts"
        plain "$gpage" | section /dev/stdin OPTIONS | headings | grep -oE -- '(^| )--?[a-z-]+' |
            tr -d ' ' | sort -u >"$work/gman.opts"
        if ! diff -u --label "qvprog --help" --label "qvprog.1 OPTIONS" \
            "$work/ghelp.opts" "$work/gman.opts" >"$work/gopts.diff"; then
            cat "$work/gopts.diff" >&2
            fail "qvprog's options differ between --help and the page"
        fi
    fi
fi

# man renders them without a warning (what lintian checks too).
if command -v man >/dev/null; then
    for p in "$mandir"/*.1; do
        LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$p" \
            2>"$work/man.err" >/dev/null || fail "man cannot render $p"
        [ ! -s "$work/man.err" ] || { cat "$work/man.err" >&2; fail "man warns on $p"; }
    done
fi

if ((failures)); then
    echo "check-man-pages: $failures failed" >&2
    exit 1
fi
echo "check-man-pages: all passed"

#!/bin/bash
# Usage: run.sh MODE ANSWERS EXPECTED COMMAND...
#
# Runs COMMAND with cases/ANSWERS.in as its answers and checks that it exits
# 0 without writing to standard error.  In the modes that keep the output it
# must equal cases/EXPECTED.out byte for byte; with EOL=crlf in the
# environment each line feed expected there becomes CR LF.  EXPECTED may
# instead be a document and the number of an example in it (README.md:1,
# doc/person-card.1:2): then the output must be what that example shows.
#
#   stream    answers redirected from the file
#   dialogue  answers typed through a pipe, each only after its prompt
#   terminal  answers typed at a terminal, each only after its prompt, and
#             the screen compared, its line ends as they are shown
#   console   the same in Wine's console in tmux, the drawn screen compared
#             without trailing blanks: alone on its console, the program must
#             end with a last line and wait for a key; as console-cmd, started
#             through cmd /c (sharing the console), it must end at once
#   noinput   standard input closed
#   closed    standard output closed
#   full      standard output is /dev/full
#   broken    standard output is a pipe whose reader has gone
#   memory    a benchmark, not timed: the peak resident memory for the
#             answers and for those of EXPECTED (cases/EXPECTED.in), printed;
#             the first must be within 1 MB of the second
#
# An answer may hold {S*N}, which stands for N times S: answers of megabytes
# are made here, not kept.

set -u
export LC_ALL=C
fail() {
    echo "FAIL: $*"
    exit 1
}

cases=$(dirname "$0")/cases
mode=$1 in=$cases/$2.in want=$cases/$3.out
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
perl -pe 's/\{(\w*)\*(\d+)\}/$1 x $2/ge' "$in" >"$tmp/in" && in=$tmp/in

# The Nth example that a document shows: a fenced block of the README's
# sample session, or an .EX block of the manual page.  Each is a command
# line "$ ...", what the screen then shows, and the shell's next prompt "$"
# right after the last line of the output, which has no line feed.
if [[ $3 == *:* ]]; then
    doc=$(dirname "$0")/../${3%:*} n=${3##*:}
    case $doc in
    *.md) sed -n '/^## Sample session$/,/^## /p' "$doc" |
        awk -v n="$n" '/^```/ { k += !on; on = !on; next } on && k == n' ;;
    *) awk -v n="$n" '/^\.EE$/ { on = 0 } on && k == n; /^\.EX$/ { on = 1; k++ }' "$doc" |
        sed 's/\\-/-/g; s/\\&//g' ;;
    esac >"$tmp/shown"
    read -r command <"$tmp/shown"
    [[ $command == '$ '* ]] || fail "$3 does not start with a command line"
    # An answer stream shown as an echo must be the one given.
    [[ $command != '$ echo '* || $command == "\$ echo $(<"$in") | "* ]] ||
        fail "$3 does not answer $(<"$in")"
    sed 1d "$tmp/shown" | sed -z 's/\$\n$//' >"$tmp/want" && want=$tmp/want
fi
shift 3

prompts=('No. : ' 'Name : ' 'Age : ' 'High : ' 'Weight : ')
read -rd '' -a answers <"$in"
dialogue() {
    local p c seen='' to from
    mkfifo "$tmp/to" "$tmp/from"
    "$@" <"$tmp/to" >"$tmp/from" 2>"$tmp/err" &
    exec {to}>"$tmp/to" {from}<"$tmp/from"
    for p in "${prompts[@]}"; do
        while [[ $seen != *"$p" ]]; do
            IFS= read -rN1 -t 20 c <&"$from" ||
                fail "no prompt ending in '$p' before the answer; got: $seen"
            seen+=$c
        done
        printf '%s%s' "${answers[0]}" "${enter-$'\n'}" >&"$to"
        answers=("${answers[@]:1}")
    done
    exec {to}>&-
    printf '%s' "$seen" >"$tmp/out"
    cat <&"$from" >>"$tmp/out"
    wait $!
}

case $mode in
stream) "$@" <"$in" >"$tmp/out" 2>"$tmp/err" ;;
dialogue) dialogue "$@" ;;
terminal)
    err=$(script -qec true /dev/null 2>&1 >/dev/null) ||
        fail "no pseudo-terminal for the test (mount /dev/pts in a chroot): $err"
    # Enter sends a carriage return; the terminal ends each line it shows
    # with CR LF.
    enter=$'\r' dialogue script -qec "$(printf '%q ' "$@")" /dev/null &&
        sed -zi 's/\r\n/\n/g' "$tmp/out"
    ;;
console*)
    tmux=(tmux -S "$tmp/tmux") EOL=
    [ "$mode" = console-cmd ] && set -- "$1" cmd /c "${@:2}"
    "${tmux[@]}" new-session -d -x 80 -y 40 \
        "$(printf '%q ' "$@")2>$tmp/err; echo \$? >$tmp/status; sleep 99"
    shown() { # waits until the screen ends in $1, and with "ended", the program too
        for _ in {1..300}; do
            "${tmux[@]}" capture-pane -p | sed 's/ *$//' | sed -z 's/\n*$//' >"$tmp/out"
            [[ $(<"$tmp/out") == *"$1" && (-z ${2-} || -s $tmp/status) ]] && return
            sleep 0.1
        done
        fail "the screen does not end in '$1'${2:+ with the program ended}: $(<"$tmp/out")"
    }
    for i in "${!prompts[@]}"; do
        shown "${prompts[i]% }" && "${tmux[@]}" send-keys "${answers[i]}" Enter
    done
    sed 's/ *$//' "$want" >"$tmp/screen" && want=$tmp/screen
    if [ "$mode" = console ]; then
        printf '\n\nPress any key to close this window . . .' >>"$want"
        shown '. . .' && sleep 1
        [ -e "$tmp/status" ] && fail "it ended without waiting for a key"
        "${tmux[@]}" send-keys x
    fi
    shown "$(tail -n 1 "$want")" ended
    "${tmux[@]}" kill-server
    (exit "$(<"$tmp/status")")
    ;;
noinput) "$@" <&- >"$tmp/out" 2>"$tmp/err" ;;
closed) "$@" <"$in" >&- 2>"$tmp/err" ;;
full) "$@" <"$in" >/dev/full 2>"$tmp/err" ;;
broken)
    { sleep 1 && cat "$in"; } | "$@" 2>"$tmp/err" | head -c 0
    (exit "${PIPESTATUS[1]}")
    ;;
memory)
    peak() { /usr/bin/time -f %M -o "$tmp/peak" "$@" >"$tmp/out" 2>"$tmp/err" && cat "$tmp/peak"; }
    small=$(peak "$@" <"${want%.out}.in") && big=$(peak "$@" <"$in")
    status=$?
    echo "peak resident memory: $small KB for $(basename "${want%.out}.in"), $big KB for $(wc -c <"$in") bytes of answers"
    [ "$status" -ne 0 ] || [ $((big - small)) -le 1024 ] || fail "those answers take $((big - small)) KB more"
    (exit "$status")
    ;;
*) fail "unknown mode $mode" ;;
esac
status=$?

[ "$status" -eq 0 ] || fail "exit status $status; standard error: $(cat "$tmp/err")"
[ -s "$tmp/err" ] && fail "wrote to standard error: $(cat "$tmp/err")"
[ -e "$tmp/out" ] || exit 0
if [ "${EOL-}" = crlf ]; then
    sed -z 's/\n/\r\n/g' "$want" >"$tmp/want" && want=$tmp/want
fi
cmp -s "$want" "$tmp/out" && exit 0
echo "FAIL: output differs (expected, then actual):"
od -c "$want" >"$tmp/want.od" && od -c "$tmp/out" >"$tmp/out.od"
diff "$tmp/want.od" "$tmp/out.od"
exit 1

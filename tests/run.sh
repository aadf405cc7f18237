#!/bin/bash
# Usage: run.sh MODE ANSWERS EXPECTED COMMAND...
#        run.sh image OBJDUMP EXE MANIFEST
#
# Runs COMMAND with cases/ANSWERS.in as its answers and checks that it exits
# 0 without writing to standard error.  In the modes that keep the output it
# must equal cases/EXPECTED.out byte for byte; with EOL=crlf in the
# environment each line feed expected there becomes CR LF.
#
#   stream    answers redirected from the file
#   dialogue  answers typed through a pipe, each only after its prompt
#   noinput   standard input closed
#   closed    standard output closed
#   full      standard output is /dev/full
#   broken    standard output is a pipe whose reader has gone
#
# The image mode checks a Windows executable instead: it imports only the
# system's KERNEL32 and msvcrt DLLs, and its one resource, manifest 1, is
# MANIFEST byte for byte, which asks to run as the invoking user.

set -u
export LC_ALL=C
fail() {
    echo "FAIL: $*"
    exit 1
}

image() {
    local dump dlls ids leaf size base vma off
    dump=$("$1" -p "$2") || fail "cannot read $2"
    dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$dump" | sort | tr '\n' ' ')
    [ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "imports $dlls"
    ids=$(grep -o 'Entry: ID: 0x[0-9a-f]*' <<<"$dump" | cut -d' ' -f3 | head -2)
    [ "$(echo $ids)" = "0x000018 0x000001" ] &&
        [ "$(grep -c 'Leaf:' <<<"$dump")" = 1 ] ||
        fail "the resources are not manifest 1 alone"
    read -r leaf size < <(sed -n 's/.*Leaf: Addr: \(0x[0-9a-f]*\), Size: \(0x[0-9a-f]*\).*/\1 \2/p' <<<"$dump")
    base=0x$(sed -n 's/^ImageBase[[:space:]]*//p' <<<"$dump")
    read -r vma off < <("$1" -h "$2" | awk '$2 == ".rsrc" { print "0x" $4, "0x" $6 }')
    tail -c +$((off + leaf - (vma - base) + 1)) "$2" | head -c $((size)) |
        cmp -s - "$3" || fail "the embedded manifest is not $3"
    grep -q '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' "$3" ||
        fail "the manifest does not ask to run as the invoking user"
}

[ "$1" = image ] && { image "${@:2}"; exit 0; }
cases=$(dirname "$0")/cases
mode=$1 in=$cases/$2.in want=$cases/$3.out
shift 3
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT

dialogue() {
    local p c seen='' to from
    local -a answers
    read -rd '' -a answers <"$in"
    mkfifo "$tmp/to" "$tmp/from"
    "$@" <"$tmp/to" >"$tmp/from" 2>"$tmp/err" &
    exec {to}>"$tmp/to" {from}<"$tmp/from"
    for p in 'No. : ' 'Name : ' 'Age : ' 'High : ' 'Weight : '; do
        while [[ $seen != *"$p" ]]; do
            IFS= read -rN1 -t 20 c <&"$from" ||
                fail "no prompt ending in '$p' before the answer; got: $seen"
            seen+=$c
        done
        printf '%s\n' "${answers[0]}" >&"$to"
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
noinput) "$@" <&- >"$tmp/out" 2>"$tmp/err" ;;
closed) "$@" <"$in" >&- 2>"$tmp/err" ;;
full) "$@" <"$in" >/dev/full 2>"$tmp/err" ;;
broken)
    { sleep 1 && cat "$in"; } | "$@" 2>"$tmp/err" | head -c 0
    (exit "${PIPESTATUS[1]}")
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
diff <(od -c "$want") <(od -c "$tmp/out")
exit 1

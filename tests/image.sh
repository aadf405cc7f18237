#!/bin/bash
# Usage: image.sh OBJDUMP WINDRES EXE MANIFEST ICON VERSION DIR...
#
# Checks a Windows executable: it imports only the system's KERNEL32 and
# msvcrt DLLs; its resources are exactly the manifest (type 24, ID 1),
# which is MANIFEST byte for byte and asks to run as the invoking user, the
# version resource (ID 1), whose numbers and strings say VERSION, and the
# icon (group ID 1, of pictures 1 to 5), which is ICON's pictures; it is
# stripped, at most 100 KB, and names none of the directories DIR.

set -u
export LC_ALL=C
fail() {
    echo "FAIL: $*"
    exit 1
}
objdump=$1 windres=$2 exe=$3 manifest=$4 icon=$5 version=$6
shift 6

dump=$("$objdump" -p "$exe") || fail "cannot read $exe"
dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$dump" | sort | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "imports $dlls"

rc=$("$windres" -i "$exe" -O rc) || fail "cannot read the resources of $exe"
[ "$(wrestool -l "$exe" | sed 's/ --language=1033 .*//' | tr '\n' ' ')" = \
    "$(printf -- '--type=%s --name=%s ' 3 1 3 2 3 3 3 4 3 5 14 1 16 1 24 1)" ] ||
    fail "the resources are not icons 1 to 5, icon group 1, version 1 and manifest 1 alone"
# wrestool 0.32 writes some bytes of the file after the icon it rebuilds.
wrestool -x -t 14 -n 1 "$exe" | head -c "$(wc -c <"$icon")" | cmp -s - "$icon" ||
    fail "the icon of $exe is not $icon"

# The manifest's bytes: its leaf's address, less the section's, is its
# offset into the section's bytes in the file.
read -r leaf size < <(sed -n '/Entry: ID: 0x000018/,/Leaf:/s/.*Leaf: Addr: \(0x[0-9a-f]*\), Size: \(0x[0-9a-f]*\).*/\1 \2/p' <<<"$dump")
base=0x$(sed -n 's/^ImageBase[[:space:]]*//p' <<<"$dump")
read -r vma off < <("$objdump" -h "$exe" | awk '$2 == ".rsrc" { print "0x" $4, "0x" $6 }')
tail -c +$((off + leaf - (vma - base) + 1)) "$exe" | head -c $((size)) |
    cmp -s - "$manifest" || fail "the embedded manifest is not $manifest"
grep -q '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>' "$manifest" ||
    fail "the manifest does not ask to run as the invoking user"

numbers="${version//./, }, 0"
for line in " FILEVERSION $numbers" " PRODUCTVERSION $numbers" \
    "      VALUE \"FileVersion\", \"$version\"" \
    "      VALUE \"ProductVersion\", \"$version\""; do
    grep -qxF "$line" <<<"$rc" || fail "the version resource lacks: $line"
done

"$objdump" -h "$exe" | grep -q ' \.debug' && fail "$exe is not stripped"
[ "$(wc -c <"$exe")" -le 102400 ] || fail "$exe is larger than 100 KB"
for dir; do
    grep -qF "$dir" "$exe" && fail "$exe names the build machine's $dir"
done
exit 0

#!/bin/bash
# Usage: image.sh OBJDUMP WINDRES EXE MANIFEST VERSION DIR...
#
# Checks a Windows executable: it imports only the system's KERNEL32 and
# msvcrt DLLs; it has exactly two resources, the manifest (type 24, ID 1),
# which is MANIFEST byte for byte and asks to run as the invoking user, and
# the version resource (ID 1), whose numbers and strings say VERSION; it is
# stripped, at most 100 KB, and names none of the directories DIR.

set -u
export LC_ALL=C
fail() {
    echo "FAIL: $*"
    exit 1
}
objdump=$1 windres=$2 exe=$3 manifest=$4 version=$5
shift 5

dump=$("$objdump" -p "$exe") || fail "cannot read $exe"
dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$dump" | sort | tr '\n' ' ')
[ "$dlls" = "KERNEL32.dll msvcrt.dll " ] || fail "imports $dlls"

rc=$("$windres" -i "$exe" -O rc) || fail "cannot read the resources of $exe"
[ "$(sed -n 's|^/\* Type: ||p; s|^   Name: \([^.]*\)\..*|\1|p' <<<"$rc" | tr '\n' ' ')" = \
    "version 1 24 1 " ] ||
    fail "the resources are not version 1 and manifest 1 alone"

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

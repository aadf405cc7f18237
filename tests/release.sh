#!/bin/bash
# Usage: tests/release.sh
#
# Checks what `cmake -P cmake/release.cmake` left in dist/, from a checkout
# with nothing uncommitted:
#   - dist/ holds exactly the packages of every target in packaging/targets,
#     the Windows ones and the source tarball, and SHA256SUMS checks them
#     all; the changelog's version is the project's, and the README names
#     every package;
#   - lintian finds no error, no warning and no hardening tag in a .deb; an
#     .rpm requires only the C library and owns no directory but its own;
#   - every package, unpacked, holds a program that answers the example
#     byte for byte (under its target's emulator), and a manual page that
#     mandoc finds clean; the programs of the .deb and .rpm are hardened;
#     those of the tarballs need no loader and no library, and one of the
#     machine's own runs alone in an empty root directory;
#   - the zip's executable passes the image check and answers under Wine;
#   - nothing unpacked names this checkout's directory;
#   - the same commit, cloned into another directory (on another file
#     system where /dev/shm is one), and the source tarball, unpacked
#     without git, both made again later with another umask, time zone and
#     locale, give the same bytes for every package.

set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
export LC_ALL=C
fail() {
    echo "FAIL: $*"
    exit 1
}
[ -z "$(git status --porcelain)" ] || fail "commit first: the rebuild is of the last commit"

version=$(sed -n 's/^project(person-card VERSION \([^ ]*\).*/\1/p' CMakeLists.txt)
[ "$(dpkg-parsechangelog -l CHANGELOG -S Version)" = "$version" ] ||
    fail "CHANGELOG has no entry for $version"
p=person-card
declare -A emulator=([$p-$version-win64.zip]=/usr/lib/wine/wine64)
while read -r name debian _ rpm emu _; do
    emulator[${p}_${version}_$debian.deb]=${emu#-}
    emulator[$p-$version-linux-$name.tar.gz]=${emu#-}
    [ "$rpm" = - ] || emulator[$p-$version-1.$rpm.rpm]=${emu#-}
done < <(grep -v '^#' packaging/targets)
[ "$(ls dist)" = "$(printf '%s\n' "${!emulator[@]}" $p-$version.tar.gz SHA256SUMS | sort)" ] ||
    fail "dist/ does not hold exactly this release's files: $(ls dist)"
[ "$(cut -c67- dist/SHA256SUMS)" = "$(ls dist | grep -vx SHA256SUMS)" ] ||
    fail "SHA256SUMS does not list every file"
(cd dist && sha256sum --strict --quiet -c SHA256SUMS)

tmp=$(mktemp -d) again=
export WINEPREFIX=$tmp/wine WINEDEBUG=-all
wineserver=/usr/lib/wine/wineserver
trap '$wineserver -k 2>/dev/null || :; rm -rf "$tmp" ${again:+"$again"}' EXIT
mkdir "$WINEPREFIX"
{ $wineserver -p && ${emulator[$p-$version-win64.zip]} wineboot --init; } >"$tmp/wine.log" 2>&1
sed -z 's/\n/\r\n/g' tests/cases/example.out >"$tmp/crlf.out"

for file in "${!emulator[@]}"; do
    grep -qF "$file" README.md || fail "README.md does not name $file"
    tree=$tmp/$file want=tests/cases/example.out
    mkdir "$tree"
    case $file in
    *.deb) dpkg-deb -x "dist/$file" "$tree" ;;
    *.rpm) rpm2cpio "dist/$file" | (cd "$tree" && cpio -idm --quiet) ;;
    *.tar.gz) tar -xzf "dist/$file" -C "$tree" --strip-components=1 ;;
    *.zip) unzip -q "dist/$file" -d "$tree" ;;
    esac
    bin=$(find "$tree" -path '*/bin/person-card*')
    case $file in
    *.deb)
        tags=$(lintian -I --pedantic "dist/$file" 2>&1 | grep -E '^[EW]:|hardening' || :)
        [ -z "$tags" ] || fail "lintian on $file: $tags" ;;&
    *.rpm)
        rpm -qp --requires "dist/$file" | grep -vE '^(libc\.so\.6\(|rtld\(|rpmlib\()' &&
            fail "$file requires more than the C library"
        rpm -qlp "dist/$file" | grep -v /person-card && fail "$file owns the directories above" ;;&
    *.deb | *.rpm)
        hardening-check -q --nostackprotector --nocfprotection "$bin" 2>/dev/null ||
            fail "$file: $(hardening-check "$bin" 2>&1)" ;;
    *.tar.gz)
        readelf -lWd "$bin" | grep -E 'INTERP|NEEDED' && fail "$file needs a loader or a library"
        if [ -z "${emulator[$file]}" ]; then
            mkdir "$tmp/root" && cp "$bin" "$tmp/root"
            chroot "$tmp/root" /person-card <tests/cases/example.in >"$tmp/out"
            cmp tests/cases/example.out "$tmp/out" || fail "$file does not run alone"
        fi
        ;;
    *.zip)
        bash tests/image.sh x86_64-w64-mingw32-objdump x86_64-w64-mingw32-windres "$bin" \
            src/person-card.manifest "$version" "$top"
        want=$tmp/crlf.out ;;
    esac
    ${emulator[$file]} "$bin" <tests/cases/example.in >"$tmp/out" || fail "$file: exit $?"
    cmp "$want" "$tmp/out" || fail "$file does not answer the example byte for byte"
    for page in $(find "$tree" -name '*.1.gz'); do
        [ -z "$(mandoc -T lint -W warning "$page" 2>&1)" ] || fail "mandoc -T lint $page"
    done
    grep -rlF "$top" "$tree" && fail "the files above name $top"
done
$wineserver -k

# The rebuilds: from a clone, then from the source tarball.
[ -w /dev/shm ] && again=$(mktemp -d -p /dev/shm) || again=$(mktemp -d)
git clone -q "$top" "$again/clone"
tar -xzf "dist/$p-$version.tar.gz" -C "$again"
for dir in clone "$p-$version"; do
    (
        umask 077
        unset WINEPREFIX WINEDEBUG
        cd "$again/$dir"
        export TZ=Pacific/Chatham LC_ALL=C.UTF-8 LANG=C.UTF-8
        cmake -P cmake/release.cmake
    ) >"$tmp/rebuild.log" 2>&1 || {
        tail -n 20 "$tmp/rebuild.log"
        fail "the rebuild in $dir failed"
    }
    for file in "${!emulator[@]}"; do
        cmp "dist/$file" "$again/$dir/dist/$file" || fail "the rebuild in $dir of $file differs"
    done
done
for file in $p-$version.tar.gz SHA256SUMS; do
    cmp "dist/$file" "$again/clone/dist/$file" || fail "the rebuild of $file differs"
done
echo "release checks passed: $(ls dist | tr '\n' ' ')"

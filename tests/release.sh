#!/bin/bash
# Usage: tests/release.sh
#
# Checks the packages that `cmake --workflow --preset package` and
# `cmake --workflow --preset windows` left in dist/, from a checkout with
# nothing uncommitted:
#   - every .sha256 checks; the changelog's version is the project's, and
#     the README names these packages;
#   - lintian finds no error and no warning in the .deb;
#   - the .deb and the tarball, each unpacked into an empty directory, hold
#     a program that answers the example byte for byte, and a manual page
#     that mandoc finds clean;
#   - the zip, unzipped, holds an executable that passes the image check
#     and answers the example under Wine, with CR LF line ends;
#   - nothing unpacked names this checkout's directory;
#   - the same commit, cloned into another directory (on another file
#     system where /dev/shm is one) and built again there later, with
#     another umask, time zone and locale, gives the same bytes for every
#     file in dist/.

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
deb=person-card_${version}_amd64.deb
tgz=person-card-$version-linux-x86_64.tar.gz
zip=person-card-$version-win64.zip
(cd dist && sha256sum --strict -c "$deb.sha256" "$tgz.sha256" "$zip.sha256")
for package in "$deb" "$tgz" "$zip"; do
    grep -qF "$package" README.md || fail "README.md does not name $package"
done

tags=$(lintian --fail-on error,warning "dist/$deb" 2>&1) || fail "lintian on $deb: $tags"

tmp=$(mktemp -d) again=
export WINEPREFIX=$tmp/wine WINEDEBUG=-all
wineserver=/usr/lib/wine/wineserver wine=/usr/lib/wine/wine64
trap '$wineserver -k 2>/dev/null || :; rm -rf "$tmp" ${again:+"$again"}' EXIT
cases=tests/cases

# answers EXPECTED PROGRAM...: PROGRAM's output for the example's answers
# must be EXPECTED.
answers() {
    local want=$1
    shift
    "$@" <$cases/example.in >"$tmp/out" || fail "$* exited with $?"
    cmp "$want" "$tmp/out" || fail "$* does not answer the example byte for byte"
}

dpkg-deb -x "dist/$deb" "$tmp/deb"
tar -xzf "dist/$tgz" -C "$tmp" && mv "$tmp/person-card-$version-linux-x86_64" "$tmp/tgz"
for tree in deb/usr tgz; do
    answers $cases/example.out "$tmp/$tree/bin/person-card"
    page=$tmp/$tree/share/man/man1/person-card.1.gz
    [ -z "$(mandoc -T lint -W warning "$page" 2>&1)" ] || fail "mandoc -T lint $page"
done

unzip -q "dist/$zip" -d "$tmp" && mv "$tmp/person-card-$version-win64" "$tmp/zip"
exe=$tmp/zip/bin/person-card.exe
bash tests/image.sh x86_64-w64-mingw32-objdump x86_64-w64-mingw32-windres "$exe" \
    src/person-card.manifest "$version" "$top"
sed -z 's/\n/\r\n/g' $cases/example.out >"$tmp/crlf.out"
mkdir "$WINEPREFIX"
{ $wineserver -p && $wine wineboot --init; } >"$tmp/wine.log" 2>&1
answers "$tmp/crlf.out" $wine "$exe"
$wineserver -k

if grep -rlF "$top" "$tmp/deb" "$tmp/tgz" "$tmp/zip"; then
    fail "the files above name $top"
fi

# The rebuild.
[ -w /dev/shm ] && again=$(mktemp -d -p /dev/shm) || again=$(mktemp -d)
git clone -q "$top" "$again/person-card"
(
    umask 077
    unset WINEPREFIX WINEDEBUG
    cd "$again/person-card"
    export TZ=Pacific/Chatham LC_ALL=C.UTF-8 LANG=C.UTF-8
    cmake --workflow --preset package && cmake --workflow --preset windows
) >"$tmp/rebuild.log" 2>&1 || {
    tail -n 20 "$tmp/rebuild.log"
    fail "the rebuild failed"
}
for file in dist/*; do
    cmp "$file" "$again/person-card/$file" || fail "the rebuild of $file differs"
done
echo "release checks passed: $(ls dist | tr '\n' ' ')"

#!/bin/bash
# Usage: tests/release.sh
#
# Checks what `cmake -P cmake/release.cmake` left in dist/ (commit first):
# exactly this release's files, at most 5 MB in all, all in SHA256SUMS and
# named in the README or doc/*.md, which name no other file of a release;
# lintian (no error, warning or hardening tag) on each .deb; an .rpm needs
# only the C library, owns only its own directories and shows rpmlint no tag
# but those packaging/rpmlintrc allows; every package, unpacked, answers the
# example byte for byte (under its target's emulator and CPU), names no path
# of this checkout and has a clean manual page, and its notices hold the
# copyright file of every package its program was recorded to hold, word for
# word; the Linux ones hold a valid menu entry and the icons, and the
# machine's own .deb's entry, started as from the menu, keeps its window
# until Enter; the .deb and .rpm programs are hardened, the static ones hold
# no glibc, need no loader or library, are at most 100 KB (each size
# printed), and the machine's own runs alone in an empty root; the Windows
# executables pass the image check; the MSI has no GUID in lower case, gives
# the Start-menu entry and Settings > Apps the executable's icon, and under
# Wine it installs (on the PATH, with a Start-menu and an uninstall entry),
# also over the previous version beside a system PATH over 2,000
# characters, refuses that version after it, and is removed cleanly; the
# web page's zip is at most
# 250 KB, and its page passes the browser check in Chromium, Firefox and
# WebKit (npm ci first), with a screenshot of each in build/.  The bill of
# materials is valid CycloneDX and names each Debian package at the version
# dpkg has installed.  Last, a clone and the source tarball, made again
# elsewhere (on another file system where /dev/shm is one) with another
# umask, time zone and locale, give the same bytes for every file, and
# diffoscope shows how one differs.

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
wine=/usr/lib/wine/wine64
declare -A emulator=([$p-$version-win64.zip]=$wine [$p-$version-win64.msi]=$wine [$p-$version-web.zip]=node)
while read -r name debian _ emu cpu _ _ packages; do
    [ "$cpu" = - ] || emu+=" -cpu $cpu"
    emulator[$p-$version-linux-$name.tar.gz]=$emu
    [[ $packages != *deb* ]] || emulator[${p}_${version}_$debian.deb]=$emu
    [[ $packages != *rpm* ]] || emulator[$p-$version-1.$name.rpm]=$emu
done < <(grep -v '^#' packaging/targets)
made=("${!emulator[@]}" $p-$version.{tar.gz,buildinfo,cdx.json} SHA256SUMS)
[ "$(ls dist)" = "$(printf '%s\n' "${made[@]}" | sort -u)" ] || fail "dist/ does not hold exactly this release's files: $(ls dist)"
[ "$(cut -c67- dist/SHA256SUMS)" = "$(ls dist | grep -vx SHA256SUMS)" ] ||
    fail "SHA256SUMS does not list every file"
(cd dist && sha256sum --strict --quiet -c SHA256SUMS)
[ "$(cat dist/* | wc -c)" -le $((5 * 1024 * 1024)) ] || fail "dist/ holds more than 5 MB: $(du -sh dist)"

tmp=$(mktemp -d) again=
export WINEPREFIX=$tmp/wine WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
wineserver=/usr/lib/wine/wineserver
trap '$wineserver -k 2>/dev/null || :; rm -rf "$tmp" ${again:+"$again"}' EXIT
mkdir "$WINEPREFIX"
{ $wineserver -p && $wine wineboot --init; } >"$tmp/wine.log" 2>&1
sed -z 's/\n/\r\n/g' tests/cases/example.out >"$tmp/crlf.out"

key='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
path() { $wine reg query "$key" /v PATH | sed -n 's/^ *PATH *REG_EXPAND_SZ *//p' | tr -d '\r'; }
# What the installers leave behind: files, and uninstall entries by name and version.
state() {
    (cd "$WINEPREFIX/drive_c" && find . -ipath '*person-card*' -type f |
        sed 's|.*/Start Menu/Programs/|Start menu: |; s|^\./windows/Installer/{[0-9A-F-]*}/|Installer: |' | sort)
    { $wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null || :; } |
        tr -d '\r' | grep -oE 'Display(Name|Version) +REG_SZ +.*' | tr -s ' ' || :
}
# Installs the MSI $1 alone, then over $2 (the previous version) beside a long
# PATH; $2 must then be refused, and removing $1 must leave what was before.
installer() {
    local previous before left installed status bin='C:\Program Files\person-card\bin\' original long
    original=$(path) long=$(printf ';C:\\Tools\\%04d' {1..250})
    for previous in '' "$2"; do
        $wine reg add "$key" /v PATH /t REG_EXPAND_SZ /d "$original${previous:+$long}" /f >/dev/null
        before=$(path)
        [ -z "$previous" ] || $wine msiexec /i "$previous" /qn || fail "msiexec /i $previous: exit $?"
        $wine msiexec /i "$1" /qn || fail "msiexec /i $1: exit $?"
        [ "$(state)" = "$(printf '%s\n' ./Program\ Files/person-card/{LICENSE,README.md,THIRD-PARTY-NOTICES,bin/person-card.exe} \
            'Installer: person-card.ico' 'Start menu: person-card.lnk' 'DisplayName REG_SZ person-card' \
            "DisplayVersion REG_SZ $version")" ] ||
            fail "$1${previous:+ over $previous} installed: $(state)"
        # Wine leaves the ";" of each entry it takes out of PATH (untried on
        # Windows): after the upgrade, as an empty entry before the new one.
        left=${previous:+;}
        [[ $(path) == "$before"?($left)";$bin" ]] || fail "PATH after install: $(path)"
        # Wine hands a process only about 1,000 characters of PATH.
        [ -n "$previous" ] || (cd / && $wine cmd /c person-card) <tests/cases/example.in |
            cmp "$tmp/crlf.out" - || fail "person-card on the PATH does not answer the example"
        installed=$(state && path) status=0
        $wine msiexec /i "$2" /qn || status=$?
        # 1603, of which the exit status keeps the low byte.
        [ "$status" = $((1603 % 256)) ] || fail "$2 over $1: exit $status, not 1603"
        [ "$(state && path)" = "$installed" ] || fail "the refused $2 changed: $(state && path)"
        $wine msiexec /x "$1" /qn || fail "msiexec /x $1: exit $?"
        [[ $(path) == "$before"?($left;) ]] || fail "PATH after removal: $(path)"
        [ -z "$(state)" ] || fail "$1 left behind: $(state)"
    done
}

# Starts the menu entry under the prefix $1 as a desktop does, in xterm on
# the display, types the example's answers, and sees the window still there
# a second after the program has ended, with a screenshot in build/, and
# gone after Enter.
menu() {
    local pid a t
    PATH=$1/bin:$PATH XDG_DATA_DIRS=$1/share gio launch "$1/share/applications/person-card.desktop" &
    window=$(xdotool search --sync --class xterm | head -n 1) && pid=$(xdotool getwindowpid "$window") &&
        xdotool windowfocus --sync "$window" || return
    for t in {1..50}; do pgrep -P "$(pgrep -P "$pid")" -x person-card >/dev/null && break; sleep 0.2; done
    for a in $(<tests/cases/example.in); do xdotool type "$a" && xdotool key Return; done
    sleep 1
    pgrep -P "$pid" >/dev/null && ! pgrep -P "$(pgrep -P "$pid")" >/dev/null &&
        import -window root build/menu.png && xdotool key Return || return
    for t in {1..50}; do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.2; done
    return 1
}

# What the README and the guides name of this release, the release makes.
docs=(README.md doc/*.md)
for name in $(grep -ohE "$p[-_][0-9][0-9A-Za-z._-]*\.(deb|rpm|tar\.gz|zip|msi|buildinfo|cdx\.json)" "${docs[@]}" | sort -u); do
    [[ " ${made[*]} " == *" $name "* ]] || fail "the documents name $name, which the release does not make"
done
for file in "${!emulator[@]}"; do
    grep -qF "$file" "${docs[@]}" || fail "no document names $file"
    tree=$tmp/$file want=tests/cases/example.out
    mkdir "$tree"
    case $file in
    *.deb) dpkg-deb -x "dist/$file" "$tree" ;;
    *.rpm) rpm2cpio "dist/$file" | (cd "$tree" && cpio -idm --quiet) ;;
    *.tar.gz) tar -xzf "dist/$file" -C "$tree" --strip-components=1 ;;
    *.zip) unzip -q "dist/$file" -d "$tree" ;;
    *.msi) msiextract -C "$tree" "dist/$file" >/dev/null ;;
    esac
    bin=$(find "$tree" -path '*/bin/person-card*' -o -name person-card.js)
    # The notices of what the program holds, as the build recorded it.
    notices=$(find "$tree" -name THIRD-PARTY-NOTICES)
    [ -n "$notices" ] || fail "$file holds no THIRD-PARTY-NOTICES"
    # Each package's copyright file as dpkg installed it, or for what the
    # release built from source, as that source has it.
    text=$(<"$notices")
    while read -r link pkg _ src sv path; do
        copyright=/usr/share/doc/${pkg%:*}/copyright title=$copyright
        [ "$pkg" != - ] || copyright=$(dirname "$path")/../copyright title="$src $sv: debian/copyright"
        [ "$link" = dynamic ] || [[ $text == *"==== $title ===="$'\n\n'"$(<"$copyright")"* ]] ||
            fail "$file: its notices lack $copyright"
    done <"build/contents/$file"
    case $file in
    *.deb)
        tags=$(lintian -I --pedantic "dist/$file" 2>&1 | grep -E '^[EW]:|hardening' || :)
        [ -z "$tags" ] || fail "lintian on $file: $tags" ;;&
    *.rpm)
        tags=$(rpmlint -r packaging/rpmlintrc "dist/$file" 2>&1) && ! grep -E ': [EW]: ' <<<"$tags" ||
            fail "rpmlint on $file: $tags"
        # The loader is glibc's too: on aarch64 it holds the stack guard.
        rpm -qp --requires "dist/$file" | grep -vE '^(libc\.so\.6\(|ld-linux-[a-z0-9-]+\.so\.1\(|rtld\(|rpmlib\()' &&
            fail "$file requires more than the C library"
        rpm -qlp "dist/$file" | grep -v /person-card && fail "$file owns the directories above" ;;&
    *.deb | *.rpm | *.tar.gz)
        share=${bin%/bin/person-card}/share
        said=$(desktop-file-validate "$share/applications/$p.desktop" 2>&1)
        [ -z "$said" ] || fail "desktop-file-validate on $file: $said"
        [ "$(cd "$share/icons/hicolor" && find . -type f | sort)" = "$( (printf "./%sx%s/apps/$p.png\n" 16 16 24 24 \
            32 32 48 48 64 64 128 128 256 256 && echo "./scalable/apps/$p.svg") | sort)" ] || fail "$file: the icons"
        [ "$file" != "${p}_${version}_$(dpkg --print-architecture).deb" ] ||
            xvfb-run -a bash -c "$(declare -f menu) && menu \"\$0\"" "${share%/share}" ||
            fail "$file: the menu entry's window does not keep the report until Enter" ;;&
    *.deb | *.rpm)
        hardening-check -q --nostackprotector --nocfprotection "$bin" 2>/dev/null ||
            fail "$file: $(hardening-check "$bin" 2>&1)" ;;
    *.tar.gz)
        readelf -lWd "$bin" | grep -E 'INTERP|NEEDED' && fail "$file needs a loader or a library"
        grep -qai glibc "$bin" && fail "$file holds glibc"
        size=$(stat -c %s "$bin") && echo "$file: the program is $size bytes"
        [ "$size" -le 102400 ] || fail "$file: its program is larger than 100 KB"
        [[ $file != *-$(uname -m).tar.gz ]] || { mkdir "$tmp/root" && cp "$bin" "$tmp/root" &&
            chroot "$tmp/root" /person-card <tests/cases/example.in | cmp tests/cases/example.out -; } ||
            fail "$file does not run alone in an empty root" ;;
    *-web.zip)
        [ "$(stat -c %s "dist/$file")" -le 256000 ] || fail "$file is larger than 250 KB"
        for engine in chromium firefox webkit; do
            xvfb-run -a node tests/browser.mjs $engine "$(dirname "$bin")/index.html" build/browser-$engine.png ||
                fail "the browser check in $engine"
        done ;;
    *-win64.zip | *.msi)
        bash tests/image.sh x86_64-w64-mingw32-objdump x86_64-w64-mingw32-windres "$bin" \
            src/person-card.manifest build/windows/person-card.ico "$version" "$top"
        want=$tmp/crlf.out ;;&
    *.msi)
        # (in $tmp, where the export of the Icon table leaves its streams)
        (cd "$tmp" && for table in $(msiinfo tables "$top/dist/$file"); do msiinfo export "$top/dist/$file" "$table"; done) |
            grep -aoiE '[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}' | grep '[a-f]' && fail "$file: GUIDs in lower case"
        # The executable's icon, on the Start-menu entry and in Settings > Apps.
        msiinfo extract "dist/$file" Icon.$p.ico | cmp -s - build/windows/$p.ico &&
            [ "$(msiinfo export "dist/$file" Property | grep ^ARPPRODUCTICON | tr -d '\r')" = $'ARPPRODUCTICON\t'$p.ico ] &&
            [ "$(msiinfo export "dist/$file" Shortcut | tail -n 1 | cut -f 9)" = $p.ico ] || fail "$file: the icons"
        # The previous version's installer, of the same files:
        cmake -D BUILD=build/windows -D EPOCH="$(git log -1 --format=%ct)" -D DESCRIPTION=- -D VENDOR=previous \
            -D VERSION="$(dpkg-parsechangelog -l CHANGELOG -o 1 -c 1 -S Version)" \
            -D MSI="$tmp/previous.msi" -P cmake/msi.cmake
        installer "dist/$file" "$tmp/previous.msi" ;;
    esac
    ${emulator[$file]} "$bin" <tests/cases/example.in >"$tmp/out" || fail "$file: exit $?"
    cmp "$want" "$tmp/out" || fail "$file does not answer the example byte for byte"
    for page in $(find "$tree" -name '*.1.gz'); do
        [ -z "$(mandoc -T lint -W warning "$page" 2>&1)" ] || fail "mandoc -T lint $page"
    done
    grep -rlF "$top" "$tree" && fail "the files above name $top"
done
$wineserver -k

# The bill of materials: valid CycloneDX 1.6, each file's hash as in
# SHA256SUMS, each program made of what the build recorded, and each Debian
# package named at the version that dpkg has installed, built from the
# source package named (itself, or as its Built-Using says).
node --input-type=module - "$p-$version.cdx.json" <<'EOF' || fail "the bill of materials"
import { Validation } from '@cyclonedx/cyclonedx-library';
import { execFileSync } from 'node:child_process';
import { existsSync, readFileSync } from 'node:fs';
const text = readFileSync('dist/' + process.argv[2], 'utf8'), bom = JSON.parse(text);
const errors = await new Validation.JsonStrictValidator('1.6').validate(text);
if (errors) throw new Error(JSON.stringify(errors));
const sums = readFileSync('dist/SHA256SUMS', 'utf8').trim().split('\n').filter((l) => !l.endsWith(process.argv[2]));
const files = bom.components.filter((c) => c.type == 'file');
if (files.map((c) => `${c.hashes[0].content}  ${c.name}`).join('\n') != sums.join('\n')) throw new Error('not SHA256SUMS');
const uses = (ref) => bom.dependencies.find((d) => d.ref == ref).dependsOn.join();
for (const { name } of files.filter((c) => existsSync('build/contents/' + c.name))) {
  const record = [...new Set(readFileSync('build/contents/' + name, 'utf8').trim().split('\n').map((l) => l.split(' '))
    .map(([link, , , src, v]) => `pkg:deb/debian/${src}@${encodeURIComponent(v)}?arch=source#${link}`))].sort();
  if (uses(name + '#program') != record.join()) throw new Error(`${name}: ${uses(name + '#program')}, not ${record}`);
}
for (const library of bom.components.filter((c) => c.type == 'library')) {
  for (const { value } of library.properties.filter((p) => p.name == 'person-card:debian-package')) {
    const [, name, version, arch] = value.match(/^pkg:deb\/debian\/([^@]+)@([^?]+)(?:\?arch=(.+))?$/);
    const [installed, source, built] = execFileSync('dpkg-query', ['-W', '-f=${Version}\t${source:Package} ${source:Version}\t${Built-Using}',
      arch ? `${name}:${arch}` : name], { encoding: 'utf8' }).split('\t');
    const from = [source, ...built.split(', ').map((b) => b.replace(/ \(= (.*)\)$/, ' $1'))];
    if (installed != decodeURIComponent(version) || !from.includes(`${library.name} ${library.version}`))
      throw new Error(`${library['bom-ref']}: ${value}, but dpkg has ${installed} from ${from}`);
  }
}
EOF

# The buildinfo: every package at the version installed here (one query
# for all), and nothing of this build's machine: no path, no host name (a
# whole word: "vm" is in "llvm").
info=dist/$p-$version.buildinfo
deps=$(awk '/^[^ ]/ { f = /^Installed-Build-Depends:$/ } f && /^ / { print $1, $3 }' "$info" | tr -d '),' | sort)
[ -n "$deps" ] || fail "$info: no Installed-Build-Depends"
installed=$(dpkg-query -W -f '${db:Status-Abbrev} ${Package}:${Architecture} ${Version}\n' |
    awk -v a=":$(dpkg --print-architecture)" '$1 ~ /^.i/ { sub(a "$|:all$", "", $2); print $2, $3 }' | sort)
wrong=$(comm -23 <(echo "$deps") <(echo "$installed"))
[ -z "$wrong" ] || fail "$info: not installed here in that version: $wrong"
! grep -qF -- "$top" "$info" || fail "$info names the checkout $top"
! grep -qwF -- "$(hostname)" "$info" || fail "$info names the host $(hostname)"

# The rebuilds: from a clone, then from the source tarball, which lies
# beside the tree unpacked from it.
[ -w /dev/shm ] && again=$(mktemp -d -p /dev/shm) || again=$(mktemp -d)
git clone -q "$top" "$again/clone"
cp "dist/$p-$version.tar.gz" "$again" && tar -xzf "$again/$p-$version.tar.gz" -C "$again"
for dir in clone "$p-$version"; do
    (umask 077 && unset WINEPREFIX WINEDEBUG && cd "$again/$dir" &&
        TZ=Pacific/Chatham LC_ALL=C.UTF-8 LANG=C.UTF-8 cmake -P cmake/release.cmake) \
        >"$tmp/rebuild.log" 2>&1 || { tail -n 20 "$tmp/rebuild.log" && fail "the rebuild in $dir failed"; }
    for file in "${made[@]}"; do
        cmp -s "dist/$file" "$again/$dir/dist/$file" ||
            { diffoscope "dist/$file" "$again/$dir/dist/$file" | head -n 200 || :
                fail "the rebuild in $dir of $file differs, as above"; }
    done
done
echo "release checks passed: $(ls dist | tr '\n' ' ')"

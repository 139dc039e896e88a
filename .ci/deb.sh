#!/usr/bin/env bash
# Builds the Debian packages of the Linux targets with
# `cpack --preset deb-linux-x64` and `deb-linux-x86` (reusing the presets'
# build folders), checks their fields and members, runs lintian on both (an
# error fails), then installs the amd64 package with apt-get, converts the
# example sheets (a BMP and a PNG) with the installed pixmold, finds its manual
# page with man, removes the package and checks that none of its files is left.
# Called by .ci/run after .ci/package.sh; runs as root and needs dpkg-dev,
# lintian, man-db, and libc6, libstdc++6, libgcc-s1, libspng0 and zlib1g of
# i386 (the i386 package's Depends are read from them).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export DEBIAN_FRONTEND=noninteractive

version=$(sed -n 's/^project(pixmold VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "deb: no version in CMakeLists.txt" >&2; exit 1; }
packages="$root/build/packages"
mkdir -p "$packages"
fail() { echo "deb: $*" >&2; exit 1; }
field() { dpkg-deb --field "$deb" "$1"; }

# What every package holds: "mode owner path", directories aside.
members="-rwxr-xr-x root/root ./usr/bin/pixmold
-rw-r--r-- root/root ./usr/share/doc/pixmold/CHANGELOG.md.gz
-rw-r--r-- root/root ./usr/share/doc/pixmold/README.md.gz
-rw-r--r-- root/root ./usr/share/doc/pixmold/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/pixmold/copyright
-rw-r--r-- root/root ./usr/share/man/man1/pixmold.1.gz"

for target in linux-x64:amd64 linux-x86:i386; do
  preset=${target%%:*}
  arch=${target##*:}
  deb="$packages/pixmold_${version}_$arch.deb"
  echo "--- deb-$preset"
  log="$root/build/deb-$preset.log"
  rm -f "$deb"
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j2 && cpack --preset "deb-$preset"; } >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
  [ -f "$deb" ] || fail "$deb was not made"
  dpkg-deb --info "$deb"
  listing=$(dpkg-deb --contents "$deb")
  echo "$listing"

  [ "$(field Package)" = pixmold ] || fail "$(basename "$deb"): Package is not pixmold"
  [ "$(field Version)" = "$version" ] || fail "$(basename "$deb"): Version is not $version"
  [ "$(field Architecture)" = "$arch" ] || fail "$(basename "$deb"): Architecture is not $arch"
  # The C and C++ runtime and libspng, each with a minimum version, and
  # nothing else (zlib comes with libspng0).
  depends=$(field Depends | tr -d ' ' | tr ',' '\n' | sort)
  expected=$(printf '%s\n' libc6 libgcc-s1 libspng0 libstdc++6)
  [ "$(sed 's/(.*//' <<<"$depends")" = "$expected" ] && ! grep -qv '(>=' <<<"$depends" \
    || fail "$(basename "$deb"): Depends is not libc6, libgcc-s1, libspng0 and libstdc++6 with versions: $(field Depends)"
  files=$(awk '$1 !~ /^d/ { print $1, $2, $6 }' <<<"$listing")
  [ "$files" = "$members" ] || fail "$(basename "$deb") holds other files or modes:
$files
instead of:
$members"

  # lintian's exit code is 1 on an error (--fail-on error); warnings are shown.
  report=$(lintian --info --fail-on error "$deb" 2>&1) || { echo "$report" >&2; fail "lintian reports an error in $(basename "$deb")"; }
  echo "lintian $(basename "$deb"): $(grep -c '^W:' <<<"$report" || true) warnings"
  grep '^[EW]:' <<<"$report" || true
done

echo "--- install, run and remove pixmold_${version}_amd64.deb"
if dpkg -s pixmold >/dev/null 2>&1; then
  fail "a pixmold package is installed already; remove it first (apt-get remove pixmold)"
fi
work=$(mktemp -d)
installed_here=0
cleanup() {
  rm -rf "$work"
  # A failed check leaves the machine as it was.
  if [ "$installed_here" = 1 ] && dpkg -s pixmold >/dev/null 2>&1; then
    apt-get remove -y -qq pixmold </dev/null >/dev/null || true
  fi
}
trap cleanup EXIT
installed_here=1
apt_log="$root/build/deb-apt.log"
apt-get install -y "./build/packages/pixmold_${version}_amd64.deb" </dev/null >"$apt_log" 2>&1 \
  || { cat "$apt_log" >&2; fail "apt-get install failed"; }
[ "$(dpkg-query -W -f='${Status} ${Version}' pixmold)" = "install ok installed $version" ] || fail "pixmold $version is not installed"
echo "installed pixmold $version"
installed=$(dpkg -L pixmold)
[ "$(command -v pixmold)" = /usr/bin/pixmold ] || fail "pixmold from PATH is $(command -v pixmold), not /usr/bin/pixmold"

# The installed program and the build tree's convert the example sheet to the
# same bytes, console included.
mkdir "$work/installed" "$work/built"
(cd "$work/installed" && pixmold -s "$root/examples/sprites.bmp" -d sprites.asm -e sprites.spr >console </dev/null)
(cd "$work/built" && "$root/build/linux-x64/converter/pixmold" -s "$root/examples/sprites.bmp" -d sprites.asm -e sprites.spr >console </dev/null)
for file in sprites.asm sprites.spr; do
  [ -s "$work/installed/$file" ] || fail "the installed pixmold did not write $file"
done
grep -q '^> Converting 8 sprites to C64 format' "$work/installed/console" || { cat "$work/installed/console" >&2; fail "the installed pixmold did not convert the sheet"; }
for file in sprites.asm sprites.spr console; do
  cmp "$work/installed/$file" "$work/built/$file" || fail "$file of the installed pixmold differs from the build tree's"
done
echo "installed pixmold converted examples/sprites.bmp to the build tree's bytes"

# A PNG sheet with -colors: the installed program reads it through Debian's
# libspng, to the build tree's bytes.
[ -f "$root/examples/colors.png" ] || fail "examples/colors.png is missing"
mkdir "$work/installed-png" "$work/built-png"
(cd "$work/installed-png" && pixmold -s "$root/examples/colors.png" -d colors.asm -colors >console </dev/null)
(cd "$work/built-png" && "$root/build/linux-x64/converter/pixmold" -s "$root/examples/colors.png" -d colors.asm -colors >console </dev/null)
[ -s "$work/installed-png/colors.asm" ] || { cat "$work/installed-png/console" >&2; fail "the installed pixmold did not convert examples/colors.png"; }
for file in colors.asm console; do
  cmp "$work/installed-png/$file" "$work/built-png/$file" || fail "$file of examples/colors.png differs between the installed pixmold and the build tree's"
done
echo "installed pixmold converted examples/colors.png to the build tree's bytes"

page=$(man -w pixmold) || fail "man -w pixmold finds no manual page"
[ "$page" = /usr/share/man/man1/pixmold.1.gz ] || fail "man -w pixmold finds $page"
echo "man -w pixmold: $page"

apt-get remove -y pixmold </dev/null >>"$apt_log" 2>&1 || { cat "$apt_log" >&2; fail "apt-get remove failed"; }
if dpkg-query -W -f='${Status}' pixmold 2>/dev/null | grep -q ' installed$'; then
  fail "pixmold is still installed"
fi
left=0
while read -r path; do
  # Directories that other packages share (/usr, /usr/share/man/man1) stay.
  if [ -e "$path" ] && ! [ -d "$path" ]; then
    echo "deb: $path is left after apt-get remove" >&2
    left=1
  fi
done <<<"$installed"
for path in /usr/bin/pixmold /usr/share/man/man1/pixmold.1.gz /usr/share/doc/pixmold; do
  [ ! -e "$path" ] || { echo "deb: $path is left after apt-get remove" >&2; left=1; }
done
[ "$left" = 0 ] || exit 1
echo "apt-get remove pixmold left none of its files"

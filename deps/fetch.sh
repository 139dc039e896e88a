#!/usr/bin/env bash
# Fetches the source of libspng 0.7.3, the PNG library that the Windows builds
# (and Linux builds with -DPIXMOLD_SPNG_FROM_SOURCE=ON) compile into pixmold,
# and unpacks it into deps/libspng-0.7.3 (git-ignored). Does nothing when that
# folder is there already.
#
# The source is Debian 12's package libspng, fetched by name with
# `apt-get source --download-only` from deps/debian-sources.sources alone: the
# package lists and the download stay in a temporary folder, and the machine's
# apt sources and lists are neither read nor changed. apt checks the files
# against the signed index; the upstream tarball is then checked against its
# known SHA-256 and unpacked (Debian's own changes patch no source file).
#
# Needs apt-get, the Debian archive keyring (debian-archive-keyring) and the
# network; works as root or as any user, without standard input.
set -euo pipefail
deps=$(cd "$(dirname "$0")" && pwd)
version=0.7.3
tarball="libspng_$version.orig.tar.gz"
sha256=a50cadbe808ffda1a7fab17d145f52a23b163f34b3eb3696c7ecb5a52340fc1d
target="$deps/libspng-$version"
say() { echo "deps/fetch.sh: $*"; }
fail() { echo "deps/fetch.sh: $*" >&2; exit 1; }

if [ -f "$target/spng/spng.c" ] && [ -f "$target/spng/spng.h" ] && [ -f "$target/LICENSE" ]; then
  say "libspng $version source already in $target, nothing to do"
  exit 0
fi
[ -w "$deps" ] || fail "$deps is not writable"
command -v apt-get >/dev/null || fail "apt-get not found: the libspng source is fetched from Debian with apt-get"
keyring=$(sed -n 's/^Signed-By: *//p' "$deps/debian-sources.sources")
[ -f "$keyring" ] || fail "$keyring not found: apt-get install debian-archive-keyring"

work=$(mktemp -d)
staging=""
trap 'rm -rf "$work" ${staging:+"$staging"}' EXIT
mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/download"
# Run as root, apt downloads as the user _apt, which must reach these folders.
if [ "$(id -u)" = 0 ] && id _apt >/dev/null 2>&1; then
  chmod 755 "$work"
  chown _apt "$work/download"
fi
apt=(apt-get -q
  -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$deps"
  -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache")

say "reading the package lists of deps/debian-sources.sources"
"${apt[@]}" --error-on=any update </dev/null
say "fetching Debian's source package libspng"
(cd "$work/download" && "${apt[@]}" source --download-only libspng </dev/null)
[ -f "$work/download/$tarball" ] \
  || fail "Debian's libspng source holds no $tarball (another libspng version?): $(ls "$work/download")"
echo "$sha256  $work/download/$tarball" | sha256sum --check --quiet \
  || fail "$tarball is not the one pixmold was built with (SHA-256 $sha256)"

# Unpacked beside its final place, then renamed, so that an interrupted run
# never leaves a folder that looks complete.
staging=$(mktemp -d "$deps/.fetch.XXXXXX")
tar -xzf "$work/download/$tarball" -C "$staging" --no-same-owner --no-same-permissions
[ -f "$staging/libspng-$version/spng/spng.c" ] || fail "$tarball holds no libspng-$version/spng/spng.c"
rm -rf "$target"
mv "$staging/libspng-$version" "$target"
say "unpacked $tarball (checked by apt and by its SHA-256) into $target"

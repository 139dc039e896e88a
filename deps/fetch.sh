#!/usr/bin/env bash
# Fetches the sources that some builds compile into pixmold and unpacks them
# here (git-ignored): libspng 0.7.3, the PNG library of the Windows, fuzz and
# WebAssembly builds (and Linux builds with -DPIXMOLD_SPNG_FROM_SOURCE=ON), into
# deps/libspng-0.7.3, and zlib 1.2.13, beneath it in the WebAssembly build,
# into deps/zlib-1.2.13. A source already there is left as it is.
#
# Each is Debian 12's source package, fetched by name with
# `apt-get source --download-only` from deps/debian-sources.sources alone: the
# package lists and the download stay in a temporary folder, and the machine's
# apt sources and lists are neither read nor changed. apt checks the files
# against the signed index; the upstream tarball is then checked against its
# known SHA-256 and unpacked (Debian's own changes patch no library source:
# zlib's touch only its build files and minizip).
#
# Needs apt-get, the Debian archive keyring (debian-archive-keyring) and the
# network; works as root or as any user, without standard input.
set -euo pipefail
deps=$(cd "$(dirname "$0")" && pwd)
say() { echo "deps/fetch.sh: $*"; }
fail() { echo "deps/fetch.sh: $*" >&2; exit 1; }

# package version tarball sha256 folder-in-tarball file-that-shows-it-whole
sources=(
  "libspng 0.7.3 libspng_0.7.3.orig.tar.gz a50cadbe808ffda1a7fab17d145f52a23b163f34b3eb3696c7ecb5a52340fc1d libspng-0.7.3 spng/spng.c"
  "zlib 1.2.13 zlib_1.2.13.dfsg.orig.tar.bz2 71feb7947e3c00ef125f83b79a4e529bde31171e5babe48b391f06758d1ab0a1 zlib-1.2.13.dfsg inflate.c"
)
wanted=()
for entry in "${sources[@]}"; do
  read -r package version _ _ _ whole <<<"$entry"
  if [ -f "$deps/$package-$version/$whole" ] && [ -f "$deps/$package-$version/LICENSE" ]; then
    say "$package $version source already in $deps/$package-$version, nothing to do"
  else
    wanted+=("$entry")
  fi
done
[ ${#wanted[@]} -eq 0 ] && exit 0
[ -w "$deps" ] || fail "$deps is not writable"
command -v apt-get >/dev/null || fail "apt-get not found: the sources are fetched from Debian with apt-get"
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
for entry in "${wanted[@]}"; do
  read -r package version tarball sha256 folder whole <<<"$entry"
  target="$deps/$package-$version"
  say "fetching Debian's source package $package"
  (cd "$work/download" && "${apt[@]}" source --download-only "$package" </dev/null)
  [ -f "$work/download/$tarball" ] \
    || fail "Debian's $package source holds no $tarball (another version?): $(ls "$work/download")"
  echo "$sha256  $work/download/$tarball" | sha256sum --check --quiet \
    || fail "$tarball is not the one pixmold was built with (SHA-256 $sha256)"
  # Unpacked beside its final place, then renamed, so that an interrupted run
  # never leaves a folder that looks complete.
  staging=$(mktemp -d "$deps/.fetch.XXXXXX")
  tar -xf "$work/download/$tarball" -C "$staging" --no-same-owner --no-same-permissions
  [ -f "$staging/$folder/$whole" ] || fail "$tarball holds no $folder/$whole"
  rm -rf "$target"
  mv "$staging/$folder" "$target"
  rm -rf "$staging"
  staging=""
  say "unpacked $tarball (checked by apt and by its SHA-256) into $target"
done

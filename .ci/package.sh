#!/usr/bin/env bash
# Builds the four targets (reusing the presets' build folders when they already
# hold a build), makes their release archives with `cpack --preset <preset>`,
# lists each archive and fails when a file that belongs in it is missing.
# Called by .ci/run after the targets' tests; needs cmake, g++-multilib, the
# mingw-w64 compilers, groff-base (for the text manual page of the .zip), and
# libspng and zlib for every target (cmake/libspng.cmake says which).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

version=$(sed -n 's/^project(pixmold VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }
packages="$root/build/packages"
mkdir -p "$packages"

# The members every archive must hold, below its top folder (the Windows
# programs hold libspng, so its licence goes with them).
linux_members="bin/pixmold share/man/man1/pixmold.1 share/doc/pixmold/README.md share/doc/pixmold/LICENSE share/doc/pixmold/CHANGELOG.md"
windows_members="bin/pixmold.exe README.md LICENSE LICENSE-libspng.txt CHANGELOG.md pixmold.1 pixmold.txt"

failed=0
for preset in linux-x64 linux-x86 windows-x64 windows-x86; do
  echo "--- $preset"
  log="$root/build/package-$preset.log"
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset" -j2; } >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
  top="pixmold-$version-$preset"
  case "$preset" in
    linux-*) archive="$packages/$top.tar.gz"; members=$linux_members ;;
    windows-*) archive="$packages/$top.zip"; members=$windows_members ;;
  esac
  rm -f "$archive"
  if ! cpack --preset "$preset" >>"$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
  [ -f "$archive" ] || { echo "package: $archive was not made" >&2; exit 1; }
  case "$archive" in
    *.tar.gz) listing=$(tar -tzvf "$archive"); names=$(tar -tzf "$archive") ;;
    *.zip) listing=$(python3 -m zipfile -l "$archive")
           names=$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))' "$archive") ;;
  esac
  echo "$(basename "$archive") ($(stat -c %s "$archive") bytes):"
  echo "$listing"
  for member in $members; do
    if ! grep -qxF "$top/$member" <<<"$names"; then
      echo "package: $(basename "$archive") lacks $top/$member" >&2
      failed=1
    fi
  done
  # The Linux program must keep its execute permission in the archive.
  if [ "${archive%.tar.gz}" != "$archive" ] && ! grep -q '^-rwx.* '"$top"'/bin/pixmold$' <<<"$listing"; then
    echo "package: $top/bin/pixmold is not executable in the archive" >&2
    failed=1
  fi
done
exit "$failed"

#!/usr/bin/env bash
# Installs what the native test suite needs and is missing: on Debian, as root,
# with apt-get. Elsewhere it names what is missing and the tests that need it
# are reported as skipped. Then fetches the libspng and zlib sources that the
# Windows and WebAssembly builds compile (deps/fetch.sh, once).
packages="cmake g++ make libgtest-dev libspng-dev zlib1g-dev python3 imagemagick netpbm python3-pil optipng pngcheck acme xa65 64tass dasm cc65"
missing=$(for package in $packages; do
  dpkg-query -W -f '${Status}\n' "$package" 2>/dev/null | grep -q "ok installed" || echo "$package"
done)
if [ -n "$missing" ] && [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq; apt-get install -y -qq --no-install-recommends $missing >/dev/null && missing=""
fi
if [ -n "$missing" ]; then
  echo "tests/setup.sh: could not install" $missing "- the tests that need them will be skipped" >&2
fi

fetch="$(dirname "$0")/../deps/fetch.sh"
if ! command -v apt-get >/dev/null; then
  echo "tests/setup.sh: apt-get not found, so deps/fetch.sh cannot fetch the libspng and zlib sources - the Windows and WebAssembly builds need them" >&2
elif ! bash "$fetch" </dev/null; then
  echo "tests/setup.sh: deps/fetch.sh could not fetch the libspng and zlib sources - the Windows and WebAssembly builds need them" >&2
fi
exit 0

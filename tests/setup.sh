#!/usr/bin/env bash
# Installs what the native test suite needs and is missing: on Debian, as root,
# with apt-get. Elsewhere it names what is missing and the tests that need it
# are reported as skipped.
packages="cmake g++ make libgtest-dev python3 imagemagick netpbm python3-pil acme xa65 64tass cc65"
missing=$(for package in $packages; do
  dpkg-query -W -f '${Status}\n' "$package" 2>/dev/null | grep -q "ok installed" || echo "$package"
done)
[ -z "$missing" ] && exit 0
if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends $missing >/dev/null && exit 0
fi
echo "tests/setup.sh: could not install" $missing "- the tests that need them will be skipped" >&2

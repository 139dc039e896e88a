#!/usr/bin/env bash
# Regenerates the real-world fixtures into a temporary folder and checks that
# they equal the committed ones byte for byte, and that every file still holds
# the drawn indexes (make_fixtures.py parses each file it writes).
# Needs the Debian packages imagemagick, netpbm and python3-pil (the system
# python3, which Pillow belongs to). Takes about 2 seconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
python=/usr/bin/python3
fixtures="$root/tests/realworld/fixtures"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$python" "$root/tests/realworld/make_fixtures.py" --out "$work/fixtures"

status=0
for made in "$work"/fixtures/*.bmp; do
  name=$(basename "$made")
  if [ ! -f "$fixtures/$name" ]; then
    echo "realworld: $name is made but not committed" >&2
    status=1
  elif ! cmp -s "$made" "$fixtures/$name"; then
    echo "realworld: $name differs from the committed file" >&2
    status=1
  fi
done
for kept in "$fixtures"/*.bmp; do
  if [ ! -f "$work/fixtures/$(basename "$kept")" ]; then
    echo "realworld: $(basename "$kept") is committed but no longer made" >&2
    status=1
  fi
done
# The manifest without the tool versions, which may differ between machines.
if ! "$python" - "$work/fixtures/manifest.json" "$fixtures/manifest.json" <<'EOF'
import json, sys
made, kept = (json.load(open(path)) for path in sys.argv[1:])
for manifest in (made, kept):
    manifest.pop("made_with", None)
sys.exit(0 if made == kept else 1)
EOF
then
  echo "realworld: manifest.json differs from the committed one" >&2
  status=1
fi
if [ "$status" -ne 0 ]; then
  echo "realworld: regenerate with $python tests/realworld/make_fixtures.py and review the change" >&2
  exit 1
fi
echo "realworld: $(ls "$fixtures"/*.bmp | wc -l) fixtures regenerated, equal to the committed ones"

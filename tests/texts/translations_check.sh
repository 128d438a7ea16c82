#!/usr/bin/env bash
# The translation file is up to date: bringing it up to date from the sources
# changes nothing, and nothing in it waits for a translation.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$root/translations/kx4200_en.ts" "$dir/kx4200_en.ts"
"$root/translations/update" "$dir/kx4200_en.ts"
if ! diff -u "$root/translations/kx4200_en.ts" "$dir/kx4200_en.ts"; then
  echo "texts were added to or removed from the sources: run translations/update and translate" >&2
  exit 1
fi
if grep -n 'type="unfinished"\|type="vanished"\|type="obsolete"' "$dir/kx4200_en.ts"; then
  echo "untranslated texts above" >&2
  exit 1
fi

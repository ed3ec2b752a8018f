#!/usr/bin/env bash
# check-reproducible.sh [--built]: builds the release here (scripts/release.sh) and again from a copy
# of this tree in another folder, and compares the two archives byte for byte: the same commit must
# give the same archive, and so the same VornLoconaut.asi, wherever it is built. Both builds take the
# commit's time from this tree's git history. With --built, the release here is the one the caller
# has just built from this tree (scripts/test.sh), and is not made again: making it again would
# reinstall the page's npm packages and rewrite the page while other steps use them.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
version="$(sed -n 's/^project(VornLoconaut VERSION \([0-9][0-9.]*\) .*/\1/p' CMakeLists.txt)"
name="VornLoconaut-$version.zip"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
if [ "${1:-}" = --built ]; then
  [ -f "dist/$name" ] || { echo "check-reproducible: --built, but there is no dist/$name" >&2; exit 1; }
else
  bash scripts/release.sh >/dev/null
fi

elsewhere="$(mktemp -d "${TMPDIR:-/tmp}/vorn-rebuild.XXXXXX")"
trap 'rm -rf "$elsewhere"' EXIT
# The tracked files as they are in this tree, so that the copy builds what this tree builds.
git ls-files -z | xargs -0 cp --parents -t "$elsewhere"
echo "Building the release again in $elsewhere"
(cd "$elsewhere" && bash scripts/release.sh >"$elsewhere.log" 2>&1) || {
  cat "$elsewhere.log" >&2
  rm -f "$elsewhere.log"
  echo "check-reproducible: the second build failed" >&2
  exit 1
}
rm -f "$elsewhere.log"
sha256sum "dist/$name" "$elsewhere/dist/$name" build/windows-release/VornLoconaut.asi \
  "$elsewhere/build/windows-release/VornLoconaut.asi"
if ! cmp "dist/$name" "$elsewhere/dist/$name"; then
  cmp -l build/windows-release/VornLoconaut.asi "$elsewhere/build/windows-release/VornLoconaut.asi" | head -5 >&2 || true
  echo "check-reproducible: two builds of one tree in two folders differ" >&2
  exit 1
fi
echo "check-reproducible: $name is the same byte for byte when built in another folder"

#!/usr/bin/env bash
# check-reproducible.sh [--built]: builds the release here (scripts/release.sh; --built: it has just
# been built from this tree, as scripts/test.sh does) and checks that the same commit gives the same
# archive wherever it is built. The archive's dates come from the commit, its entries' order and
# fields are fixed (scripts/check-release.sh checks both), and its texts and page are made by tools
# that read no folder; what a folder can reach is what is compiled in it. So the plug-in is built
# again, with the same preset, from a copy of this tree in another folder and must be the same byte
# for byte, and no entry of the archive may hold the folder it was built in (the page's engine is
# compiled here too).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
version="$(sed -n 's/^project(VornLoconaut VERSION \([0-9][0-9.]*\) .*/\1/p' CMakeLists.txt)"
archive="dist/VornLoconaut-$version.zip"
jobs="${VORN_JOBS:-2}"
if [ "${1:-}" != "--built" ]; then
  bash scripts/release.sh >/dev/null
fi

elsewhere="$(mktemp -d "${TMPDIR:-/tmp}/vorn-rebuild.XXXXXX")"
trap 'rm -rf "$elsewhere"' EXIT
# The tracked files as they are in this tree, so that the copy builds what this tree builds.
git ls-files -z | xargs -0 cp --parents -t "$elsewhere"
echo "Building VornLoconaut.asi again in $elsewhere"
(cd "$elsewhere" && cmake --preset windows-release >/dev/null &&
  cmake --build --preset windows-release -j "$jobs" >"$elsewhere/build.log" 2>&1) || {
  cat "$elsewhere/build.log" >&2 || true
  echo "check-reproducible: the second build failed" >&2
  exit 1
}
unzip -p "$archive" VornLoconaut.asi >"$elsewhere/released.asi"
sha256sum "$archive" "$elsewhere/released.asi" "$elsewhere/build/windows-release/VornLoconaut.asi"
if ! cmp "$elsewhere/released.asi" "$elsewhere/build/windows-release/VornLoconaut.asi"; then
  cmp -l "$elsewhere/released.asi" "$elsewhere/build/windows-release/VornLoconaut.asi" | head -5 >&2 || true
  echo "check-reproducible: two builds of one tree in two folders differ" >&2
  exit 1
fi
# The page carries its engine gzipped: the engine's own files are searched too.
unzip -q "$archive" -d "$elsewhere/entries"
if grep -rlF "$root" "$elsewhere/entries" build/wasm/vornloconaut-playground.js build/wasm/vornloconaut-playground.wasm >&2; then
  echo "check-reproducible: the files above hold the folder they were built in, $root" >&2
  exit 1
fi
echo "check-reproducible: $archive holds no build folder, and its VornLoconaut.asi is the same byte for byte when built in another folder"

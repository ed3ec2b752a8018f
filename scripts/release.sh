#!/usr/bin/env bash
# Builds the release a player installs: dist/VornLoconaut-<version>.zip with VornLoconaut.asi, the
# player's README.txt, the default VornLoconaut.ini and the playground page
# VornLoconaut-playground.html, then checks the archive.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/install-deps.sh
vorn_install_missing

jobs="${VORN_JOBS:-2}"
# The version is set once, in the project() line of CMakeLists.txt.
version="$(sed -n 's/^project(VornLoconaut VERSION \([0-9][0-9.]*\) .*/\1/p' CMakeLists.txt)"
if [ -z "$version" ]; then
  echo "release: no version in the project() line of CMakeLists.txt" >&2
  exit 1
fi

# The plug-in alone, built as the windows preset builds the binary the Wine check plays.
cmake --preset windows-release >/dev/null
cmake --build --preset windows-release -j "$jobs"
# The README and the writer of the default INI are built for this machine.
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$jobs" --target vornloconaut-default-ini

# The page that checks a player's settings, opened from disk (scripts/build-playground.sh).
bash scripts/build-playground.sh

stage="$(mktemp -d "${TMPDIR:-/tmp}/vorn-release.XXXXXX")"
trap 'rm -rf "$stage"' EXIT
cp build/windows-release/VornLoconaut.asi build/linux/release/README.txt build/playground/VornLoconaut-playground.html "$stage/"
(cd "$stage" && "$root/build/linux/release/vornloconaut-default-ini")

archive="dist/VornLoconaut-$version.zip"
mkdir -p dist
rm -f "$archive"
(cd "$stage" && cmake -E tar cf "$root/$archive" --format=zip VornLoconaut.asi README.txt VornLoconaut.ini \
  VornLoconaut-playground.html)

if ! bash scripts/check-release.sh "$archive" build/linux/release/vornloconaut-default-ini; then
  rm -f "$archive"
  echo "release: $archive failed its check and was removed" >&2
  exit 1
fi
echo "release: $archive ($(wc -c <"$archive") bytes)"

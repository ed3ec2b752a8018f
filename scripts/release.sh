#!/usr/bin/env bash
# Builds the release a player installs: dist/VornLoconaut-<version>.zip with VornLoconaut.asi, the
# player's README.txt (with this version's section of CHANGELOG.md), the default VornLoconaut.ini,
# the playground page VornLoconaut-playground.html, LICENSE and THIRD-PARTY-NOTICES.txt (made by the
# page's build from what the binaries carry), checks the archive and prints the SHA-256 of the
# archive and of the plug-in.
#
# The same commit gives the same bytes wherever it is built: the plug-in carries no time stamp and
# no build path, and the archive's entries come in a fixed order, with the commit's time, fixed
# permissions and no extra fields (no owner, no access time). SOURCE_DATE_EPOCH, when set, stands
# in for the commit's time (a tree without git history).
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
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)}"
if ! [[ "$epoch" =~ ^[0-9]+$ ]]; then
  echo "release: no commit time: build from a git checkout or set SOURCE_DATE_EPOCH" >&2
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
# The archive's entries, in their order in it; each is staged into "$stage" under its name here
# (scripts/check-release.sh lists them too).
entries=(VornLoconaut.asi README.txt VornLoconaut.ini VornLoconaut-playground.html LICENSE THIRD-PARTY-NOTICES.txt)
cp build/windows-release/VornLoconaut.asi build/linux/release/README.txt build/playground/VornLoconaut-playground.html \
  build/playground/THIRD-PARTY-NOTICES.txt "$stage/"
# With Windows line ends, as the other texts have them.
sed 's/$/\r/' LICENSE >"$stage/LICENSE"
(cd "$stage" && "$root/build/linux/release/vornloconaut-default-ini")

# A zip entry's time counts in steps of two seconds.
stamp=$((epoch - epoch % 2))
for entry in "${entries[@]}"; do
  chmod 0644 "$stage/$entry"
  touch -d "@$stamp" "$stage/$entry"
done
archive="dist/VornLoconaut-$version.zip"
mkdir -p dist
rm -f "$archive"
# -X: no owner and no extended times; the entries' DOS times are read in UTC.
(cd "$stage" && TZ=UTC zip -X -q "$root/$archive" "${entries[@]}")

if ! bash scripts/check-release.sh "$archive" build/linux/release/vornloconaut-default-ini "$stamp"; then
  rm -f "$archive"
  echo "release: $archive failed its check and was removed" >&2
  exit 1
fi
echo "release: $archive ($(wc -c <"$archive") bytes), entries dated $(TZ=UTC date -d "@$stamp" '+%Y-%m-%d %H:%M:%S UTC')"
echo "SHA-256:"
(cd dist && sha256sum "VornLoconaut-$version.zip")
(cd "$stage" && sha256sum VornLoconaut.asi)

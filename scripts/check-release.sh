#!/usr/bin/env bash
# check-release.sh dist/VornLoconaut-<version>.zip DEFAULT_INI_WRITER [TIME]: the archive holds
# exactly VornLoconaut.asi, README.txt, VornLoconaut.ini, VornLoconaut-playground.html, LICENSE and
# THIRD-PARTY-NOTICES.txt, with no extra fields (owner, access times) and, given TIME (seconds since
# 1970), every entry dated then; the plug-in is stripped, imports system DLLs and the hook's seven
# functions; the INI is byte for byte what the plug-in writes on its first start and carries the
# archive's version; README.txt has Windows line ends, shows every key with its default and carries
# CHANGELOG.md's section for the version; the page carries the version and the SHA-256 of the
# archive's VornLoconaut.asi, and loads nothing from elsewhere; LICENSE is the tree's; the notices
# hold the licence text of every package the page bundles (as its About section names them) and of
# every library linked into the plug-in and the engine (scripts/linked-libraries.sh, run again).
set -euo pipefail

archive="$(realpath "$1")"
writer="$(realpath "$2")"
time="${3:-}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
objdump=x86_64-w64-mingw32-objdump
fail() {
  echo "check-release: $*" >&2
  exit 1
}

name="$(basename "$archive")"
version="${name#VornLoconaut-}"
version="${version%.zip}"
[ "$name" = "VornLoconaut-$version.zip" ] && [ -n "$version" ] || fail "$name is not named VornLoconaut-<version>.zip"

work="$(mktemp -d "${TMPDIR:-/tmp}/vorn-check-release.XXXXXX")"
trap 'rm -rf "$work"' EXIT

listing="$(cd "$work" && cmake -E tar tf "$archive" | LC_ALL=C sort)"
expected="$(printf '%s\n' README.txt VornLoconaut-playground.html VornLoconaut.asi VornLoconaut.ini LICENSE \
  THIRD-PARTY-NOTICES.txt | LC_ALL=C sort)"
[ "$listing" = "$expected" ] || fail "$name holds"$'\n'"$listing"$'\n'"instead of"$'\n'"$expected"
mkdir "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$archive")
echo "$name holds README.txt, VornLoconaut.asi, VornLoconaut.ini, VornLoconaut-playground.html, LICENSE and THIRD-PARTY-NOTICES.txt"
# What would make two builds of one commit differ: an owner, access or change times in extra fields.
details="$(LC_ALL=C zipinfo -v "$archive")"
extra="$(echo "$details" | awk '/length of extra field:/ && $5 != 0')"
[ -z "$extra" ] || fail "$name's entries carry extra fields (owner, times)"
echo "  no extra fields"
if [ -n "$time" ]; then
  dates="$(echo "$details" | sed -n 's/^ *file last modified on (DOS date\/time): *//p' | sort -u)"
  want="$(LC_ALL=C TZ=UTC date -d "@$time" '+%Y %b %-d %H:%M:%S')"
  [ "$dates" = "$want" ] || fail "$name's entries are dated"$'\n'"$dates"$'\n'"instead of $want (UTC)"
  echo "  every entry dated $want UTC"
fi

asi="$work/unpacked/VornLoconaut.asi"
bash "$root/scripts/check-imports.sh" "$asi"
# Stripped: no symbol table, no debug sections, and nothing exported.
"$objdump" -t "$asi" | grep -q '^no symbols' || fail "VornLoconaut.asi carries a symbol table"
sections="$("$objdump" -h "$asi" | awk '$1 ~ /^[0-9]+$/ { print $2 }')"
if echo "$sections" | grep -E '^\.(debug|zdebug|stab)' >/dev/null; then
  fail "VornLoconaut.asi carries debug sections: $(echo "$sections" | grep -E '^\.(debug|zdebug|stab)' | tr '\n' ' ')"
fi
exports="$("$objdump" -p "$asi" | awk '/^\[Ordinal\/Name Pointer\] Table/ { table = 1; next } table && /^[[:space:]]*\[/ { print }')"
[ -z "$exports" ] || fail "VornLoconaut.asi exports functions:"$'\n'"$exports"
echo "  stripped: no symbols, no debug sections, no exports"

mkdir "$work/fresh"
(cd "$work/fresh" && "$writer")
cmp -s "$work/fresh/VornLoconaut.ini" "$work/unpacked/VornLoconaut.ini" ||
  fail "VornLoconaut.ini is not what the plug-in writes on its first start"
header="; Vorn Loconaut $version Configuration for Grand Theft Auto V"
head -n 1 "$work/unpacked/VornLoconaut.ini" | grep -qF "$header" || fail "VornLoconaut.ini's header does not carry $version"
echo "VornLoconaut.ini is the plug-in's default file, version $version"

readme="$work/unpacked/README.txt"
[ -s "$readme" ] || fail "README.txt is empty"
# Every line ends in CR LF: stripping the CRs removes exactly one byte per line.
lines="$(wc -l <"$readme")"
crs="$(tr -cd '\r' <"$readme" | wc -c)"
[ "$lines" -gt 0 ] && [ "$lines" -eq "$crs" ] && [ "$(tail -c 2 "$readme" | od -An -c | tr -d ' ')" = '\r\n' ] ||
  fail "README.txt does not end every line with CR LF"
head -n 1 "$readme" | grep -qF "Vorn Loconaut $version" || fail "README.txt's title does not carry $version"
missing=0
# Read from a file: with pipefail, grep -q leaving a pipe early can fail the tr that feeds it.
tr -d '\r' <"$readme" >"$work/readme.txt"
while IFS= read -r setting; do
  if ! grep -qxF "  $setting" "$work/readme.txt"; then
    echo "README.txt does not show the setting \"$setting\"" >&2
    missing=1
  fi
done < <(tr -d '\r' <"$work/unpacked/VornLoconaut.ini" | grep -oE '^[A-Za-z]+\.[A-Za-z]+ = [^[:space:]]*')
[ "$missing" -eq 0 ] || fail "README.txt lacks settings of VornLoconaut.ini"
echo "README.txt has CR LF line ends and shows all $(tr -d '\r' <"$work/unpacked/VornLoconaut.ini" | grep -cE '^[A-Za-z]+\.[A-Za-z]+ = ') settings with their defaults"

# The page works from disk, offline: everything inline, its policy forbids every request.
page="$work/unpacked/VornLoconaut-playground.html"
grep -qF "<title>Vorn Loconaut $version: check your settings</title>" "$page" ||
  fail "VornLoconaut-playground.html does not carry $version"
grep -qF "connect-src 'none'" "$page" || fail "VornLoconaut-playground.html lacks its policy against requests"
# A script from a Blob the page makes itself (the one the parser waits for) loads no file.
loads="$(grep -oiE '<(script|link|img|iframe)[^>]*(src|href)=[^>]*' "$page" | grep -vF 'src="${URL.createObjectURL(new Blob(' || true)"
if [ -n "$loads" ]; then
  fail "VornLoconaut-playground.html loads a file: $(head -1 <<<"$loads")"
fi
# The page tells the released plug-in from other builds by this figure.
asi_sha256="$(sha256sum "$asi" | cut -d' ' -f1)"
grep -qF "<code>$asi_sha256</code>" "$page" ||
  fail "VornLoconaut-playground.html does not know the archive's VornLoconaut.asi by its SHA-256 $asi_sha256"
echo "VornLoconaut-playground.html carries $version and the plug-in's SHA-256, and loads nothing ($(wc -c <"$page") bytes)"

# holds TEXT_FILE PART_FILE: the first, its CRs dropped, holds the second's text whole (its end's
# white space aside).
holds() {
  node -e 'const fs = require("fs");
    const whole = fs.readFileSync(process.argv[1], "utf8").replace(/\r/g, "");
    process.exit(whole.includes(fs.readFileSync(process.argv[2], "utf8").replace(/\r/g, "").trimEnd()) ? 0 : 1);' "$1" "$2"
}

# This version's section of the changelog, in README.txt.
awk -v heading="## $version" '$0 == heading { on = 1; next } on && /^## / { exit } on' "$root/CHANGELOG.md" |
  sed -e '/./,$!d' >"$work/changes.txt"
[ -s "$work/changes.txt" ] || fail "CHANGELOG.md has no section \"## $version\""
holds "$readme" "$work/changes.txt" || fail "README.txt does not carry CHANGELOG.md's section for $version"
echo "README.txt carries CHANGELOG.md's section for $version ($(grep -c . "$work/changes.txt") lines)"

tr -d '\r' <"$work/unpacked/LICENSE" | cmp -s - "$root/LICENSE" || fail "LICENSE in $name is not the tree's LICENSE"
grep -q '^MIT License' "$root/LICENSE" && grep -q 'the Vorn Loconaut authors' "$root/LICENSE" ||
  fail "LICENSE is not the MIT licence of the Vorn Loconaut authors"
echo "LICENSE is the MIT licence of the Vorn Loconaut authors"

# Every package in the notices with its licence text, and named in the page's About section.
notices="$work/unpacked/THIRD-PARTY-NOTICES.txt"
count=0
while IFS=$'\t' read -r package package_version binary files copyright; do
  holds "$notices" "$copyright" || fail "THIRD-PARTY-NOTICES.txt lacks the licence text of $package ($copyright), linked into $binary"
  grep -qF "<strong>$package</strong> $package_version" "$page" || fail "the page's About section does not name $package $package_version"
  count=$((count + 1))
done < <(bash "$root/scripts/linked-libraries.sh")
while IFS= read -r package; do
  dir="$root/tools/playground/node_modules/$package"
  licence="$(find "$dir" -maxdepth 1 -type f -iregex '.*/licen[cs]e\(\.md\|\.txt\)?' | head -n 1)"
  [ -n "$licence" ] || fail "the bundled npm package $package ships no licence file"
  holds "$notices" "$licence" || fail "THIRD-PARTY-NOTICES.txt lacks the licence text of the npm package $package"
  count=$((count + 1))
done < <(grep -oE '<strong>[^<]+</strong> [^ ]+ \(npm' "$page" | sed -E 's#<strong>([^<]+)</strong>.*#\1#')
grep -q '(npm' "$page" || fail "the page's About section names no npm package, though the page bundles uPlot"
echo "THIRD-PARTY-NOTICES.txt holds the licence texts of all $count packages the plug-in and the page carry"

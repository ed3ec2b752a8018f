#!/usr/bin/env bash
# linked-libraries.sh: what the release's binaries carry besides this project's own code, for
# THIRD-PARTY-NOTICES.txt and the page's About section. It links VornLoconaut.asi
# (build/windows-release) and the page's engine (build/wasm) once more, with the very commands
# their builds ran, into a scratch folder, and asks the linker which files it took code from (a link
# map from GNU ld, --trace from wasm-ld); it adds the headers the compiler read for them (Ninja's
# dependency log), which brings in header-only libraries. Each such file outside this tree belongs
# to a Debian package, whose licence file (/usr/share/doc/<package>/copyright) is the text to ship.
# Prints one line a package, sorted, tab-separated:
#   package  version  binary  files (comma-separated)  licence file
set -euo pipefail
export LC_ALL=C

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/vorn-linked.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT

# link BUILD_DIR TARGET OUTPUT EXTRA...: the target's link command, writing OUTPUT in the scratch
# folder instead, with EXTRA linker options.
link() {
  local dir="$1" target="$2" output="$3"
  shift 3
  local command
  command="$(ninja -C "$dir" -t commands "$target" | tail -n 1 | sed 's/^: && //; s/ && :$//')"
  command="${command/ -o $target / -o $scratch/$output }"
  command="$(echo "$command" | sed -E "s#-Wl,--out-implib,[^ ]+#-Wl,--out-implib,$scratch/implib.a#")"
  (cd "$dir" && eval "$command $*")
}

# The headers the target's objects were compiled with.
headers() {
  local dir="$1" target="$2"
  ninja -C "$dir" -t deps $(ninja -C "$dir" -t inputs "$target" 2>/dev/null | grep -E '\.(o|obj)$') 2>/dev/null |
    awk '/^    / { print $1 }'
}

# real BUILD_DIR BINARY: the files read on standard input (relative to BUILD_DIR), made absolute and
# real, each with BINARY, leaving out this tree's own.
real() {
  (cd "$1" && sort -u | xargs -r -d '\n' realpath -m --) | grep -v "^$root/" | sed "s|^|$2\t|"
}

# Files of the asi's link: objects loaded, and archives some member of which was taken.
link "$root/build/windows-release" VornLoconaut.asi asi.asi "-Wl,-Map=$scratch/asi.map" >/dev/null
{
  awk '/^Archive member included/ { on = 1; next } /^(Discarded|Memory Configuration)/ { on = 0 }
       on && /^[^ ]/ { sub(/\(.*$/, ""); print }' "$scratch/asi.map"
  awk '$1 == "LOAD" && $2 !~ /\.a$/ { print $2 }' "$scratch/asi.map"
  headers "$root/build/windows-release" VornLoconaut.asi
} | real "$root/build/windows-release" VornLoconaut.asi >"$scratch/outside"

# The engine's: every file wasm-ld took code from.
link "$root/build/wasm" vornloconaut-playground.js engine.js "-Wl,--trace" >"$scratch/engine.trace" 2>&1
{
  sed 's/([^)]*)$//' "$scratch/engine.trace" | grep -E '\.(a|o)$'
  headers "$root/build/wasm" vornloconaut-playground.js
} | real "$root/build/wasm" VornLoconaut-playground.html >>"$scratch/outside"

# By the package that installed each (one dpkg for all of them).
cut -f2 "$scratch/outside" | sort -u | xargs -d '\n' dpkg -S 2>/dev/null |
  sed -E 's/^([^,:]+)[^:]*: /\1\t/' | sort -u >"$scratch/packages" || true
awk -F'\t' 'NR == FNR { owner[$2] = $1; next }
  !($2 in owner) { print "linked-libraries: no Debian package holds " $2 > "/dev/stderr"; bad = 1; next }
  { n = split($2, parts, "/"); print owner[$2] "\t" $1 "\t" (parts[n] ~ /\.(a|o)$/ ? parts[n] : "") }
  END { exit bad }' "$scratch/packages" "$scratch/outside" | sort -u >"$scratch/owned"

# Its linked files, or "headers" for a package whose headers alone were read.
awk -F'\t' '{ key = $1 "\t" $2; if (!(key in files)) { order[++n] = key; files[key] = "" }
    if ($3 != "") files[key] = files[key] (files[key] == "" ? "" : ",") $3 }
  END { for (i = 1; i <= n; i++) print order[i] "\t" (files[order[i]] == "" ? "headers" : files[order[i]]) }' "$scratch/owned" |
while IFS=$'\t' read -r package binary files; do
  version="$(dpkg-query -W -f '${Version}' "$package")"
  copyright="/usr/share/doc/$package/copyright"
  [ -s "$copyright" ] || { echo "linked-libraries: $package has no $copyright" >&2; exit 1; }
  printf '%s\t%s\t%s\t%s\t%s\n' "$package" "$version" "$binary" "$files" "$copyright"
done

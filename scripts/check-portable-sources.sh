#!/usr/bin/env bash
# check-portable-sources.sh [DIR]: the plug-in's sources (src/ by default) must also build with
# MSVC. Clang's -pedantic-errors -Wgnu -Wvla catch GNU syntax and variable-length arrays in the
# Clang build; this catches what no compiler warns about: GCC attributes, builtins and pragmas, and
# headers MSVC does not have. Compiler switches may use them inside the host layer (src/host/), in
# an #if block that tests the compiler (__GNUC__, __clang__, __MINGW32__, _MSC_VER).
set -euo pipefail
dir="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/src}"

# awk has no word boundary: "(^|[^[:alnum:]_])" stands in for it.
w='(^|[^[:alnum:]_])'
forbidden="__attribute__|__builtin_|__extension__|${w}typeof[^[:alnum:]_]|__typeof__|__int128|__restrict__|__asm__|"
forbidden+="${w}asm[[:space:]]*[(]|[[][[](gnu|clang)::|#[[:space:]]*pragma[[:space:]]+(GCC|clang)|#[[:space:]]*include_next|"
forbidden+="${w}alloca[^[:alnum:]_]|__PRETTY_FUNCTION__|${w}M_PI|${w}case[^:]*[.][.][.]|"
forbidden+="<(bits|ext|sys)/|<(cxxabi|x86intrin|unistd|pthread|alloca|malloc)[.]h>"

found=0
while IFS= read -r -d '' file; do
  in_host=0
  case "$file" in */host/*) in_host=1 ;; esac
  # Prints "line: text" for each forbidden construct outside a compiler switch (host layer only).
  hits="$(awk -v pattern="$forbidden" -v in_host="$in_host" '
    function isSwitch(line) { return line ~ /__GNUC__|__clang__|__MINGW32__|__MINGW64__|_MSC_VER/ }
    /^[[:space:]]*#[[:space:]]*if/ { depth++; switched[depth] = in_host && (isSwitch($0) || switched[depth - 1]) }
    /^[[:space:]]*#[[:space:]]*endif/ { if (depth > 0) { depth-- } ; next }
    {
      code = $0
      sub(/\/\/.*/, "", code)
      if (!switched[depth] && code ~ pattern) { print FNR ": " $0 }
    }' "$file")"
  if [ -n "$hits" ]; then
    echo "$hits" | sed "s|^|$file:|"
    found=1
  fi
done < <(find "$dir" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

if [ "$found" -ne 0 ]; then
  echo "check-portable-sources: the lines above use what MSVC does not accept" >&2
  exit 1
fi
echo "check-portable-sources: $(find "$dir" -type f \( -name '*.cpp' -o -name '*.h' \) | wc -l) files build alike with GCC, Clang and MSVC"

#!/usr/bin/env bash
# check-imports.sh FILE.dll: the DLLs a player's machine must provide. Only Windows system DLLs are
# allowed; a MinGW runtime DLL would not be there.
set -euo pipefail
file="$1"
objdump=x86_64-w64-mingw32-objdump
"$objdump" -f "$file" | grep -q 'file format pei-x86-64' || { echo "$file is not a PE32+ x86-64 image" >&2; exit 1; }
imports="$("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')"
echo "$file imports:"
echo "$imports" | sed 's/^/  /'
bad="$(echo "$imports" | grep -viE '^(kernel32|msvcrt|user32|advapi32|ntdll)\.dll$|^api-ms-win-crt-.*\.dll$|^scripthookv\.dll$' || true)"
if [ -n "$bad" ]; then
  echo "not a system DLL: $bad" >&2
  exit 1
fi
# The hook is bound at run time by its exported (MSVC-mangled) names.
for symbol in '?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z' '?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z' \
  '?scriptWait@@YAXK@Z' '?nativeInit@@YAX_K@Z' '?nativePush64@@YAX_K@Z' '?nativeCall@@YAPEA_KXZ'; do
  grep -qaF "$symbol" "$file" || { echo "$file does not bind $symbol" >&2; exit 1; }
done
echo "  binds the six hook functions by their exported names"

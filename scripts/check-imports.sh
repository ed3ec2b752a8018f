#!/usr/bin/env bash
# check-imports.sh FILE.asi: what the plug-in needs from a player's machine. Besides Windows system
# DLLs it imports ScriptHookV.dll, and from it exactly the hook's six script functions and its vehicle
# list (worldGetAllVehicles, an export of the hook's SDK since its first releases) under the names the
# hook exports (MSVC-mangled): importing them is what loads the hook. A MinGW runtime DLL would not
# be there; a plain C name would not be found in the real hook.
set -euo pipefail
file="$1"
objdump=x86_64-w64-mingw32-objdump
fail() {
  echo "check-imports: $*" >&2
  exit 1
}
"$objdump" -f "$file" | grep -q 'file format pei-x86-64' || fail "$file is not a PE32+ x86-64 image"
# "DLL function" per import: each DLL's block of the import table ends at a blank line.
imports="$("$objdump" -p "$file" | awk '
  /^[[:space:]]*DLL Name:/ { dll = $3; print dll; next }
  /^[[:space:]]*$/ { dll = ""; next }
  dll != "" && $1 != "vma:" { print dll " " $NF }')"
dlls="$(echo "$imports" | awk 'NF == 1')"
echo "$file imports:"
echo "$dlls" | sed 's/^/  /'
bad="$(echo "$dlls" | grep -viE '^(kernel32|msvcrt|user32|advapi32|ntdll)\.dll$|^api-ms-win-crt-.*\.dll$|^scripthookv\.dll$' || true)"
[ -z "$bad" ] || fail "not a system DLL: $bad"
echo "$dlls" | grep -qx 'ScriptHookV.dll' || fail "$file does not import ScriptHookV.dll"

hook="$(echo "$imports" | awk 'NF == 2 && $1 == "ScriptHookV.dll" { print $2 }' | LC_ALL=C sort)"
expected="$(printf '%s\n' '?scriptRegister@@YAXPEAUHINSTANCE__@@P6AXXZ@Z' '?scriptUnregister@@YAXPEAUHINSTANCE__@@@Z' \
  '?scriptWait@@YAXK@Z' '?nativeInit@@YAX_K@Z' '?nativePush64@@YAX_K@Z' '?nativeCall@@YAPEA_KXZ' \
  '?worldGetAllVehicles@@YAHPEAHH@Z' | LC_ALL=C sort)"
[ "$hook" = "$expected" ] ||
  fail "$file imports from ScriptHookV.dll"$'\n'"$hook"$'\n'"instead of the hook's seven exports"$'\n'"$expected"
echo "  from ScriptHookV.dll exactly the hook's seven functions, by their exported names"

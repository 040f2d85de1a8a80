#!/bin/sh
# Tessiral.dll exports the members of CIdea and nothing else (as the Linux
# library does: tests/engine/exports.sh), and it and kvn.exe import only what
# every Windows has: KERNEL32 and msvcrt, RtlGenRandom (SystemFunction036)
# from ADVAPI32 for the random bytes, and for kvn.exe the command-line
# splitter from SHELL32 and the engine itself. Nothing of the C++ runtime,
# winpthread or the crypto libraries is left to a DLL of its own.
#   dll_exports.sh TESSIRAL_DLL KVN_EXE
set -eu
dll="$1"
exe="$2"
objdump=$(command -v x86_64-w64-mingw32-objdump || command -v objdump)
# The export table's name list: "[ordinal] name" lines after "[Ordinal/Name Pointer] Table".
symbols=$("$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' \
  | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*\([^[:space:]]*\).*/\1/p' | c++filt)
[ -n "$symbols" ] || { echo "no export table in $dll"; exit 1; }
others=$(printf '%s\n' "$symbols" | grep -v '^CIdea::' || true)
if [ -n "$others" ]; then
  echo "exported beyond CIdea:"; printf '%s\n' "$others"; exit 1
fi
count=$(printf '%s\n' "$symbols" | sort -u | wc -l)
echo "CIdea members exported: $count"
[ "$count" -eq 16 ] || exit 1

# imports FILE: its import table as "DLL" lines, and "DLL!function" for the
# DLLs whose every function is checked.
imports() {
  "$objdump" -p "$1" | awk '
    /DLL Name:/ { dll = $3; print dll; next }
    dll != "" && NF == 0 { dll = "" }
    (dll == "ADVAPI32.dll" || dll == "SHELL32.dll") && $1 ~ /^[0-9a-f]+$/ && NF == 3 { print dll "!" $3 }' | sort
}
# expect FILE IMPORTS...: the import list is exactly the one given.
failures=0
expect() {
  file=$1; shift
  found=$(imports "$file")
  wanted=$(printf '%s\n' "$@" | sort)
  if [ "$found" != "$wanted" ]; then
    echo "$(basename "$file") imports:"; printf '%s\n' "$found"; echo "expected:"; printf '%s\n' "$wanted"
    failures=$((failures + 1))
  fi
}
expect "$dll" KERNEL32.dll msvcrt.dll ADVAPI32.dll ADVAPI32.dll!SystemFunction036
expect "$exe" KERNEL32.dll msvcrt.dll Tessiral.dll SHELL32.dll SHELL32.dll!CommandLineToArgvW
[ "$failures" -eq 0 ] && echo "imports: as expected"

#!/bin/sh
# Tessiral.dll exports the members of CIdea and nothing else (as the Linux
# library does: tests/engine/exports.sh).
set -eu
dll="$1"
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
[ "$count" -eq 16 ]

#!/bin/sh
# The engine library exports the members of CIdea and nothing else.
set -eu
lib="$1"
symbols=$(nm -D --defined-only "$lib" | awk '{print $3}' | c++filt)
others=$(printf '%s\n' "$symbols" | grep -v '^CIdea::' | grep -v '^_init$' | grep -v '^_fini$' || true)
if [ -n "$others" ]; then
  echo "exported beyond CIdea:"; printf '%s\n' "$others"; exit 1
fi
count=$(printf '%s\n' "$symbols" | grep '^CIdea::' | sort -u | wc -l)
echo "CIdea members exported: $count"
[ "$count" -eq 16 ]

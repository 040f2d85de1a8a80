#!/bin/sh
# Fails when a folder includes a header of a folder at its own level or above
# it. Top layer first; a folder may include only from the lines below its own.
root=${1:-.}
printf '%s\n' "app" "browser" "tips chrome update" "config" "cli shell" "batch" "engine" | {
  above=""
  status=0
  while read -r level; do
    for folder in $level; do
      for other in $level $above; do
        [ "$other" = "$folder" ] && continue
        if grep -rn --include='*.cpp' --include='*.h' "#include \"$other/" "$root/$folder"; then
          echo "layers: $folder includes $other, a folder at its level or above"
          status=1
        fi
      done
    done
    above="$above $level"
  done
  exit $status
}

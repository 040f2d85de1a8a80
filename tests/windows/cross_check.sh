#!/usr/bin/env bash
# kvn.exe under Wine and the Linux kvn read each other's files. The compatible
# format: both write byte-identical .kvn files for the same files and key, and
# each decrypts what the other wrote. The authenticated format (random salts:
# no two files alike): each decrypts what the other wrote, every cipher but
# IDEA; skipped (exit 77) when the Linux kvn has no --format.
#   cross_check.sh LINUX_KVN WINDOWS_KVN [compatible|authenticated]
set -euo pipefail
linux_kvn=$1
windows_kvn=$2
format=${3:-compatible}
if [ "$format" = authenticated ] && ! "$linux_kvn" --help 2>&1 | grep -q -- '--format'; then
  echo "skipped: the authenticated format's cross-check ($linux_kvn has no --format)"
  exit 77
fi
wine_run="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
win() { "$wine_run" "$windows_kvn" "$@"; }
# Wine sees the Linux file system as drive Z:.
winpaths() { for f in "$@"; do printf 'Z:%s\n' "$f"; done; }

printf 'cl\xc3\xa9 \xce\xa9 key\n' > "$work/key" # a key with non-ASCII characters
mkdir "$work/plain"
for size in 0 1 7 8 15 16 17 4099 1048577; do
  head -c "$size" /dev/urandom > "$work/plain/file-$size.bin"
done
printf 'named in Unicode\n' > "$work/plain/$(printf '\xc3\xa9t\xc3\xa9 \xe2\x82\xac.txt')"

failures=0
ciphers=(aes mars rc6 serpent twofish idea)
options=()
if [ "$format" = authenticated ]; then
  ciphers=(aes mars rc6 serpent twofish)
  options=(--format authenticated)
fi
for cipher in "${ciphers[@]}"; do
  for side in linux windows; do
    rm -rf "$work/$side"; cp -r "$work/plain" "$work/$side"
  done
  "$linux_kvn" encrypt -q -c "$cipher" "${options[@]}" -k "$work/key" "$work"/linux/*
  mapfile -t files < <(winpaths "$work"/windows/*)
  win encrypt -q -c "$cipher" "${options[@]}" -k "Z:$work/key" "${files[@]}"
  for f in "$work"/plain/*; do
    name=$(basename "$f")
    if [ "$format" = compatible ] && ! cmp -s "$work/linux/$name.kvn" "$work/windows/$name.kvn"; then
      echo "FAIL $cipher: $name.kvn differs between Linux and Windows"; failures=$((failures + 1))
    fi
  done
  # Each side decrypts the other's files.
  rm -f "$work"/linux/*.bin "$work"/linux/*.txt "$work"/windows/*.bin "$work"/windows/*.txt
  mkdir "$work/swap"
  mv "$work"/linux/*.kvn "$work/swap/"; mv "$work"/windows/*.kvn "$work/linux/"; mv "$work"/swap/*.kvn "$work/windows/"
  rmdir "$work/swap"
  "$linux_kvn" decrypt -q -c "$cipher" -k "$work/key" --replace "$work"/linux/*.kvn
  mapfile -t files < <(winpaths "$work"/windows/*.kvn)
  win decrypt -q -c "$cipher" -k "Z:$work/key" --replace "${files[@]}"
  for f in "$work"/plain/*; do
    name=$(basename "$f")
    for side in linux windows; do
      if ! cmp -s "$f" "$work/$side/$name"; then
        echo "FAIL $cipher: $side did not decrypt the other's $name.kvn"; failures=$((failures + 1))
      fi
    done
  done
done
echo "cross-check of kvn.exe and kvn, $format format: $failures failures"
[ "$failures" -eq 0 ]

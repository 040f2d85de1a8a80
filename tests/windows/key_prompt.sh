#!/usr/bin/env bash
# kvn.exe under Wine, on a terminal: asks for the key twice without echoing
# it and encrypts with it exactly as the Linux kvn does with that key.
#   key_prompt.sh LINUX_KVN WINDOWS_KVN
set -euo pipefail
linux_kvn=$1
windows_kvn=$2
wine_run="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'asked for on the console\n' >"$work/a.txt"
cp "$work/a.txt" "$work/b.txt"
printf 'typed key' >"$work/key"
"$linux_kvn" encrypt -q -k "$work/key" "$work/b.txt"

# A pseudo-terminal for kvn.exe; each answer goes in once its prompt is shown
# (typed ahead, the terminal itself would echo it).
coproc KVN { script -qec "'$wine_run' '$windows_kvn' encrypt -q 'Z:$work/a.txt'" /dev/null; }
screen=""
for answer in 'typed key' 'typed key'; do
  IFS= read -r -d ':' -t 60 part <&"${KVN[0]}" || { echo "FAIL: no key prompt: $screen$part"; exit 1; }
  screen+="$part:"
  printf '%s\r' "$answer" >&"${KVN[1]}"
done
rest=$(timeout 60 cat <&"${KVN[0]}" || true)
screen+="$rest"
wait "$KVN_PID" || { echo "FAIL: kvn.exe failed: $screen"; exit 1; }
case "$screen" in
  *"typed key"*) echo "FAIL: the key was echoed: $screen"; exit 1 ;;
  *"Confirm key"*) ;;
  *) echo "FAIL: no second prompt: $screen"; exit 1 ;;
esac
cmp -s "$work/a.txt.kvn" "$work/b.txt.kvn" || { echo "FAIL: the prompted key gave other bytes"; exit 1; }
echo "kvn.exe key prompt: no echo, same bytes"

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
# (typed ahead, the terminal itself would echo it). Wine's console takes the
# terminal over a moment after the prompt, so the answer waits a little, and
# a run whose timing went wrong anyway is tried once more.
attempt() {
  rm -f "$work/a.txt.kvn"
  coproc KVN { script -qec "'$wine_run' '$windows_kvn' encrypt -q 'Z:$work/a.txt'" /dev/null; }
  screen=""
  for answer in 'typed key' 'typed key'; do
    IFS= read -r -d ':' -t 60 part <&"${KVN[0]}" || { screen+="$part"; echo "no key prompt: $screen"; return 1; }
    screen+="$part:"
    sleep 1
    printf '%s\r' "$answer" >&"${KVN[1]}"
  done
  screen+=$(timeout 60 cat <&"${KVN[0]}" || true)
  wait "$KVN_PID" || { echo "kvn.exe failed: $screen"; return 1; }
  case "$screen" in
    *"typed key"*) echo "the key was echoed: $screen"; return 1 ;;
    *"Confirm key"*) ;;
    *) echo "no second prompt: $screen"; return 1 ;;
  esac
  cmp -s "$work/a.txt.kvn" "$work/b.txt.kvn" || { echo "the prompted key gave other bytes"; return 1; }
}
if ! attempt && ! attempt; then
  echo "FAIL: kvn.exe key prompt"
  exit 1
fi
echo "kvn.exe key prompt: no echo, same bytes"

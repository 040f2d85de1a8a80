#!/usr/bin/env bash
# The program's real windows under Wine on Xvfb: a file encrypted by the
# Linux kvn is decrypted through the main window (real_window.cpp) and
# compared with the original; the screenshots are kept.
#   real_window.sh LINUX_KVN WINDOW_TEST_EXE SHOTS_DIR
set -euo pipefail
linux_kvn=$1
program=$2
shots=$3
wine_run="$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run"
command -v Xvfb >/dev/null || { echo "real window: no Xvfb, skipped"; exit 77; }
work=$(mktemp -d)
xvfb=""
cleanup() {
  [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$shots" "$work/folder"
rm -f "$shots"/*.png

# A free display of our own.
display=""
for n in $(seq 91 120); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    display=:$n
    break
  fi
done
[ -n "$display" ] || { echo "no free X display"; exit 1; }
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

name=$(printf 'r\xc3\xa9sum\xc3\xa9 \xe2\x82\xac.bin')
key=$(printf 'cl\xc3\xa9 wine 42')
head -c 300000 /dev/urandom >"$work/original"
cp "$work/original" "$work/folder/$name"
printf '%s\n' "$key" >"$work/key"
"$linux_kvn" encrypt -q -c aes -k "$work/key" "$work/folder/$name"
rm -f "$work/folder/$name"

# Wine's desktop belongs to the display its server started with: a server of
# its own for this display, stopped afterwards. The platform is chosen on the
# command line: Wine hands Windows programs no QT_* variables of Linux's.
"$wine_run" --stop-server
status=0
KVN_WINE_DISPLAY=$display QT_QPA_PLATFORM=windows KVN_WINDOW_FOLDER="Z:$work/folder" KVN_WINDOW_KEY="$key" \
  KVN_WINDOW_SHOTS="Z:$shots" timeout 90 "$wine_run" "$program" -platform windows || status=1
"$wine_run" --stop-server
if ! cmp -s "$work/original" "$work/folder/$name"; then
  echo "FAIL: the window did not decrypt the Linux kvn's file to the original"; status=1
fi
for shot in main-window batch-window; do
  [ -s "$shots/$shot.png" ] || { echo "FAIL: no screenshot $shot.png"; status=1; }
done
[ "$status" -ne 0 ] || echo "real window: decrypted through the window; screenshots in $shots"
exit $status

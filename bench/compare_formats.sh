#!/usr/bin/env bash
# The authenticated format beside the compatible one and beside the peers a
# user would pick for the same job, all in one run on one page-cached file
# (on tmpfs when it has room):
# data rates (the time for the file minus the time for an empty file, so the
# one-off key strengthening drops out) of kvn in both formats, of
# `gpg --symmetric --cipher-algo AES256 -z 0` and of `age -p` (driven through
# a pseudo-terminal, where it asks for the passphrase); the time of one key
# strengthening at each strength; a batch of 2,000 files of 4 KiB in each
# format (its cost beyond a batch of one such file); and kvn's peak memory
# with the authenticated format. Goals: authenticated >= 0.9x compatible and
# >= 2x gpg and age; small files <= 1.5x the compatible format's cost;
# peak memory <= Argon2id memory + 64 MiB. -s: a smoke run (1 MiB, 20 small
# files, one run, no strong strength, nothing judged). -m: only the batch of
# small files (and its goal).
#
# usage: compare_formats.sh [-s] [-m] [-b BUILD_DIR] [SIZE_MIB]   (defaults: /tmp/kvn-bench, 512)
set -euo pipefail

build=${KVN_BENCH_BUILD:-/tmp/kvn-bench}
runs=5
smoke=0
small_only=0
while getopts "smb:h" opt; do
  case $opt in
  s) smoke=1 ;;
  m) small_only=1 ;;
  b) build=$OPTARG ;;
  *) grep '^# usage:' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
size_mib=${1:-512}
small_files=2000
if ((smoke)); then
  runs=1 size_mib=1 small_files=20
fi
[[ $size_mib =~ ^[1-9][0-9]*$ ]] || { echo "the size must be a whole number of MiB" >&2; exit 2; }
size=$((size_mib * 1048576))
kvn=$build/cli/kvn
[[ -x $kvn ]] || { echo "missing $kvn" >&2; exit 1; }

# On tmpfs when it has room: the formats are compared, not the disk.
if (($(df -Pk /dev/shm 2>/dev/null | awk 'NR == 2 { print $4 }' || echo 0) > 4 * size / 1024)); then
  work=$(mktemp -d /dev/shm/kvn-formats.XXXXXX)
else
  work=$(mktemp -d /tmp/kvn-formats.XXXXXX)
fi
trap 'rm -rf "$work"' EXIT
src=$work/data
empty=$work/empty
key=$work/key
((small_only)) && size=0
head -c "$size" /dev/urandom >"$src"
: >"$empty"
printf 'correct horse battery staple\n' >"$key"
cat "$src" >/dev/null

# best_ns: the shortest of $runs runs of "$@", the outputs (names or
# patterns) removed before each.
outputs=()
time_best() {
  best_ns=
  local i t0 t1 o
  for ((i = 0; i < runs; i++)); do
    for o in "${outputs[@]}"; do rm -rf $o; done
    sync
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s%N)
    if [[ -z $best_ns ]] || ((t1 - t0 < best_ns)); then best_ns=$((t1 - t0)); fi
  done
}

declare -A rate
# rate_of NAME ENCRYPT-COMMAND-TEMPLATE: the template's IN and OUT are the
# source and the output; the data rate in MB/s of the file over the empty one.
# The file and the empty one take turns, so that a key strengthening whose
# time wanders meets both alike; a file that seems to take no time is unmeasured.
rate_of() {
  local name=$1 cmd=$2 full= none= i all=$runs
  outputs=("$work/out")
  runs=1
  for ((i = 0; i < all; i++)); do
    time_best bash -c "${cmd//IN/$src}"
    if [[ -z $full ]] || ((best_ns < full)); then full=$best_ns; fi
    time_best bash -c "${cmd//IN/$empty}"
    if [[ -z $none ]] || ((best_ns < none)); then none=$best_ns; fi
  done
  runs=$all
  rate[$name]=$(awk -v a="$full" -v b="$none" -v s="$size" 'BEGIN { d = (a - b) / 1e9; if (d <= 0) print -1; else printf "%.1f", s / d / 1e6 }')
  printf '%-34s %8.3f s  %8.3f s (empty)  %9s MB/s\n' "$name" "$(awk -v n="$full" 'BEGIN{print n/1e9}')" \
    "$(awk -v n="$none" 'BEGIN{print n/1e9}')" "${rate[$name]}"
}

# age asks for the passphrase (twice) on its terminal: a pseudo-terminal answers.
cat >"$work/age_pty.py" <<'PY'
import os, pty, sys
passphrase = open(sys.argv[1]).read().strip().encode()
pid, fd = pty.fork()
if pid == 0:
    os.execvp("age", ["age", "-p", "-o", sys.argv[3], sys.argv[2]])
seen = b""
answered = 0
while True:
    try:
        chunk = os.read(fd, 1024)
    except OSError:
        break
    if not chunk:
        break
    seen += chunk
    while answered < 2 and seen.lower().count(b"passphrase") > answered:
        os.write(fd, passphrase + b"\n")
        answered += 1
_, status = os.waitpid(pid, 0)
sys.exit(os.waitstatus_to_exitcode(status))
PY

have_gpg=0 have_age=0
if ((!small_only)); then
echo "== data rate on a ${size_mib} MiB page-cached file (AES; load average: $(cut -d' ' -f1-3 /proc/loadavg))"
rate_of "kvn compatible" "'$kvn' encrypt -q -c aes -k '$key' IN && mv IN.kvn '$work/out'"
rate_of "kvn authenticated" "'$kvn' encrypt -q -c aes --format authenticated -k '$key' IN && mv IN.kvn '$work/out'"
if command -v gpg >/dev/null; then
  have_gpg=1
  export GNUPGHOME=$work/gnupg
  mkdir -m 700 "$GNUPGHOME"
  rate_of "gpg --symmetric AES256 -z 0" "gpg --batch --yes --pinentry-mode loopback --passphrase-file '$key' --symmetric --cipher-algo AES256 -z 0 -o '$work/out' IN"
fi
if command -v age >/dev/null; then
  have_age=1
  rate_of "age -p" "python3 '$work/age_pty.py' '$key' IN '$work/out'"
fi

echo "== one key strengthening (authenticated minus compatible, empty file)"
strengths=(normal)
((smoke)) || strengths+=(strong)
outputs=("$empty.kvn")
time_best "$kvn" encrypt -q -c aes -k "$key" "$empty"
base=$best_ns
for s in "${strengths[@]}"; do
  time_best "$kvn" encrypt -q -c aes --format authenticated --strength "$s" -k "$key" "$empty"
  printf '  %-8s %.2f s\n' "$s" "$(awk -v a="$best_ns" -v b="$base" 'BEGIN { print (a - b) / 1e9 }')"
done

fi

echo "== a batch of $small_files files of 4 KiB (cost beyond a batch of one; load average: $(cut -d' ' -f1-3 /proc/loadavg))"
mkdir "$work/many" "$work/one"
for ((i = 0; i < small_files; i++)); do head -c 4096 /dev/urandom >"$work/many/f$i"; done
cp "$work/many/f0" "$work/one/f0"
# The batch of one pays a key strengthening too, whose time wanders more than
# the small files cost: both batches of both formats, encrypting and
# decrypting, take turns, over more runs, and each keeps its shortest.
declare -A extra shortest
small_runs=$((4 * runs - 1))
once() { # NAME DIR COMMAND...: the batch in DIR, its earlier results removed first
  local name=$1 dir=$2 t0 t1
  shift 2
  if [[ $1 == encrypt ]]; then rm -f "$dir"/*.kvn; else find "$dir" -type f ! -name '*.kvn' -delete; fi
  sync
  t0=$(date +%s%N)
  "$kvn" "$@" -q -r -k "$key" "$dir" >/dev/null 2>&1
  t1=$(date +%s%N)
  if [[ -z ${shortest[$name]:-} ]] || ((t1 - t0 < shortest[$name])); then shortest[$name]=$((t1 - t0)); fi
}
# Decrypting: the same files, encrypted once in each format.
for format in compatible authenticated; do
  for batch in many one; do
    mkdir -p "$work/sealed-$format/$batch"
    "$kvn" encrypt -q -r --format $format -k "$key" "$work/$batch"
    mv "$work/$batch"/*.kvn "$work/sealed-$format/$batch/"
  done
done
for ((i = 0; i < small_runs; i++)); do
  for format in compatible authenticated; do
    for batch in many one; do
      once "$format $batch" "$work/$batch" encrypt --format $format
      once "$format $batch decrypting" "$work/sealed-$format/$batch" decrypt
    done
  done
done
rm -f "$work"/many/*.kvn "$work"/one/*.kvn
for format in compatible authenticated; do
  extra[$format]=$(awk -v a="${shortest[$format many]}" -v b="${shortest[$format one]}" 'BEGIN { printf "%.3f", (a - b) / 1e9 }')
  extra[$format decrypting]=$(awk -v a="${shortest[$format many decrypting]}" -v b="${shortest[$format one decrypting]}" \
    'BEGIN { printf "%.3f", (a - b) / 1e9 }')
  printf '  %-14s %8.3f s beyond one file (decrypting %.3f s)\n' "$format" "${extra[$format]}" "${extra[$format decrypting]}"
done

if ((!small_only)); then
echo "== peak memory, kvn encrypt --format authenticated (normal: Argon2id 256 MiB)"
peak_kib=$( { /usr/bin/time -f '%M' "$kvn" encrypt -q -c aes --format authenticated -k "$key" "$src" >/dev/null; } 2>&1 | tail -1)
rm -f "$src.kvn"
printf '  %d MiB (Argon2id 256 MiB + %d MiB)\n' $((peak_kib / 1024)) $((peak_kib / 1024 - 256))
fi

echo "== ratios"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0 || a < 0) print "n/a"; else printf "%.2f", a / b }'; }
fail=0
judge() { # TEXT VALUE OP GOAL
  local verdict=ok
  if [[ $2 == n/a ]]; then verdict="unmeasured (the machine was too busy)"
  elif ((!smoke)) && ! awk -v v="$2" -v g="$4" "BEGIN { exit !(v $3 g) }"; then verdict="BELOW GOAL"; fail=1; fi
  ((smoke)) && verdict="not judged (smoke)"
  printf '  %-52s %6s  (goal %s %s) %s\n' "$1" "$2" "$3" "$4" "$verdict"
}
((small_only)) || judge "authenticated / compatible data rate" "$(ratio "${rate[kvn authenticated]}" "${rate[kvn compatible]}")" ">=" 0.9
((have_gpg)) && judge "authenticated / gpg data rate" "$(ratio "${rate[kvn authenticated]}" "${rate[gpg --symmetric AES256 -z 0]}")" ">=" 2
((have_age)) && judge "authenticated / age data rate" "$(ratio "${rate[kvn authenticated]}" "${rate[age -p]}")" ">=" 2
judge "small files: authenticated / compatible cost" "$(ratio "${extra[authenticated]}" "${extra[compatible]}")" "<=" 1.5
judge "  the same, decrypting" "$(ratio "${extra[authenticated decrypting]}" "${extra[compatible decrypting]}")" "<=" 1.5
((small_only)) || judge "peak memory beyond Argon2id (MiB)" "$((peak_kib / 1024 - 256))" "<=" 64
((!small_only && !have_gpg)) && echo "  gpg not installed: not compared"
((!small_only && !have_age)) && echo "  age not installed: not compared"
exit $fail

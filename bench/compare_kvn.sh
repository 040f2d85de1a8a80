#!/usr/bin/env bash
# Whole-file AES speed of kvn beside openssl, cp and dd on one page-cached
# file, set against the engine's raw AES block speed from bench_ciphers; each
# cipher on one thread and on all; kvn's peak memory on a 1 GiB file; and a
# batch of 2,000 files of 4 KiB beside cp copying them. -s is a smoke run
# that only shows every stage still works: 1 MiB, one run, a 16 MiB file for
# the memory figure, 20 small files, and no ratio judged.
#
# usage: compare_kvn.sh [-s] [-b BUILD_DIR] [-t THREADS_MIB] [SIZE_MIB]   (defaults: /tmp/kvn-bench, 128, 512)
set -euo pipefail

build=${KVN_BENCH_BUILD:-/tmp/kvn-bench}
runs=3
threads_mib=128
smoke=0
while getopts "sb:t:h" opt; do
  case $opt in
  s) smoke=1 ;;
  b) build=$OPTARG ;;
  t) threads_mib=$OPTARG ;;
  *) sed -n '9p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
size_mib=${1:-512}
memory_mib=1024
small_files=2000
if ((smoke)); then
  runs=1 size_mib=1 threads_mib=1 memory_mib=16 small_files=20
fi
[[ $size_mib =~ ^[1-9][0-9]*$ && $threads_mib =~ ^[1-9][0-9]*$ ]] ||
  { echo "sizes must be whole numbers of MiB" >&2; exit 2; }
size=$((size_mib * 1048576)) # whole MiB: a multiple of every block size, as -nopad needs

kvn=$build/cli/kvn
bench=$build/bench/bench_ciphers
for tool in "$kvn" "$bench"; do
  [[ -x $tool ]] || { echo "missing $tool; build with -DKVN_BUILD_BENCH=ON first" >&2; exit 1; }
done
have_openssl=0
command -v openssl >/dev/null && have_openssl=1
have_hyperfine=0
command -v hyperfine >/dev/null && have_hyperfine=1

work=$(mktemp -d /tmp/kvn-compare.XXXXXX)
shm=
cleanup() { rm -rf "$work" ${shm:+"$shm"}; }
trap cleanup EXIT

src=$work/data
key=$work/key
head -c "$size" /dev/urandom >"$src"
head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n' >"$key" # a 24-character passphrase
echo >>"$key"
hexkey=$(head -c 32 /dev/urandom | od -An -tx1 | tr -d ' \n')
cat "$src" >/dev/null # into the page cache: we time ciphers and writes, not the first read

# Sets best_ns to the shortest of $runs timed runs of "$@". Before each run,
# untimed: delete the outputs named in $outputs and flush dirty pages, so no
# run pays for an earlier one's writeback.
outputs=()
time_best() {
  best_ns=
  local i t0 t1
  for ((i = 0; i < runs; i++)); do
    rm -f "${outputs[@]}"
    sync
    t0=$(date +%s%N)
    "$@" >/dev/null
    t1=$(date +%s%N)
    if [[ -z $best_ns ]] || ((t1 - t0 < best_ns)); then best_ns=$((t1 - t0)); fi
  done
}

declare -A secs mbps
rows=()
record() { # NAME: files the last time_best under NAME
  rows+=("$1")
  secs[$1]=$(awk -v ns="$best_ns" 'BEGIN { printf "%.3f", ns / 1e9 }')
  mbps[$1]=$(awk -v ns="$best_ns" -v b="$size" 'BEGIN { printf "%.1f", b / (ns / 1e9) / 1e6 }')
}

expect_size() { # FILE BYTES: a run that wrote nothing useful must not pass as fast
  local got
  got=$(stat -c %s "$1" 2>/dev/null || echo 0)
  [[ $got == "$2" ]] || { echo "unexpected output $1: $got bytes, wanted $2" >&2; exit 1; }
}

# kvn on the disk-backed /tmp. Beside a kept source a brand-new result is not
# synced (nothing is lost if a crash takes it); with --replace it is synced
# before the source goes, which is what the second row costs.
outputs=("$src.kvn")
time_best "$kvn" encrypt -q -c aes -k "$key" "$src"
expect_size "$src.kvn" $((size + 16))
record "kvn encrypt -c aes (/tmp)"

# Each run makes its own result: kvn rightly refuses to write over an
# existing replaced.kvn, so the last run's goes before the next.
outputs=("$work/replaced.kvn")
time_best sh -c 'cp "$1" "$2" && exec "$3" encrypt -q --replace -c aes -k "$4" "$2"' sh "$src" "$work/replaced" "$kvn" "$key"
expect_size "$work/replaced.kvn" $((size + 16))
[[ ! -e $work/replaced ]] || { echo "kvn encrypt --replace left its source" >&2; exit 1; }
rm -f "$work/replaced.kvn"
record "cp + kvn encrypt --replace (/tmp, synced)"

mkdir "$work/dec"
mv "$src.kvn" "$work/dec/data.kvn"
outputs=("$work/dec/data")
time_best "$kvn" decrypt -q -k "$key" "$work/dec/data.kvn"
cmp -s "$src" "$work/dec/data" || { echo "kvn decrypt did not give the source back" >&2; exit 1; }
record "kvn decrypt (/tmp)"
rm -rf "$work/dec"

# The same on tmpfs, where writing out costs nothing.
if (($(df -Pk /dev/shm 2>/dev/null | awk 'NR == 2 { print $4 }' || echo 0) > 3 * size / 1024)); then
  shm=$(mktemp -d /dev/shm/kvn-compare.XXXXXX)
  cp "$src" "$shm/data"
  outputs=("$shm/data.kvn")
  time_best "$kvn" encrypt -q -c aes -k "$key" "$shm/data"
  expect_size "$shm/data.kvn" $((size + 16))
  record "kvn encrypt -c aes (/dev/shm)"
  mkdir "$shm/dec"
  mv "$shm/data.kvn" "$shm/dec/data.kvn"
  outputs=("$shm/dec/data")
  time_best "$kvn" decrypt -q -k "$key" "$shm/dec/data.kvn"
  cmp -s "$src" "$shm/dec/data" || { echo "kvn decrypt did not give the source back" >&2; exit 1; }
  record "kvn decrypt (/dev/shm)"
  rm -rf "$shm"
  shm=
else
  echo "note: /dev/shm too small for $size_mib MiB x3; no tmpfs figures" >&2
fi

if ((have_openssl)); then
  outputs=("$src.enc")
  time_best openssl enc -aes-256-ecb -nopad -K "$hexkey" -in "$src" -out "$src.enc"
  expect_size "$src.enc" "$size"
  record "openssl enc -aes-256-ecb"
  # Masking CPUID bits steers OpenSSL off AES-NI: first to its SSSE3 vector
  # permute code, then (SSSE3 masked too) to its table-driven assembly, the
  # same family as the engine's AES.
  time_best env OPENSSL_ia32cap='~0x200000000000000' \
    openssl enc -aes-256-ecb -nopad -K "$hexkey" -in "$src" -out "$src.enc"
  record "openssl, AES-NI masked (vpaes)"
  time_best env OPENSSL_ia32cap='~0x200020000000000' \
    openssl enc -aes-256-ecb -nopad -K "$hexkey" -in "$src" -out "$src.enc"
  record "openssl, AES-NI+SSSE3 masked (tables)"
  rm -f "$src.enc"
else
  echo "note: openssl not found; no openssl figures" >&2
fi

outputs=("$src.copy")
time_best cp "$src" "$src.copy"
expect_size "$src.copy" "$size"
record "cp"
time_best dd if="$src" of="$src.copy" bs=1M status=none
record "dd bs=1M"
time_best dd if="$src" of="$src.copy" bs=1M conv=fsync status=none
record "dd bs=1M conv=fsync"
rm -f "$src.copy"

# Each cipher on one thread and on all of them, on tmpfs when it has room so
# that the disk does not set the pace: where the cipher is the bottleneck the
# second core should nearly double the rate.
all_threads=$(nproc)
tdir=$work
if (($(df -Pk /dev/shm 2>/dev/null | awk 'NR == 2 { print $4 }' || echo 0) > 3 * threads_mib * 1024)); then
  tdir=$(mktemp -d /dev/shm/kvn-compare.XXXXXX)
  shm=$tdir
fi
tsrc=$tdir/threads
head -c $((threads_mib * 1048576)) "$src" >"$tsrc"
declare -A scaling
ciphers=(aes serpent idea twofish rc6 mars)
tkey=$work/tkey # 16 characters: as many as IDEA takes
head -c 8 /dev/urandom | od -An -tx1 | tr -d ' \n' >"$tkey"
echo >>"$tkey"
outputs=("$tsrc.kvn")
for c in "${ciphers[@]}"; do
  time_best env TESSIRAL_THREADS=1 "$kvn" encrypt -q -c "$c" -k "$tkey" "$tsrc"
  one=$best_ns
  time_best env TESSIRAL_THREADS="$all_threads" "$kvn" encrypt -q -c "$c" -k "$tkey" "$tsrc"
  scaling[$c]="$(awk -v ns="$one" -v b=$((threads_mib * 1048576)) 'BEGIN { printf "%.1f", b / (ns / 1e9) / 1e6 }') $(awk -v ns="$best_ns" -v b=$((threads_mib * 1048576)) 'BEGIN { printf "%.1f", b / (ns / 1e9) / 1e6 }') $(awk -v a="$one" -v b="$best_ns" 'BEGIN { printf "%.2f", a / b }')"
done
rm -f "$tsrc" "$tsrc.kvn"

# Peak memory on a 1 GiB file (a sparse source: reading it costs nothing).
msrc=$tdir/gig
truncate -s "${memory_mib}M" "$msrc"
peak_kib=$( { /usr/bin/time -f '%M' "$kvn" encrypt -q -c aes -k "$key" "$msrc" >/dev/null; } 2>&1 | tail -n 1)
expect_size "$msrc.kvn" $((memory_mib * 1048576 + 16))
rm -f "$msrc" "$msrc.kvn"
if [[ -n $shm ]]; then rm -rf "$shm"; shm=; fi

# 2,000 files of 4 KiB: kvn (a new .kvn beside each) against cp copying them.
small_ratio=
if ((have_hyperfine)); then
  mkdir "$work/small" "$work/copies"
  head -c $((small_files * 4096)) /dev/urandom | split -b 4096 -a 4 - "$work/small/r"
  hyperfine -N -w "$((smoke ? 0 : 1))" -r "$((smoke ? 1 : 10))" --export-csv "$work/small.csv" \
    --prepare "sh -c 'rm -f $work/small/*.kvn $work/copies/*'" \
    -n kvn "sh -c 'cd $work/small && exec $kvn encrypt -q --keep -c aes -k $key r*'" \
    -n cp "sh -c 'cd $work/small && exec cp r* $work/copies/'" >/dev/null
  small_kvn=$(awk -F, '$1 == "kvn" { print $4 }' "$work/small.csv")
  small_cp=$(awk -F, '$1 == "cp" { print $4 }' "$work/small.csv")
  small_ratio=$(awk -v a="$small_kvn" -v b="$small_cp" 'BEGIN { printf "%.2f", a / b }')
  rm -rf "$work/small" "$work/copies"
else
  echo "note: hyperfine not found; no small-file figures" >&2
fi

# The engine's AES over 1 MiB in place, best of three repetitions. The largest
# bytes_per_second in the JSON is the best run: the aggregates (mean, median,
# stddev, cv) never exceed it.
engine_bps=$("$bench" --benchmark_filter='^engine/AES/encrypt$' --benchmark_repetitions="$runs" \
  --benchmark_min_time="$( ((smoke)) && echo 0.01 || echo 0.5)" --benchmark_format=json 2>/dev/null |
  awk -F: '/"bytes_per_second"/ { v = $2 + 0; if (v > m) m = v } END { printf "%.0f", m }')
[[ $engine_bps =~ ^[1-9] ]] || { echo "bench_ciphers gave no AES figure" >&2; exit 1; }
engine_mbps=$(awk -v b="$engine_bps" 'BEGIN { printf "%.1f", b / 1e6 }')

echo
echo "$size_mib MiB random file, page-cached; best of $runs; MB = 10^6 bytes; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-40s %10s %10s\n' "" "seconds" "MB/s"
for name in "${rows[@]}"; do
  printf '%-40s %10s %10s\n' "$name" "${secs[$name]}" "${mbps[$name]}"
done
printf '%-40s %10s %10s\n' "engine AES blocks (bench_ciphers)" "" "$engine_mbps"
if ((smoke)); then
  echo "smoke run: every stage ran; figures this small are not judged"
  exit 0
fi

echo
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
enc_tmp=${mbps["kvn encrypt -c aes (/tmp)"]}
r=$(ratio "$enc_tmp" "$engine_mbps")
verdict=$(awk -v r="$r" 'BEGIN { print (r >= 0.80 ? "met" : "NOT met") }')
echo "kvn encrypt (/tmp) / engine AES blocks:      $r   (bar 0.80: $verdict)"
if [[ -n ${mbps["kvn encrypt -c aes (/dev/shm)"]:-} ]]; then
  enc_shm=${mbps["kvn encrypt -c aes (/dev/shm)"]}
  r=$(ratio "$enc_shm" "$engine_mbps")
  verdict=$(awk -v r="$r" 'BEGIN { print (r >= 0.80 ? "met" : "NOT met") }')
  echo "kvn encrypt (/dev/shm) / engine AES blocks:  $r   (bar 0.80: $verdict)"
  awk -v t="${secs["kvn encrypt -c aes (/tmp)"]}" -v s="${secs["kvn encrypt -c aes (/dev/shm)"]}" \
    'BEGIN { printf "disk cost of kvn encrypt: %.3f s of %.3f s (%.0f%%), /tmp minus /dev/shm\n", t - s, t, 100 * (t - s) / t }'
fi
r=$(ratio "$enc_tmp" "${mbps["cp"]}")
verdict=$(awk -v r="$r" 'BEGIN { print (r >= 0.60 ? "met" : "NOT met") }')
echo "kvn encrypt -c aes (/tmp) / cp rate:         $r   (bar 0.60: $verdict)"
awk -v f="${secs["dd bs=1M conv=fsync"]}" -v n="${secs["dd bs=1M"]}" -v mib="$size_mib" \
  'BEGIN { printf "fsync of %d MiB on /tmp alone: %.3f s (dd conv=fsync minus plain dd)\n", mib, f - n }'

echo
echo "each cipher, $threads_mib MiB, best of $runs (MB/s): one thread, $all_threads threads, ratio (bar 1.70 where the cipher sets the pace)"
for c in "${ciphers[@]}"; do
  read -r a b r <<<"${scaling[$c]}"
  printf '  %-8s %10s %10s %6s\n' "$c" "$a" "$b" "$r"
done
peak_mib=$(awk -v k="$peak_kib" 'BEGIN { printf "%.1f", k / 1024 }')
verdict=$(awk -v m="$peak_mib" 'BEGIN { print (m <= 64 ? "met" : "NOT met") }')
echo "kvn peak memory on a 1 GiB file:             $peak_mib MiB   (bar 64: $verdict)"
if [[ -n $small_ratio ]]; then
  verdict=$(awk -v r="$small_ratio" 'BEGIN { print (r <= 1.50 ? "met" : "NOT met") }')
  printf '2,000 files of 4 KiB, median of 10: kvn %.3f s, cp %.3f s; kvn / cp time: %s   (bar 1.50: %s)\n' \
    "$small_kvn" "$small_cp" "$small_ratio" "$verdict"
fi

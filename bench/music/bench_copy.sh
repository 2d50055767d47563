#!/usr/bin/env bash
# The MyRadio copy's throughput against cp on the same large files, in the
# same run: `voxatool myradio-copy` (the manager's copy job) and `cp -r`
# copy one folder of large MP3-named files to another folder drive.
#   bench/music/bench_copy.sh [BUILD_DIR] [FILES] [MB_EACH] [RUNS]
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$SRC/build}" && pwd)
FILES=${2:-4}; MB=${3:-128}; RUNS=${4:-3}
TOOL="$BUILD/bin/voxatool"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/v/voxa/myradio" "$WORK/v/music/big" "$WORK/d"
for i in $(seq "$FILES"); do
  head -c $((MB * 1024 * 1024)) /dev/urandom > "$WORK/v/music/big/track$i.mp3"
done
printf 'V removable FAT32 VOXA %s\nD fixed FAT32 BACKUP %s\n' "$WORK/v" "$WORK/d" > "$WORK/drives"
export VOXA_DRIVE_TABLE="$WORK/drives"
"$TOOL" myradio 'V:\voxa\myradio\big.mra' 'music\big:10' >/dev/null
now() { date +%s.%N; }
ratios=()
for r in $(seq "$RUNS"); do
  rm -rf "$WORK/d/"* ; sync
  t0=$(now); cp -r "$WORK/v/music" "$WORK/d/cp-music"; sync; t1=$(now)
  rm -rf "$WORK/d/"* ; sync
  t2=$(now); "$TOOL" myradio-copy --content-only 'V:\voxa\myradio\big.mra' 'D:\' 2>/dev/null >/dev/null; sync; t3=$(now)
  cpt=$(echo "$t1 - $t0" | bc -l); vt=$(echo "$t3 - $t2" | bc -l)
  ratio=$(echo "$cpt / $vt" | bc -l)
  printf 'run %d: cp %.2f s, copy job %.2f s, throughput %.2f of cp\n' "$r" "$cpt" "$vt" "$ratio"
  ratios+=("$ratio")
done
printf '%s\n' "${ratios[@]}" | sort -n | awk '{a[NR]=$1} END {printf "median %.2f of cp over %d runs of %d x %d MB (target 0.9)\n", a[int((NR+1)/2)], NR, '"$FILES"', '"$MB"'}'

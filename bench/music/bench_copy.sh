#!/usr/bin/env bash
# The MyRadio copy's throughput against cp on the same large files, in the
# same run: `voxatool myradio-copy` (the manager's copy job) and `cp -r`
# copy one folder of large MP3-named files to another folder drive.
#   bench/music/bench_copy.sh [BUILD_DIR] [FILES] [MB_EACH] [RUNS]
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$SRC/build}" && pwd)
FILES=${2:-4}; MB=${3:-128}; RUNS=${4:-7}
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
copy_cp() { cp -r "$WORK/v/music" "$WORK/d/cp-music"; }
copy_job() { "$TOOL" myradio-copy --content-only 'V:\voxa\myradio\big.mra' 'D:\' 2>/dev/null >/dev/null; }
# Seconds one copy takes until its data is on the disk.
timed() { rm -rf "$WORK/d/"*; sync; local t0; t0=$(now); "$1"; sync; echo "$(now) - $t0" | bc -l; }
# Odd runs start with cp, even runs with the copy job, so the write-back
# left by one side does not always land on the same side.
for r in $(seq "$RUNS"); do
  if [ $((r % 2)) -eq 1 ]; then cpt=$(timed copy_cp); vt=$(timed copy_job)
  else vt=$(timed copy_job); cpt=$(timed copy_cp); fi
  ratio=$(echo "$cpt / $vt" | bc -l)
  printf 'run %d: cp %.2f s, copy job %.2f s, throughput %.2f of cp\n' "$r" "$cpt" "$vt" "$ratio"
  ratios+=("$ratio")
done
printf '%s\n' "${ratios[@]}" | sort -n | awk '{a[NR]=$1} END {printf "median %.2f of cp over %d runs of %d x %d MB (target 0.9)\n", a[int((NR+1)/2)], NR, '"$FILES"', '"$MB"'}'

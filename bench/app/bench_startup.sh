#!/usr/bin/env bash
# Time from the manager's start to the start panel, and the memory in use
# there, on the sample player drive, without a display.
#   bench/app/bench_startup.sh [BUILD_DIR] [RUNS]
# The opening animation grows the window 8 pixels a step with no wait, and
# the start panel fits the full-size window, so no fixed animation time is
# inside the number: it is the start-up's own work.
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$SRC/build}" && pwd)
RUNS=${2:-7}
DRIVE=$("$SRC/scripts/make-sample-drive" "$BUILD" | tail -1)
cd "$DRIVE/voxa/manager"
times=()
mem=0
for _ in $(seq "$RUNS"); do
  out=$(VOXA_DRIVE_TABLE="$BUILD/drives" VOXA_STARTUP_REPORT=1 QT_QPA_PLATFORM=offscreen \
        timeout 30 ./voxam2 2>/dev/null)
  times+=("$(awk '/^startup_ms/ {print $2}' <<<"$out")")
  m=$(awk '/^resident_mb/ {print $2}' <<<"$out")
  mem=$(awk -v a="$mem" -v b="$m" 'BEGIN {print (b > a ? b : a)}')
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo "start to start panel: median ${median} ms over ${RUNS} runs (${times[*]})"
echo "resident memory there: at most ${mem} MB"

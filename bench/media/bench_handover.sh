#!/usr/bin/env bash
# The media-player hand-over benchmark on a private session bus of its own,
# never on the user's (a real player there would get the lists).
#   bench/media/bench_handover.sh [BUILD_DIR] [FILES] [RUNS]
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$SRC/build}" && pwd)
VOXA_PRIVATE_BUS=1 exec dbus-run-session -- "$BUILD/bench/media/bench_handover" "${2:-10000}" "${3:-7}"

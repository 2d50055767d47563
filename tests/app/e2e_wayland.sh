#!/usr/bin/env bash
# End to end under a headless weston: the program ends its start-up, then the frame walk opens every start-panel
# frame and closes; the saved position must stay as it was (a Wayland window cannot tell where it stands).
#   e2e_wayland.sh BUILD_DIR    (status 77: weston or Qt's Wayland plugin is missing)
set -euo pipefail
command -v weston >/dev/null || { echo "SKIP: weston is not installed (scripts/deps installs it)"; exit 77; }
BUILD=$(cd "$1" && pwd)
SRC=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d)
trap '{ kill "${WESTON:-}" && wait "${WESTON:-}"; } 2>/dev/null || true; rm -rf "$WORK"' EXIT
fail() {
  echo "FAIL: $*" >&2
  for log in "$WORK"/*.log; do [ -f "$log" ] && sed "s|^|  $(basename "$log"): |" "$log" >&2; done
  exit 1
}

export XDG_RUNTIME_DIR="$WORK/runtime" XDG_CONFIG_HOME="$WORK/config"
mkdir -m 700 "$XDG_RUNTIME_DIR" && mkdir "$XDG_CONFIG_HOME"
weston --backend=headless-backend.so --socket=voxa-e2e --width=1024 --height=768 --idle-time=0 \
  >"$WORK/weston.log" 2>&1 &
WESTON=$!
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/voxa-e2e" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/voxa-e2e" ] || fail "weston did not start"
# Without a keyboard Qt 6.4's Wayland text input crashes on the first line edit: another input method is used.
export WAYLAND_DISPLAY=voxa-e2e QT_QPA_PLATFORM=wayland QT_IM_MODULE=compose
unset DISPLAY QT_QPA_PLATFORMTHEME

DRIVE=$("$SRC/scripts/make-sample-drive" "$BUILD" "$WORK" | tail -1)
export VOXA_DRIVE_TABLE="$WORK/drives" VOXA_UPDATE_SERVER=http://127.0.0.1:9  # the update server refuses at once
# Near the right and bottom edges: larger frames push the window up and left, which must not reach the settings.
"$BUILD/bin/voxatool" settings V: left=600 top=480 >/dev/null
cd "$DRIVE/voxa/manager"

VOXA_STARTUP_REPORT=1 timeout 30 ./voxam2 >"$WORK/start.log" 2>&1 || true
if grep -q 'Could not find the Qt platform plugin "wayland"' "$WORK/start.log"; then
  echo "SKIP: Qt's Wayland platform plugin is missing (scripts/deps installs qt6-wayland)"
  exit 77
fi
grep -q '^startup_ms ' "$WORK/start.log" || fail "the program did not finish its start-up under Wayland"
echo "started: $(grep '^startup_ms ' "$WORK/start.log")"

status=0
timeout 60 "$BUILD/tests/app/framewalk" "$DRIVE/pictures/evening.jpg" >"$WORK/walk.log" 2>&1 || status=$?
[ "$status" = 0 ] || fail "the frame walk ended with status $status"
grep -q '^platform wayland' "$WORK/walk.log" || fail "the walk did not run on Wayland"
grep -q '^closed after 6 frames' "$WORK/walk.log" || fail "not every frame was shown"
sed 's/^/  /' "$WORK/walk.log"
grep -q '^Window.LEFT = 600' voxam2.ini && grep -q '^Window.TOP = 480' voxam2.ini ||
  fail "the saved position changed: $(grep Window voxam2.ini | tr -d '\r' | tr '\n' ' ')"
grep -q '^Version = 30101' voxam2.ini || fail "the settings were not saved on closing"
echo "every frame shown and closed under Wayland; the saved position kept"

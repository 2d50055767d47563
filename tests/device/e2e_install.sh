#!/usr/bin/env bash
# End to end, under a private Xvfb: the distribution folder's manager is
# started beside an empty FAT32 folder drive, shows the chooser, installs onto
# the drive on Return, starts the installed copy, and that copy completes the
# installation (copy.his and the distribution files gone) and shows the start
# panel.
#   e2e_install.sh BUILD_DIR [SCREENSHOT.png]
set -euo pipefail
BUILD=$(cd "$1" && pwd)
SHOT=${2:-}
WORK=$(mktemp -d)
cleanup() {
  pkill -f "$WORK/" 2>/dev/null || true
  [ -n "${XVFB:-}" ] && kill "$XVFB" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cp -r "$BUILD/dist" "$WORK/dist"
mkdir -p "$WORK/player" "$WORK/config"
printf 'D removable FAT32 PLAYER %s\n' "$WORK/player" > "$WORK/drives"
export VOXA_DRIVE_TABLE="$WORK/drives" XDG_CONFIG_HOME="$WORK/config"
unset QT_QPA_PLATFORM

for n in $(seq 140 199); do [ -e /tmp/.X$n-lock ] || { DISP=:$n; break; }; done
Xvfb "$DISP" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
export DISPLAY=$DISP
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# The chooser lists the drive; the installer check needs the drive letter in it.
(cd "$WORK/dist" && exec ./voxam2) >"$WORK/installer.log" 2>&1 &
INSTALLER=$!
win=
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name '^VOXA Manager$' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || fail "the installer's window did not appear"
sleep 3   # opening animation and the chooser
[ -z "$SHOT" ] || import -window root "${SHOT%.png}-chooser.png"
# Press OK as a person would: frame at (35, 89) in the window, OK 81 x 25 at
# the frame's bottom right.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $((X + 35 + 436 - 6 - 40)) $((Y + 89 + 180 - 30 - 12)) click 1

# The installing copy ends; the installed one starts and completes.
for _ in $(seq 100); do kill -0 $INSTALLER 2>/dev/null || break; sleep 0.1; done
kill -0 $INSTALLER 2>/dev/null && fail "the installing copy did not end"
M="$WORK/player/voxa/manager"
for f in voxam2 default.mgs defaultskin.bmp voxam2.ini Language/English.lng; do
  [ -e "$M/$f" ] || fail "not installed: $f"
done
for d in config myradio; do [ -d "$WORK/player/voxa/$d" ] || fail "no voxa/$d"; done
grep -q 'Version = 30101' "$M/voxam2.ini" || fail "voxam2.ini has no version"

for _ in $(seq 100); do
  [ ! -e "$M/copy.his" ] && [ ! -e "$WORK/dist/voxam2" ] && break
  sleep 0.1
done
[ -e "$M/copy.his" ] && fail "copy.his was not completed"
[ -e "$WORK/dist/voxam2" ] && fail "the distribution files were not removed"
[ -e "$WORK/dist/Language" ] && fail "the distribution's Language folder was not removed"
pgrep -f "$M/voxam2" >/dev/null || fail "the installed copy is not running"
win=
for _ in $(seq 100); do
  win=$(xdotool search --onlyvisible --name '^VOXA Manager$' 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || fail "the installed copy shows no window"
sleep 3
[ -z "$SHOT" ] || import -window root "$SHOT"
echo "installed onto the folder drive and completed"

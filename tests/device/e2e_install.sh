#!/usr/bin/env bash
# End to end, under a private Xvfb: the distribution folder's manager is
# started beside an empty FAT32 folder drive, shows the chooser, installs onto
# the drive on OK, starts the installed copy, and that copy completes the
# installation (copy.his and the distribution files gone) and shows the start
# panel. Then, on the same drive:
#  - an upgrade over files copied by hand in other letter case;
#  - the drive's program without execute permission (a FAT disk mounted with
#    "showexec"), reached by a hand-over and by the disk starter, with a
#    settings file that has a byte-order mark and claims a newer version;
#  - an installation started from another drive's voxa/manager folder, which
#    must leave every file of that drive in place.
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
fail() {
  echo "FAIL: $*" >&2
  # What the manager said, so a failure on a busy machine can be told apart.
  for log in "$WORK"/*.log; do [ -f "$log" ] && sed "s|^|  $(basename "$log"): |" "$log" >&2; done
  exit 1
}

cp -r "$BUILD/dist" "$WORK/dist"
mkdir -p "$WORK/player" "$WORK/config"
printf 'D removable FAT32 PLAYER %s\n' "$WORK/player" > "$WORK/drives"
export VOXA_DRIVE_TABLE="$WORK/drives" XDG_CONFIG_HOME="$WORK/config"
unset QT_QPA_PLATFORM

for n in $(seq 140 199); do [ -e /tmp/.X$n-lock ] || { DISP=:$n; break; }; done
Xvfb "$DISP" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
export DISPLAY=$DISP
# On a busy machine the server can take several seconds; a manager started
# before it answers ends at once for want of a display.
ready=
for _ in $(seq 300); do xdpyinfo >/dev/null 2>&1 && { ready=1; break; }; sleep 0.1; done
[ -n "$ready" ] || fail "Xvfb did not start on $DISP"

# The id of the manager's window once it shows (within 30 s), or nothing.
manager_window() {
  local w=
  for _ in $(seq 300); do
    w=$(xdotool search --onlyvisible --name '^VOXA Manager$' 2>/dev/null | head -1 || true)
    [ -n "$w" ] && break
    sleep 0.1
  done
  echo "$w"
}
# Waits up to 30 s until window $1 is $2 x $3 pixels and has stayed so for a
# few polls: the animation that brings a frame in has ended and its last
# step, which shows the frame, has run. The chooser's frame at (35, 89),
# 436 x 180, makes the window 471 x 269; the start panel is 380 x 240.
window_sized() {
  local WINDOW X Y WIDTH HEIGHT SCREEN held=0
  for _ in $(seq 300); do
    WIDTH= HEIGHT=
    eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" || true
    if [ "$WIDTH" = "$2" ] && [ "$HEIGHT" = "$3" ]; then
      held=$((held + 1))
      [ $held -ge 3 ] && return 0
    else
      held=0
    fi
    sleep 0.1
  done
  return 1
}
chooser_shown() { window_sized "$1" 471 269; }
start_panel_shown() { window_sized "$1" 380 240; }
# Presses the chooser's OK as a person would: frame at (35, 89) in the
# window, OK 81 x 25 at the frame's bottom right.
press_chooser_ok() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + 35 + 436 - 6 - 40)) $((Y + 89 + 180 - 30 - 12)) click 1
}
ends() {
  for _ in $(seq 300); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
# Ends every manager this test started.
stop_managers() {
  pkill -f "$WORK/" 2>/dev/null || true
  for _ in $(seq 50); do pgrep -f "$WORK/" >/dev/null || return 0; sleep 0.1; done
  fail "managers did not end"
}

# The chooser lists the drive; the installer check needs the drive letter in it.
(cd "$WORK/dist" && exec ./voxam2) >"$WORK/installer.log" 2>&1 &
INSTALLER=$!
win=$(manager_window)
[ -n "$win" ] || fail "the installer's window did not appear"
chooser_shown "$win" || fail "the installer's chooser did not open"
[ -z "$SHOT" ] || import -window root "${SHOT%.png}-chooser.png"
# Press OK as a person would: frame at (35, 89) in the window, OK 81 x 25 at
# the frame's bottom right.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove $((X + 35 + 436 - 6 - 40)) $((Y + 89 + 180 - 30 - 12)) click 1

# The installing copy ends; the installed one starts and completes.
for _ in $(seq 300); do kill -0 $INSTALLER 2>/dev/null || break; sleep 0.1; done
kill -0 $INSTALLER 2>/dev/null && fail "the installing copy did not end"
M="$WORK/player/voxa/manager"
for f in voxam2 default.mgs defaultskin.bmp voxam2.ini Language/English.lng; do
  [ -e "$M/$f" ] || fail "not installed: $f"
done
for d in config myradio; do [ -d "$WORK/player/voxa/$d" ] || fail "no voxa/$d"; done
grep -q 'Version = 30101' "$M/voxam2.ini" || fail "voxam2.ini has no version"

for _ in $(seq 300); do
  [ ! -e "$M/copy.his" ] && [ ! -e "$WORK/dist/voxam2" ] && break
  sleep 0.1
done
[ -e "$M/copy.his" ] && fail "copy.his was not completed"
[ -e "$WORK/dist/voxam2" ] && fail "the distribution files were not removed"
[ -e "$WORK/dist/Language" ] && fail "the distribution's Language folder was not removed"
pgrep -f "$M/voxam2" >/dev/null || fail "the installed copy is not running"
win=$(manager_window)
[ -n "$win" ] || fail "the installed copy shows no window"
start_panel_shown "$win" || fail "the installed copy shows no start panel"
[ -z "$SHOT" ] || import -window root "$SHOT"
echo "installed onto the folder drive and completed"

# --- An upgrade over names in other letter case --------------------------
stop_managers
mv "$M/defaultskin.bmp" "$M/DefaultSkin.bmp"
mv "$M/Language" "$M/language"
mv "$M/language/English.lng" "$M/language/ENGLISH.LNG"
sed -i 's/Version = 30101/Version = 30000/' "$M/voxam2.ini"
cp -r "$BUILD/dist" "$WORK/dist2"
(cd "$WORK/dist2" && exec ./voxam2) >"$WORK/upgrade.log" 2>&1 &
UPGRADER=$!
win=$(manager_window)
[ -n "$win" ] || fail "the upgrading copy's window did not appear"
chooser_shown "$win" || fail "the upgrading copy's chooser did not open"
press_chooser_ok "$win"
ends $UPGRADER || fail "the upgrading copy did not end"
names=$(ls "$M" "$M/language")
echo "$names" | grep -qx 'defaultskin.bmp' || fail "the skin was not written as defaultskin.bmp: $names"
echo "$names" | grep -qx 'DefaultSkin.bmp' && fail "DefaultSkin.bmp was kept beside the new skin"
echo "$names" | grep -qx 'English.lng' || fail "English.lng was not written under its own name"
echo "$names" | grep -qx 'ENGLISH.LNG' && fail "ENGLISH.LNG was kept"
grep -q 'Version = 30101' "$M/voxam2.ini" || fail "the upgrade did not write its version"
[ -n "$(manager_window)" ] || fail "the upgraded copy shows no window (skin not found?)"
pgrep -f "$M/voxam2" >/dev/null || fail "the upgraded copy is not running"
echo "upgraded over names in other letter case"

# --- No execute bit; a settings file with a byte-order mark ---------------
stop_managers
chmod a-x "$M/voxam2"
printf '\xEF\xBB\xBF[voxa manager ini file]\r\nVersion = 30101\r\n' >"$M/voxam2.ini"
# A copy elsewhere on the drive hands over to the drive's own copy, which
# must start without the execute bit and run (not install, not hand over).
cp -r "$BUILD/dist" "$WORK/player/dist3"
(cd "$WORK/player/dist3" && exec ./voxam2) >"$WORK/handover.log" 2>&1 &
HANDER=$!
ends $HANDER || fail "the copy that hands over did not end (settings with a byte-order mark misread?)"
for _ in $(seq 300); do pgrep -f "$M/voxam2" >/dev/null && break; sleep 0.1; done
pgrep -f "$M/voxam2" >/dev/null || fail "the drive's copy without execute permission did not start"
[ -n "$(manager_window)" ] || fail "the drive's copy shows no window"
echo "handed over to a program without execute permission"

# The settings claim a newer version than the program: started from the disk
# by the starter, the copy must run and complete its start-up (copy.his
# gone) instead of handing over to itself. No installation started it, so
# the copy.his it finds is removed unread and the file it lists stays.
stop_managers
printf '\xEF\xBB\xBF[VOXA Manager Ini File]\r\nVersion = 99999\r\n' >"$M/voxam2.ini"
mkdir -p "$WORK/player/dist5"
echo old >"$WORK/player/dist5/voxam2"
printf 'D:\\dist5\\voxam2\r\nD:\\dist5\\Language\\\r\n' >"$M/copy.his"
"$BUILD/bin/voxam2-disk" >"$WORK/starter.log" 2>&1 &
STARTER=$!
for _ in $(seq 300); do [ ! -e "$M/copy.his" ] && break; sleep 0.1; done
[ -e "$M/copy.his" ] && fail "the copy started from the disk did not complete its start-up"
[ -e "$WORK/player/dist5/voxam2" ] || fail "a copy.his found without an installation's hand-over deleted a file"
# Once its start panel shows, its start-up (and any hand-over) is over.
win=$(manager_window)
[ -n "$win" ] && start_panel_shown "$win" || fail "the copy started from the disk shows no start panel"
kill -0 $STARTER 2>/dev/null || fail "the copy started from the disk ended"
[ "$(pgrep -fc "$M/voxam2")" = 1 ] || fail "the copy started another copy of itself"
echo "started from the disk without execute permission; no hand-over to itself"

# --- Installing from another drive's manager folder ----------------------
stop_managers
chmod a+x "$M/voxam2"
mkdir -p "$WORK/new"
printf 'E fixed ext4 OTHER %s\nF removable FAT32 NEW %s\n' "$WORK/player" "$WORK/new" >"$WORK/drives"
snapshot() { (cd "$WORK/player" && find . -type f -print0 | sort -z | xargs -0 md5sum); }
before=$(snapshot)
cp -r "$BUILD/dist" "$WORK/dist4"
(cd "$M" && exec "$WORK/dist4/voxam2") >"$WORK/other.log" 2>&1 &
OTHER=$!
win=$(manager_window)
[ -n "$win" ] || fail "the copy started in the other drive's folder shows no window"
chooser_shown "$win" || fail "the chooser of the copy started in the other drive's folder did not open"
press_chooser_ok "$win"
ends $OTHER || fail "the copy started in the other drive's folder did not end"
N="$WORK/new/voxa/manager"
for f in voxam2 default.mgs defaultskin.bmp voxam2.ini; do
  [ -e "$N/$f" ] || fail "not installed on the new drive: $f"
done
for _ in $(seq 300); do pgrep -f "$N/voxam2" >/dev/null && break; sleep 0.1; done
pgrep -f "$N/voxam2" >/dev/null || fail "the new drive's copy is not running"
win=$(manager_window)
[ -n "$win" ] && start_panel_shown "$win" || fail "the new drive's copy shows no start panel"
[ -e "$N/copy.his" ] && fail "an installation from a manager folder kept a history"
[ "$(snapshot)" = "$before" ] || fail "the other drive's files changed: $(diff <(echo "$before") <(snapshot))"
[ -e "$WORK/dist4/voxam2" ] || fail "the program's own folder was emptied"
echo "installed from another drive's manager folder; that drive kept all its files"

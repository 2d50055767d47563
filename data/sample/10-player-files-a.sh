#!/usr/bin/env bash
# The player's own files on the sample drive: the default message set in
# voxa/manager, config files and a user's message set in voxa/config, and
# MyRadio profiles in voxa/myradio (pointing into the music tree of
# 20-music.sh; folders that do not exist yet are fine).
set -euo pipefail
: "${VOXATOOL:?}" "${DRIVE:?}" "${SRC:?}"
CFG="$DRIVE/voxa/config"
MRA="$DRIVE/voxa/myradio"
mkdir -p "$CFG" "$MRA" "$DRIVE/voxa/manager"

"$VOXATOOL" make-messages "$SRC/data/messages/default.txt" "$DRIVE/voxa/manager/default.mgs" >/dev/null

# A user's message set as the message editor saves it: the texts that differ
# from the default set, then every genre entry.
src=$(mktemp)
trap 'rm -f "$src"' EXIT
cat > "$src" <<'TEXTS'
FirmwareVersion = 2.10
256 = Ki
257 = Be
320 = Ki
321 = Ismétlés
322 = Szám
323 = Véletlen
513 = Hangerő
514 = Balansz
515 = Mély
516 = Magas
517 = Hangszín
521 = Lejátszás
527 = Kontraszt
528 = Háttérfény
533 = FM csatorna
534 = Lemez készenlét
768 = Lemezhiba
770 = Nincs MP3
1536 = Üdvözöljük
1537 = Viszontlátásra
TEXTS
awk -F' = ' '$1 >= 4096 && $1 <= 4351' "$SRC/data/messages/default.txt" >> "$src"
"$VOXATOOL" make-messages "$src" "$CFG/magyar.mgs" >/dev/null

# Config files: one that changes nothing, and three that change a few things.
"$VOXATOOL" new-config "$CFG/reset.cfg"
"$VOXATOOL" new-config "$CFG/party.cfg" \
  Volume=0 Balance=441 Bass=4 Treble=2 Equalizer=User Loudness=On DynaBass=Soft "Auto Volume=Off" \
  MyRadio=On myradiofile=rock "Repeat Mode=Random" "Auto Pause=On" "Intro Play=10" \
  message=magyar logo=DEFAULT playdisplay=DEFAULT
"$VOXATOOL" new-config "$CFG/car.cfg" \
  car.Volume=-20 car.Balance=438 car.Equalizer=Rock car.Loudness=On car.DynaBass=Medium "car.Auto Volume=On" \
  MyRadio=Off myradiofile=DEFAULT "Repeat Mode=Repeat" \
  "FM Channel=291" Contrast=20 "Back Light=31" "HDD Standby=5" "Turn Off Delay=3" \
  "Inverse Mode=Normal" "Rotate Display=Left" "Scroll Mode=Normal" message=DEFAULT
"$VOXATOOL" new-config "$CFG/night.cfg" \
  Volume=-40 "Back Light=4" Contrast=12 "Inverse Mode=Inverse" MyRadio=On myradiofile=jazz

# MyRadio profiles.
"$VOXATOOL" myradio "$MRA/rock.mra" \
  'V:\music\Rock:15' 'V:\music\Rock\Live:5' 'V:\music\Rock\Highway Song.mp3:20' \
  'V:\music\Classical\Overture.mp3:3'
"$VOXATOOL" myradio "$MRA/mix.mra" \
  'V:\music\Rock:10' 'V:\music\Pop:10' 'V:\music\Jazz:6' 'V:\music\Classical:4' \
  'V:\music\Intro.mp3:1' 'V:\music\Pop\Remix.Mp3:12'
"$VOXATOOL" myradio "$MRA/jazz.mra" \
  'V:\music\Jazz:12' 'V:\music\Jazz\Session 1:8' 'V:\music\Jazz\Smoke.mp3:20'
"$VOXATOOL" myradio "$MRA/empty.mra"

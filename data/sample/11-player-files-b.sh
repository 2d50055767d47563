#!/usr/bin/env bash
# Logos and playdisplay layouts on the sample drive: pictures in pictures/
# (made up by voxatool, no binaries in the sources), logos made from them for
# both displays with their companions, and layouts for both displays in
# voxa/config. default.lce and default.ply are the names the sample config
# files refer to.
set -euo pipefail
: "${VOXATOOL:?}" "${DRIVE:?}" "${SRC:?}"
CFG="$DRIVE/voxa/config"
mkdir -p "$CFG" "$DRIVE/pictures"

# The drive as V, so that the companions name their pictures the way the
# manager will see them ("V:\pictures\...").
table=$(mktemp)
trap 'rm -f "$table"' EXIT
printf 'V removable FAT32 VOXA %s\n' "$DRIVE" > "$table"
export VOXA_DRIVE_TABLE="$table"

"$VOXATOOL" sample-picture 'V:\pictures\evening.jpg' --size 800x600
"$VOXATOOL" sample-picture 'V:\pictures\badge.bmp' --size 100x40

# VOXA-A (128 x 56, aspect 16:7) and VA-DA (176 x 64, aspect 11:4) logos.
"$VOXATOOL" logo 'V:\pictures\evening.jpg' 'V:\voxa\config\default.lce' --type voxa-a --crop 48,24,752,332
"$VOXATOOL" logo 'V:\pictures\evening.jpg' 'V:\voxa\config\evening.lce' --type va-da --crop 40,20,760,282 \
  --threshold 140
# A small picture on a black frame, inverted: the VA-DA canvas is the size of the logo.
"$VOXATOOL" logo 'V:\pictures\badge.bmp' 'V:\voxa\config\badge.lce' --type va-da --crop 0,0,176,64 \
  --black-frame --invert
"$VOXATOOL" logo 'V:\pictures\badge.bmp' 'V:\voxa\config\badgea.lce' --type voxa-a --crop 24,4,152,60

# Playdisplay layouts. VOXA-A with the VU meter (columns 117..127, rows 0..47).
"$VOXATOOL" playdisplay 'V:\voxa\config\default.ply' --type voxa-a \
  "ID3 Title" font=12 align=autoscroll at=0,0 \
  "ID3 Artist" at=0,13 \
  "ID3 Album" at=0,22 \
  "Play time elapsed" at=0,32 \
  "MPEG bitrate" at=40,32 align=right \
  "Play status" at=80,32 align=center \
  "Repeat mode / MyRadio" at=0,47 inverse \
  "Play time remains" at=60,48 align=right
# VOXA-A without the VU meter, big file name.
"$VOXATOOL" playdisplay 'V:\voxa\config\simple.ply' --type voxa-a --no-vumeter \
  "Filename" font=12 align=center at=0,10 width=128 \
  "Play time elapsed" font=12 at=0,40 \
  "Play time total" font=12 at=83,40 align=right
# VA-DA with the VU meter (columns 161..175, rows 0..50).
"$VOXATOOL" playdisplay 'V:\voxa\config\vada.ply' --type va-da \
  "ID3 Title" font=12 align=autoscroll at=0,0 width=158 \
  "ID3 Artist" font=12 at=0,14 width=158 \
  "ID3 Album" at=0,28 width=158 \
  "ID3 Year" at=0,38 \
  "ID3 Genre" at=30,38 \
  "Frequency" at=86,38 \
  "Mono/Stereo Info" at=114,38 \
  "Play time elapsed" font=12 at=0,52 \
  "Play time total" font=12 at=50,52 \
  "Play status" font=12 inverse at=100,51 align=center \
  "Repeat mode / MyRadio" at=124,55 width=50 align=right
# A new layout as the editor starts it: the VU meter and no fields.
"$VOXATOOL" playdisplay 'V:\voxa\config\empty.ply'

#!/usr/bin/env bash
# A music tree of small generated MP3 files on the sample drive: complete and
# incomplete tags, files the player has marked (*.MP!), variable bit rates,
# MPEG 2 and 2.5, junk before the first frame, and a spread of dates and
# sizes, for trying the find and export frame and voxatool scan.
set -euo pipefail
: "${VOXATOOL:?}" "${DRIVE:?}"
M="$DRIVE/music"

# mk FILE DATE [make-mp3 options...]
mk() {
  local file=$M/$1 date=$2
  shift 2
  "$VOXATOOL" make-mp3 "$file" "$@"
  touch -d "$date" "$file"
}

# v2 TITLE ARTIST ALBUM: the options of a complete ID3v2.3 tag, in V2.
v2() {
  V2=(--id3v2 3 --frame "TIT2=$1" --frame "TPE1=$2" --frame "TALB=$3")
}

# Rock: mostly complete tags, constant bit rates.
v2 "Highway Song" "The Gears" "Asphalt"
mk "Rock/Highway Song.mp3"     "2003-05-17 10:12" --kbps 128 --frames 10 --title "Highway Song" --artist "The Gears" --album "Asphalt" --year 2001 --track 1 --genre 17 "${V2[@]}"
v2 "Night Drive" "The Gears" "Asphalt"
mk "Rock/Night Drive.mp3"      "2003-05-17 10:14" --kbps 128 --frames 14 --title "Night Drive" --artist "The Gears" --album "Asphalt" --year 2001 --track 2 --genre 17 "${V2[@]}"
mk "Rock/Overtake.mp3"         "2003-05-17 10:16" --kbps 192 --frames 12 --title "Overtake" --artist "The Gears" --album "" --genre 17
v2 "Pit Stop" "The Gears" "Asphalt"
mk "Rock/Pit Stop.MP!"         "2003-06-02 18:40" --kbps 160 --frames 8  --title "Pit Stop" --artist "The Gears" --album "Asphalt" "${V2[@]}"
mk "Rock/Red Line.mp3"         "2003-06-02 18:42" --kbps 128 --frames 16 --vbr 96,160,128,192 --title "Red Line" --artist "The Gears" --album "Asphalt"
v2 "Encore" "The Gears" "Live at the Ring"
mk "Rock/Live/Encore.mp3"      "2002-11-30 23:59" --kbps 128 --frames 20 --vbr 112,128,160 "${V2[@]}"
mk "Rock/Live/Crowd.MP!"       "2002-11-30 23:58" --kbps 96  --frames 6
mk "Rock/Live/Soundcheck.mp3"  "2002-11-29 17:05" --kbps 64  --frames 6  --junk 700 --id3v2 3 --frame "TIT2=Soundcheck"

# Pop: ID3v1.1 tracks, a VBRI file, MPEG 2.
mk "Pop/Sunny Day.mp3"         "2003-01-10 09:00" --kbps 128 --frames 9  --title "Sunny Day" --artist "Mira" --album "Colours" --year 2002 --track 3 --genre 13
v2 "Rainy Day" "Mira" "Colours"
mk "Pop/Rainy Day.mp3"         "2003-01-10 09:05" --kbps 160 --frames 9  --title "Rainy Day" --artist "Mira" --album "Colours" --year 2002 --track 4 --genre 13 "${V2[@]}" --frame "TRCK=4/12" --frame "TCON=(13)Pop"
mk "Pop/Windy Day.MP!"         "2003-01-11 21:30" --kbps 128 --frames 9  --title "Windy Day" --artist "Mira"
mk "Pop/Radio Edit.mp3"        "2003-02-14 14:14" --kbps 128 --frames 18 --vbri --vbr 96,128,160 --title "Radio Edit" --artist "Mira" --album "Singles"
mk "Pop/Phone Call.mp3"        "2003-02-14 14:20" --mpeg 2 --kbps 64 --frames 12 --title "Phone Call" --artist "Mira" --album "Singles"
mk "Pop/Demo.mp3"              "2001-08-08 08:08" --mpeg 2.5 --kbps 32 --frames 10 --mono
v2 "Remix" "Mira" "Remixes"
mk "Pop/Remix.Mp3"             "2003-03-03 03:03" --kbps 256 --frames 8  "${V2[@]}"

# Jazz: tags of every kind of incompleteness, an ID3v2.4 tag.
mk "Jazz/Blue Corner.mp3"      "2000-04-01 20:00" --kbps 112 --frames 10 --title "Blue Corner" --artist "Quartet Nine" --album "Late Set"
mk "Jazz/Smoke.mp3"            "2000-04-01 20:07" --kbps 112 --frames 12 --id3v2 4 --frame "TIT2=Smoke" --frame "TPE1=Quartet Nine" --frame "TALB=Late Set"
mk "Jazz/Untitled.mp3"         "2000-04-02 01:15" --kbps 96  --frames 8
mk "Jazz/Brushes.MP!"          "2000-04-02 01:20" --kbps 128 --frames 10 --vbr 96,112,128 --title "Brushes" --album "Late Set"
mk "Jazz/Session 1/Take 1.mp3" "1999-12-31 23:59" --kbps 128 --frames 6  --title "Take 1" --artist "Quartet Nine" --album "Sessions"
mk "Jazz/Session 1/Take 2.mp3" "2000-01-01 00:01" --kbps 128 --frames 6  --title "Take 2" --artist "Quartet Nine" --album "Sessions"
mk "Jazz/Session 1/Take 3.MP!" "2000-01-01 00:05" --kbps 128 --frames 6  --title "Take 3" --artist "Quartet Nine"

# Classical: long-ish files at high rates, and one at 320 kbit/s.
v2 "Overture" "City Orchestra" "Evening Concert"
mk "Classical/Overture.mp3"    "2003-07-20 16:00" --kbps 320 --frames 12 --title "Overture" --artist "City Orchestra" --album "Evening Concert" "${V2[@]}"
mk "Classical/Adagio.mp3"      "2003-07-20 16:10" --kbps 256 --frames 14 --vbr 192,224,256,320 --title "Adagio" --artist "City Orchestra" --album "Evening Concert"
mk "Classical/Finale.mp3"      "2003-07-20 16:20" --kbps 192 --frames 12 --title "Finale" --artist "City Orchestra" --album "Evening Concert"
mk "Classical/Encore.MP!"      "2003-07-21 09:00" --kbps 128 --frames 6  --mono

# Loose files in the music folder itself, and things the search must pass by.
mk "Intro.mp3"                 "2003-08-01 12:00" --kbps 128 --frames 5  --title "Intro" --artist "VOXA" --album "Demo"
mk "Jingle.mp3"                "2003-08-01 12:01" --kbps 64  --frames 5  --mono --junk 1200
mk "Outro.MP!"                 "2003-08-01 12:02" --kbps 128 --frames 5  --title "Outro" --artist "VOXA" --album "Demo"
printf 'Set list for the demo drive.\r\n' > "$M/notes.mp3.txt"
mkdir -p "$M/Incoming.mp3"
mk "Incoming.mp3/New Track.mp3" "2003-08-02 10:00" --kbps 128 --frames 7

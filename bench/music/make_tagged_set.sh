#!/bin/sh
# Makes the benchmark set of MP3 files with real tag layouts: audio encoded
# by lame (LAME/Xing headers, CBR, VBR, ABR, MPEG 2 and 2.5, mono), tagged
# with mutagen in the layouts players and taggers write (ID3v2.3 and 2.4
# with padding and cover pictures, ID3v1, APE). Installs what it needs from
# Debian's packages (lame, python3-mutagen, and libtag1-dev for the TagLib
# comparison, which the benchmark uses when CMake finds it).
#   bench/music/make_tagged_set.sh [FOLDER] [FILES]
# FOLDER defaults to build/bench-music, FILES to 5000.
set -eu

out=${1:-build/bench-music}
count=${2:-5000}
here=$(cd "$(dirname "$0")" && pwd)

need=""
command -v lame >/dev/null 2>&1 || need="$need lame"
/usr/bin/python3 -c 'import mutagen' 2>/dev/null || need="$need python3-mutagen"
pkg-config --exists taglib 2>/dev/null || need="$need libtag1-dev"
if [ -n "$need" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    # Other installs may hold the package lock for a while.
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        -o DPkg::Lock::Timeout=600 $need >/dev/null
fi

mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Four seconds of a changing tone with some noise, so VBR has work to do.
/usr/bin/python3 - "$work/tone.wav" <<'PY'
import math, random, struct, sys, wave
rate = 44100
random.seed(7)
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(2)
    w.setsampwidth(2)
    w.setframerate(rate)
    frames = bytearray()
    for i in range(rate * 4):
        f = 220 + 660 * (i / (rate * 4))
        s = 0.4 * math.sin(2 * math.pi * f * i / rate) + 0.1 * (random.random() - 0.5)
        v = int(max(-1, min(1, s)) * 32767)
        frames += struct.pack("<hh", v, -v)
    w.writeframes(bytes(frames))
PY

# name: lame options
enc() { lame --quiet "$@"; }
enc -b 128 "$work/tone.wav" "$work/cbr128.mp3"
enc -V 2 "$work/tone.wav" "$work/vbr_v2.mp3"
enc --abr 160 "$work/tone.wav" "$work/abr160.mp3"
enc -b 320 "$work/tone.wav" "$work/cbr320.mp3"
enc -m m -b 64 --resample 22.05 "$work/tone.wav" "$work/mpeg2_mono64.mp3"
enc -V 5 --resample 22.05 "$work/tone.wav" "$work/mpeg2_vbr.mp3"
enc -b 32 --resample 8 "$work/tone.wav" "$work/mpeg25_32.mp3"
enc -b 192 -t "$work/tone.wav" "$work/cbr192_nolame.mp3"   # no Xing/Info frame

/usr/bin/python3 "$here/tag_set.py" "$work" "$out" "$count"
echo "made $count files in $out"

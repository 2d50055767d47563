"""Copies the encoded base files into a tree of tagged MP3 files.

   tag_set.py BASEDIR OUTDIR COUNT

Layouts in turn, as taggers and rippers leave them:
  ID3v2.3 with texts, a cover picture and padding, and ID3v1;
  ID3v2.4 with texts, a cover picture and padding;
  ID3v2.3 with texts only, APE tag and ID3v1;
  ID3v1 only;
  ID3v2.3 with two pictures (front and back) and large padding;
  no tags at all.
Ten artists, five albums each, COUNT / 50 files an album.
"""
import os
import random
import shutil
import sys

from mutagen.apev2 import APEv2
from mutagen.id3 import APIC, COMM, ID3, TALB, TCON, TDRC, TIT2, TPE1, TRCK, TYER

base, out, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
sources = sorted(os.path.join(base, n) for n in os.listdir(base) if n.endswith(".mp3"))
random.seed(11)


def picture(size):
    # A JPEG's start and end around bytes that do not compress.
    return b"\xff\xd8\xff\xe0\x00\x10JFIF\x00" + os.urandom(size) + b"\xff\xd9"


covers = [picture(s) for s in (8000, 24000, 61000, 120000)]


def texts(tag, n, v24):
    tag.add(TIT2(encoding=1 if not v24 else 3, text="Title %d" % n))
    tag.add(TPE1(encoding=1 if not v24 else 3, text="Artist %d" % (n % 10)))
    tag.add(TALB(encoding=1 if not v24 else 3, text="Album %d" % (n % 50)))
    tag.add(TRCK(encoding=0, text="%d/%d" % (n % 20 + 1, 20)))
    tag.add(TCON(encoding=0, text="(17)Rock"))
    if v24:
        tag.add(TDRC(encoding=0, text="2003"))
    else:
        tag.add(TYER(encoding=0, text="2003"))
    tag.add(COMM(encoding=0, lang="eng", desc="", text="ripped for the benchmark"))


per_album = max(1, count // 50)
n = 0
for a in range(10):
    for b in range(5):
        folder = os.path.join(out, "Artist %d" % a, "Album %d" % b)
        os.makedirs(folder, exist_ok=True)
        for c in range(per_album):
            if n >= count:
                break
            ext = "MP!" if n % 17 == 0 else "mp3"
            path = os.path.join(folder, "%02d Track %d.%s" % (c + 1, n, ext))
            shutil.copyfile(sources[n % len(sources)], path)
            layout = n % 6
            if layout in (0, 1, 2, 4):
                tag = ID3()
                v24 = layout == 1
                texts(tag, n, v24)
                if layout in (0, 1):
                    tag.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="",
                                 data=covers[n % len(covers)]))
                if layout == 4:
                    tag.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="front", data=covers[2]))
                    tag.add(APIC(encoding=0, mime="image/jpeg", type=4, desc="back", data=covers[1]))
                padding = 8192 if layout == 4 else random.choice((0, 256, 1024, 2048))
                tag.save(path, v2_version=4 if v24 else 3, v1=2 if layout in (0, 2) else 0,
                         padding=lambda info, p=padding: p)
                if layout == 2:
                    ape = APEv2()
                    ape["Title"] = "Title %d" % n
                    ape["Artist"] = "Artist %d" % (n % 10)
                    ape["Album"] = "Album %d" % (n % 50)
                    ape.save(path)
            elif layout == 3:
                tag = ID3()
                texts(tag, n, False)
                tag.save(path, v2_version=3, v1=2)
                # ID3v1 only: drop the version 2 tag again.
                ID3(path).delete(path, delete_v1=False, delete_v2=True)
            n += 1
        # Something besides music, as on a real drive.
        with open(os.path.join(folder, "cover.jpg"), "wb") as f:
            f.write(covers[0])

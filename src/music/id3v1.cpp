#include "music/id3v1.h"

#include "music/mp3source.h"

#include <cstring>

namespace voxa {

const std::array<const char *, MaxMusicGenres> MusicGenre = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
    "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream",
    "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle",
    "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes", "Trailer",
    "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll",
    "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin",
    "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progessive Rock",
    "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening",
    "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony",
    "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba",
    "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock",
    "Drum Solo", "A capella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House",
    "Hardcore", "Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat",
    "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian",
    "Christian Rock", "Merengue", "Salsa", "Trash Metal", "Anime", "JPop", "Synthpop",
};

namespace {

// The bytes of a field without trailing characters of code 32 or below;
// characters inside stay, zero bytes included.
QByteArray field(const char *p, int len)
{
    while (len > 0 && quint8(p[len - 1]) <= 32)
        --len;
    return QByteArray(p, len);
}

}  // namespace

void TID3v1::ResetData()
{
    Exists = false;
    VersionID = 1;
    Title.clear();
    Artist.clear();
    Album.clear();
    Year.clear();
    Comment.clear();
    Track = 0;
    GenreID = 255;
}

bool TID3v1::ReadFromFile(const QString &fileName)
{
    music::Mp3Source file(fileName);
    return ReadFrom(file);
}

bool TID3v1::ReadFrom(music::Mp3Source &file)
{
    ResetData();
    if (!file.isOpen() || file.size() < 128)
        return false;
    char block[128];
    if (file.readAt(file.size() - 128, block, 128) != 128)
        return false;
    ReadFromBlock(block);
    return true;
}

void TID3v1::ReadFromBlock(const char *b)
{
    ResetData();
    if (std::memcmp(b, "TAG", 3) != 0)
        return;
    Exists = true;
    const quint8 b125 = quint8(b[125]);
    const quint8 b126 = quint8(b[126]);
    const bool v11 = (b125 == 0 && b126 != 0) || (b125 == 0x20 && b126 != 0x20);
    VersionID = v11 ? 2 : 1;
    Title = field(b + 3, 30);
    Artist = field(b + 33, 30);
    Album = field(b + 63, 30);
    Year = field(b + 93, 4);
    if (v11) {
        Comment = field(b + 97, 28);
        Track = b126;
    } else {
        Comment = field(b + 97, 30);
    }
    GenreID = quint8(b[127]);
}

}  // namespace voxa

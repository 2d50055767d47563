#include "music/mp3maker.h"

#include "music/mpegaudio.h"

namespace voxa {
namespace {

void putBigEndian(QByteArray &b, qsizetype at, quint32 v)
{
    b[at] = char(v >> 24);
    b[at + 1] = char(v >> 16);
    b[at + 2] = char(v >> 8);
    b[at + 3] = char(v);
}

QByteArray bigEndian(quint32 v)
{
    QByteArray b(4, '\0');
    putBigEndian(b, 0, v);
    return b;
}

// Seven bits per byte, as ID3v2 sizes are written.
QByteArray syncSafe(quint32 v)
{
    const char b[4] = {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F),
                       char(v & 0x7F)};
    return QByteArray(b, 4);
}

QByteArray fixed(const QByteArray &text, int len)
{
    QByteArray b = text.left(len);
    b.append(len - b.size(), '\0');
    return b;
}

QByteArray id3v1(const Mp3Recipe &r)
{
    QByteArray t = "TAG" + fixed(r.Title, 30) + fixed(r.Artist, 30) + fixed(r.Album, 30)
                   + fixed(r.Year, 4);
    if (r.Track > 0)
        t += fixed(r.Comment, 28) + '\0' + char(quint8(r.Track));
    else
        t += fixed(r.Comment, 30);
    return t + char(r.Genre);
}

QByteArray id3v2(const Mp3Recipe &r)
{
    QByteArray body;
    for (const auto &[id, data] : r.Id3v2Frames) {
        body += fixed(id, 4);
        body += r.Id3v2Version >= 4 ? syncSafe(quint32(data.size())) : bigEndian(quint32(data.size()));
        body += QByteArray(2, '\0');
        body += data;
    }
    body.append(r.Id3v2Padding, '\0');
    const quint32 size = r.Id3v2DeclaredSize >= 0 ? quint32(r.Id3v2DeclaredSize) : quint32(body.size());
    const char head[6] = {'I', 'D', '3', char(r.Id3v2Version), 0, 0};  // revision, flags
    return QByteArray(head, 6) + syncSafe(size) + body;
}

}  // namespace

QByteArray Mp3Recipe::TextFrame(const QByteArray &text)
{
    return '\0' + text;
}

QByteArray Mp3Recipe::CommentFrame(const QByteArray &text)
{
    return QByteArray("\0eng\0", 5) + text;
}

void Mp3Recipe::addText(const char *id, const QByteArray &text)
{
    Id3v2Frames.append({QByteArray(id), qstrcmp(id, "COMM") == 0 ? CommentFrame(text) : TextFrame(text)});
}

bool makeFrameHeader(int versionId, int layer, int kbps, int sampleRate, bool padding, bool mono,
                     quint8 out[4])
{
    if (versionId < 0 || versionId > 3 || versionId == 1 || layer < 1 || layer > 3)
        return false;
    FrameData f;
    f.VersionID = quint8(versionId);
    f.LayerID = quint8(4 - layer);
    int rateIndex = -1;
    for (int i = 0; i < 3 && rateIndex < 0; ++i) {
        f.SampleRateID = quint16(i);
        if (sampleRate == 0 || TMPEGaudio::SampleRate(f) == sampleRate)
            rateIndex = i;
    }
    int bitIndex = -1;
    for (int i = 1; i < 15 && bitIndex < 0; ++i) {
        f.BitRateID = quint16(i);
        if (TMPEGaudio::BitRateKbps(f) == kbps)
            bitIndex = i;
    }
    if (rateIndex < 0 || bitIndex < 0)
        return false;
    out[0] = 0xFF;
    out[1] = quint8(0xE0 | versionId << 3 | f.LayerID << 1 | 1);  // no CRC
    out[2] = quint8(bitIndex << 4 | rateIndex << 2 | (padding ? 2 : 0));
    out[3] = mono ? 0xC0 : 0x40;  // mono or joint stereo, no emphasis
    return true;
}

QByteArray makeMp3(const Mp3Recipe &r, QString *error)
{
    QByteArray audio;
    qint64 frames = 0;
    int firstLength = 0;
    int vbrOffset = 0;
    for (int i = 0; i < std::max(r.Frames, 1); ++i) {
        const int kbps = i == 0 || r.VbrKbps.isEmpty() ? r.Kbps : r.VbrKbps[(i - 1) % r.VbrKbps.size()];
        quint8 h[4];
        if (!makeFrameHeader(r.VersionID, r.Layer, kbps, r.SampleRate, i == 0 && r.PadFirstFrame, r.Mono, h)) {
            if (error)
                *error = QStringLiteral("no MPEG frame of %1 kbit/s at %2 Hz for this version and layer")
                             .arg(kbps)
                             .arg(r.SampleRate);
            return {};
        }
        const FrameData f = TMPEGaudio::DecodeHeader(h);
        const int length = TMPEGaudio::FrameLength(f);
        if (i == 0) {
            firstLength = length;
            // VBRI sits at 36 in every version and mode, as encoders write it.
            vbrOffset = r.Vbr == Mp3Recipe::Vbri ? TMPEGaudio::VbriOffset : TMPEGaudio::VBROffset(f);
        }
        QByteArray frame(length, '\0');
        std::copy(h, h + 4, frame.begin());
        audio += frame;
        ++frames;
    }

    if (r.Vbr != Mp3Recipe::NoVbr) {
        const quint32 nFrames = quint32(r.VbrFrames >= 0 ? r.VbrFrames : frames);
        const quint32 nBytes = quint32(r.VbrBytes >= 0 ? r.VbrBytes : audio.size());
        QByteArray v(120, '\0');
        if (r.Vbr == Mp3Recipe::Xing) {
            v.replace(0, 4, "Xing");
            putBigEndian(v, 4, 0x0F);  // frames, bytes, table of contents, quality
            putBigEndian(v, 8, nFrames);
            putBigEndian(v, 12, nBytes);
            for (int i = 0; i < 100; ++i)
                v[16 + i] = char(i * 255 / 100);
            putBigEndian(v, 116, r.VbrQuality);
        } else {
            v.resize(26);
            v.replace(0, 4, "VBRI");
            v[5] = 1;  // version
            v[9] = char(r.VbrQuality);
            putBigEndian(v, 10, nBytes);
            putBigEndian(v, 14, nFrames);
        }
        // Only what fits into the first frame; the next header stays intact.
        const int room = std::max(0, firstLength - vbrOffset);
        audio.replace(vbrOffset, std::min<int>(room, int(v.size())), v.left(room));
    }

    QByteArray file;
    if (r.Id3v2Version > 0)
        file += id3v2(r);
    file += r.Junk;
    file += audio;
    if (r.HasId3v1)
        file += id3v1(r);
    return file;
}

}  // namespace voxa

#include "music/mpegaudio.h"

#include "music/mp3source.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace voxa {
namespace {

// kbit/s by version id, layer id and bit-rate index. MPEG 2 and 2.5 share a
// table per layer, and Layers II and III of MPEG 2 share one.
constexpr quint16 MPEG1L1[16] = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0};
constexpr quint16 MPEG1L2[16] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0};
constexpr quint16 MPEG1L3[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr quint16 MPEG2L1[16] = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0};
constexpr quint16 MPEG2L23[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
constexpr quint16 None[16] = {};

constexpr const quint16 *BitRates[4][4] = {
    {None, MPEG2L23, MPEG2L23, MPEG2L1},  // MPEG 2.5
    {None, None, None, None},             // reserved
    {None, MPEG2L23, MPEG2L23, MPEG2L1},  // MPEG 2
    {None, MPEG1L3, MPEG1L2, MPEG1L1},    // MPEG 1
};

constexpr int SampleRates[4][4] = {
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
};

}  // namespace

bool TMPEGaudio::IsFrameHeader(const quint8 *b)
{
    return b[0] == 0xFF && b[1] >= 0xE0
           && ((b[1] >> 3) & 3) != 1
           && ((b[1] >> 1) & 3) != 0
           && b[2] >= 0x10 && b[2] <= 0xEF
           && ((b[2] >> 2) & 3) != 3
           && (b[3] & 3) != 2;
}

FrameData TMPEGaudio::DecodeHeader(const quint8 *b)
{
    FrameData f;
    std::memcpy(f.Data, b, 4);
    f.VersionID = (b[1] >> 3) & 3;
    f.LayerID = (b[1] >> 1) & 3;
    f.ProtectionBit = (b[1] & 1) == 0;
    f.BitRateID = b[2] >> 4;
    f.SampleRateID = (b[2] >> 2) & 3;
    f.PaddingBit = (b[2] >> 1) & 1;
    f.PrivateBit = b[2] & 1;
    f.ModeID = b[3] >> 6;
    f.ModeExtensionID = (b[3] >> 4) & 3;
    f.CopyrightBit = (b[3] >> 3) & 1;
    f.OriginalBit = (b[3] >> 2) & 1;
    f.EmphasisID = b[3] & 3;
    return f;
}

int TMPEGaudio::BitRateKbps(const FrameData &f)
{
    if (f.VersionID > 3 || f.LayerID > 3 || f.BitRateID > 15)
        return 0;
    return BitRates[f.VersionID][f.LayerID][f.BitRateID];
}

int TMPEGaudio::SampleRate(const FrameData &f)
{
    if (f.VersionID > 3 || f.SampleRateID > 3)
        return 0;
    return SampleRates[f.VersionID][f.SampleRateID];
}

int TMPEGaudio::Coefficient(const FrameData &f)
{
    // Samples a frame / 8: Layer I has 384 and Layer II 1152 in every
    // version; only Layer III halves its 1152 at the lower sample rates.
    switch (f.LayerID) {
    case 3: return 48;
    case 2: return 144;
    default: return f.VersionID == 3 ? 144 : 72;
    }
}

int TMPEGaudio::PaddingBytes(const FrameData &f)
{
    if (!f.PaddingBit)
        return 0;
    return f.LayerID == 3 ? 4 : 1;
}

int TMPEGaudio::FrameLength(const FrameData &f)
{
    const int rate = SampleRate(f);
    if (rate == 0)
        return 0;
    // Layer I counts in 4-byte slots: the slot count is truncated, not the
    // byte count.
    if (f.LayerID == 3)
        return int(qint64(12) * BitRateKbps(f) * 1000 / rate) * 4 + PaddingBytes(f);
    return int(qint64(Coefficient(f)) * BitRateKbps(f) * 1000 / rate) + PaddingBytes(f);
}

int TMPEGaudio::VBROffset(const FrameData &f)
{
    const bool mono = f.ModeID == 3;
    if (f.VersionID == 3)
        return mono ? 21 : 36;
    return mono ? 13 : 21;
}

void TMPEGaudio::ResetData()
{
    FileLength = 0;
    VBR = VBRData();
    Frame = FrameData();
    m_id3v1.ResetData();
    m_id3v2.ResetData();
}

bool TMPEGaudio::searchWindow(const quint8 *w)
{
    for (int p = 0; p <= MaxFrameLength; ++p) {
        if (!IsFrameHeader(w + p))
            continue;
        FrameData f = DecodeHeader(w + p);
        const int length = FrameLength(f);
        // The second header must lie wholly inside the window.
        if (length <= 0 || p + length + 4 > WindowSize || !IsFrameHeader(w + p + length))
            continue;
        f.Found = true;
        f.Position = p;
        f.Size = quint16(length);

        VBRData vbr;
        const quint8 *d = w + p + VBROffset(f);
        // Encoders write VBRI 36 bytes into the frame whatever the version
        // and mode; the Xing offsets do depend on them.
        if (std::memcmp(d, "VBRI", 4) != 0 && std::memcmp(d, "Xing", 4) != 0
            && std::memcmp(w + p + VbriOffset, "VBRI", 4) == 0)
            d = w + p + VbriOffset;
        quint32 frames = 0, bytes = 0;
        if (std::memcmp(d, "Xing", 4) == 0) {
            vbr.Found = true;
            frames = music::bigEndian32(d + 8);
            bytes = music::bigEndian32(d + 12);
            vbr.Quality = d[119];
        } else if (std::memcmp(d, "VBRI", 4) == 0) {
            vbr.Found = true;
            vbr.Quality = d[9];
            bytes = music::bigEndian32(d + 10);
            frames = music::bigEndian32(d + 14);
        }
        if (vbr.Found) {
            if (frames > 0x7FFFFFFFu || bytes > 0x7FFFFFFFu)
                return false;
            std::memcpy(vbr.ID, d, 4);
            vbr.Frames = qint32(frames);
            vbr.Bytes = qint32(bytes);
        }
        Frame = f;
        VBR = vbr;
        return true;
    }
    return true;
}

bool TMPEGaudio::ReadFromFile(const QString &fileName)
{
    music::Mp3Source file(fileName);
    return ReadFrom(file);
}

bool TMPEGaudio::ReadFromNativeFile(const char *nativePath)
{
    music::Mp3Source file(nativePath);
    return ReadFrom(file);
}

bool TMPEGaudio::ReadFrom(music::Mp3Source &file, bool tagTexts)
{
    ResetData();
    bool ok = tagTexts ? m_id3v1.ReadFrom(file) && m_id3v2.ReadFrom(file)
                       : file.isOpen() && file.size() >= 128 && m_id3v2.ReadFrom(file, false);
    if (ok) {
        FileLength = file.size();
        // Every look at a header or a VBR field stays inside the window;
        // bytes beyond what was read are zero and never form a header.
        quint8 window[WindowSize];
        auto readWindow = [&](qint64 pos) -> qint64 {
            std::memset(window, 0, sizeof window);
            return file.readAt(pos, reinterpret_cast<char *>(window), WindowSize);
        };
        const qint64 start = m_id3v2.Size;
        qint64 got = readWindow(start);
        ok = got >= 0 && searchWindow(window);
        if (ok && !Frame.Found && got == WindowSize) {
            got = readWindow((FileLength - start) / 2);
            ok = got >= 0 && searchWindow(window);
        }
    }
    if (!Frame.Found)
        ResetData();
    return ok;
}

quint16 TMPEGaudio::BitRate() const
{
    if (!Frame.Found)
        return 0;
    if (VBR.Found && VBR.Frames > 0) {
        const double kbps = (double(VBR.Bytes) / VBR.Frames - PaddingBytes(Frame)) * SampleRate(Frame)
                            / Coefficient(Frame) / 1000.0;
        // Halves go to the even neighbour (the default rounding mode).
        const double r = std::nearbyint(kbps);
        return quint16(std::clamp(r, 0.0, 65535.0));
    }
    return quint16(BitRateKbps(Frame));
}

}  // namespace voxa

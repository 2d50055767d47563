#pragma once
// The first MPEG audio frame of an MP3 file and the file's bit rate.
//
// The search looks at a window of 3458 bytes (twice the longest frame the
// reader accepts, 1729 bytes) right after the ID3v2 tag: a frame is found at
// the first position whose 4 bytes form a valid header and are followed, one
// frame length further on and still inside the window, by a second valid
// header. If the first window holds none, a second window at
// (file length - ID3v2 tag size) / 2 is searched. The first frame may carry a
// Xing or a VBRI header giving the frame and byte counts of a variable-bit-
// rate file (numbers big-endian):
//   "Xing": frames at +8, bytes at +12, quality byte at +119
//   "VBRI": quality byte at +9, bytes at +10, frames at +14
// Xing at 36 bytes from the frame start for MPEG 1 (21 for mono), 21 for
// MPEG 2 and 2.5 (13 for mono); VBRI there or at 36 in every version and
// mode, where encoders put it.
#include "music/id3v1.h"
#include "music/id3v2.h"

#include <QString>

namespace voxa {

struct VBRData {
    bool Found = false;
    char ID[4] = {};  // "Xing" or "VBRI"
    qint32 Frames = 0;
    qint32 Bytes = 0;
    quint8 Quality = 0;
};

struct FrameData {
    bool Found = false;
    qint32 Position = 0;     // in the searched window
    quint16 Size = 0;        // frame length in bytes
    quint8 Data[4] = {};     // the header as stored
    quint8 VersionID = 1;    // 0 MPEG 2.5, 1 unknown, 2 MPEG 2, 3 MPEG 1
    quint8 LayerID = 0;      // 0 unknown, 1 Layer III, 2 Layer II, 3 Layer I
    bool ProtectionBit = false;
    quint16 BitRateID = 0;
    quint16 SampleRateID = 3;  // 3 unknown
    bool PaddingBit = false;
    bool PrivateBit = false;
    quint8 ModeID = 4;         // 3 mono, 4 unknown
    quint8 ModeExtensionID = 4;
    bool CopyrightBit = false;
    bool OriginalBit = false;
    quint8 EmphasisID = 2;     // 2 unknown
};

class TMPEGaudio {
public:
    TMPEGaudio() { ResetData(); }

    // Clears every field, both tag readers included.
    void ResetData();
    // Reads both tags and finds the first frame. True when the whole
    // procedure ran without an input/output error; when no frame is found
    // the object is reset (bit rate 0). The file is opened once.
    bool ReadFromFile(const QString &fileName);
    // The same for a native path in the file system's own bytes.
    bool ReadFromNativeFile(const char *nativePath);
    // The same on a file already open. Without tag texts only what the bit
    // rate needs is read: the ID3v1 tag is not looked at (a file of fewer
    // than 128 bytes still fails, as the tag read would), and of the ID3v2
    // tag only its header; the bit rate comes out the same.
    bool ReadFrom(music::Mp3Source &file, bool tagTexts = true);

    // In kbit/s: from the VBR header when there is one with frames, else the
    // first frame's; 0 without a frame.
    quint16 BitRate() const;

    TID3v1 &ID3v1() { return m_id3v1; }
    TID3v2 &ID3v2() { return m_id3v2; }
    const TID3v1 &ID3v1() const { return m_id3v1; }
    const TID3v2 &ID3v2() const { return m_id3v2; }

    qint64 FileLength = 0;
    VBRData VBR;
    FrameData Frame;

    static constexpr int WindowSize = 3458;
    static constexpr int MaxFrameLength = 1729;
    static constexpr int VbriOffset = 36;

    // The building blocks, on their own for callers that look at raw bytes.
    static bool IsFrameHeader(const quint8 *b);
    static FrameData DecodeHeader(const quint8 *b);
    static int BitRateKbps(const FrameData &f);   // table value, 0 for reserved
    static int SampleRate(const FrameData &f);    // Hz, 0 for reserved
    static int Coefficient(const FrameData &f);   // bytes per kbit/s per Hz: 48, 144 or 72
    static int PaddingBytes(const FrameData &f);  // of this frame
    static int FrameLength(const FrameData &f);
    static int VBROffset(const FrameData &f);

private:
    // Searches a window of 3458 bytes (zeros beyond what the file gave).
    // Returns false when a VBR count does not fit a signed 32-bit number.
    bool searchWindow(const quint8 *window);

    TID3v1 m_id3v1;
    TID3v2 m_id3v2;
};

}  // namespace voxa

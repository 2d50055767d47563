#pragma once
// MyRadio profiles (*.mra in voxa\myradio): up to 100 files or folders of
// the player's drive, each with a share; the player picks elements with
// higher shares more often.
//
// Layout, 26410 bytes, numbers little-endian:
//   0   5  "R7MRA"
//   5   5  "1.00" and a zero byte
//   10     100 records of 264 bytes; record i at 10 + 264 (i - 1):
//          0    260  the path (at most 259 code-page bytes), zero-padded
//          260    4  share, unsigned 32-bit
// Records after the last element are zero; the list ends at the first record
// whose first byte is zero.
#include "editors/playerformat.h"

#include <QList>

namespace voxa {

constexpr qsizetype MyRadioFileSize = 26410;
constexpr int MyRadioMaxElements = 100;
constexpr qsizetype MyRadioRecordSize = 264;
constexpr qsizetype MyRadioPathField = 260;
constexpr qsizetype MyRadioMaxPath = 259;
constexpr int MyRadioMinClass = 1;
constexpr int MyRadioMaxClass = 20;
// Room in DecodeShares' candidate list: every divisor 1..20 of 100 shares,
// so no file can overflow it.
constexpr int MaxShareCandidates = 20 * MyRadioMaxElements;

struct MyRadioElement {
    // The path relative to the drive's root, in two parts: the folders, each
    // followed by "\" ("music\rock\", or "\" for the root), and the name of
    // the file or folder. The stored path is folder + name.
    QString folder;
    QString name;
    int weightClass = 1;  // 1..20, shown as "Priority"

    QString path() const { return folder + name; }
    // A file element's name ends with ".MP3" in any case; others are folders.
    bool isFile() const;
    // Splits a path at its last "\" ("/" counts as "\").
    static MyRadioElement fromPath(const QString &path, int weightClass);

    bool operator==(const MyRadioElement &o) const = default;
};

// A read element together with the share it was stored with.
struct MyRadioRecord {
    MyRadioElement element;
    quint32 share = 0;
};

// The weight classes scaled to shares that together fill the unsigned
// 32-bit range as far as possible; the unit has no factor 2..20. Classes
// outside 1..20 are taken as the nearest of the two.
QList<quint32> EncodeShares(const QList<int> &weightClasses);
// Back from shares to weight classes 1..20; exact for files this system
// wrote.
QList<int> DecodeShares(const QList<quint32> &shares);
// The unit DecodeShares divides by: of the quotients of every share by 20
// down to 1, the one met most often, the earliest among equals (0 gives 1;
// no shares give 1). The list holds at most `capacity` distinct quotients;
// quotients met when it is full are not listed, listed ones still count.
quint32 ShareUnit(const QList<quint32> &shares, int capacity = MaxShareCandidates);

// The records of a file's content (shares as stored); bytes after offset
// 26409 are ignored.
FileResult<QList<MyRadioRecord>> parseMyRadioRecords(const QByteArray &bytes);
// The elements of a file's content, weight classes decoded from the shares.
FileResult<QList<MyRadioElement>> parseMyRadioFile(const QByteArray &bytes);
// The 26410 bytes of a profile. Refuses rather than cuts: more than 100
// elements (TooManyElements), a path over 259 bytes (DataTooLong), an empty
// path or one with characters outside the code page or a zero character
// (CannotStore); the subject names the path.
FileResult<QByteArray> myRadioFileBytes(const QList<MyRadioElement> &elements);
// Why a path cannot be stored, or no failure.
FileError checkMyRadioPath(const QString &path);

// The MyRadio kind (R7MRA): parseMyRadioFile and myRadioFileBytes.
const DocumentFormat<QList<MyRadioElement>> &myRadioFormat();

// Failure: CannotOpen, WrongFormat or TooShort.
FileResult<QList<MyRadioElement>> ReadMyRadioFile(const QString &path);
// Failure: see myRadioFileBytes (nothing written), CannotCreate. The file
// is replaced whole or not at all.
WriteResult WriteMyRadioFile(const QString &path, const QList<MyRadioElement> &elements);

}  // namespace voxa

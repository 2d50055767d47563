#pragma once
// The random play list export of a MyRadio profile: a play list of N lines
// in which every element occurs about as often as its weight class asks,
// with repetitions spread out. It previews how the player plays a profile.
#include "editors/myradio/myradiorows.h"
#include "platform/prompts.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace voxa {

constexpr int RandomExportMaxLines = 10000;
constexpr int ElementNumberMax = 65535;

// Uniform random numbers; tests script or seed them.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A number from 0 to n - 1 (n > 0).
    virtual quint32 below(quint32 n) = 0;
};

class SeededRandom : public RandomSource {
public:
    explicit SeededRandom(quint32 seed) : m_generator(seed) {}
    // Seeded from the clock, as the export wants a new list each time.
    static SeededRandom fromClock();
    quint32 below(quint32 n) override { return m_generator.bounded(n); }

private:
    QRandomGenerator m_generator;
};

// One usable element of the export.
struct ExportElement {
    QString path;          // drive + ":\" + folder part + name
    quint8 w = 1;          // weight class 1..20
    bool folder = false;   // picture 1 or 2
    quint16 hits = 0;      // picks so far
    quint16 cooldown = 0;  // the pick before which it is not picked again
    quint8 age = 0;        // refusals since cooldown last changed
    bool expanded = false; // its lines are filled in
};

struct ExportTable {
    QList<ExportElement> elements;  // at most 100
    int T = 0;                      // sum of w
    int N = 0;                      // play list length, 1..10000

    static ExportTable of(QList<ExportElement> elements, int n);
};

// The number typed into the prompt: a whole number 0..65535 (spaces around
// it allowed), above 10000 taken as 10000. Anything else gives nothing.
std::optional<int> ElementNumber(const QString &text);

// The table of the rows in list order: file rows always, folder rows only
// when hasMp3 finds an MP3 file below them. tick runs after every row.
QList<ExportElement> BuildExportTable(const QList<MyRadioRow> &rows, QChar drive,
                                      const std::function<bool(const QString &)> &hasMp3,
                                      const std::function<void()> &tick = {});

// The element (index into the table) of pick number `pick` (1..N):
//  1. r uniform in 1..T; walk the table subtracting w while r > w and the
//     element is not the last: that element is the candidate;
//  2. refused when w / T x 100 <= hits / N x 100 (its share of the whole
//     list is full) or when cooldown > pick;
//  3. on refusal age + 1; past 2, cooldown - 1 (not below 0) and age 0;
//     draw again;
//  4. on acceptance hits + 1, age 0, cooldown = pick + trunc(T / w) -
//     trunc(T / w x 0.3).
// No element is picked beyond its share, so a pick always exists.
int PickNext(ExportTable &table, int pick, RandomSource &random);

// Picks 1..N.
QList<int> PickAll(ExportTable &table, RandomSource &random);

// The N lines of the picks: a file element's path; for a folder element,
// on its first pick, its files are collected (collect gets its path) and
// each of its picks gets one of them, chosen anew each time. A folder that
// has no files by then leaves its lines empty.
QStringList ExportLines(ExportTable &table, const QList<int> &picks, RandomSource &random,
                        const std::function<QStringList(const QString &)> &collect);

// Which paths the export writes: the player's own form (E:\music\a.mp3),
// which the player and the manager read, or the paths of this computer, for
// the media players running here.
enum class ExportPaths { Player, ThisComputer };

// The file: "#EXTM3U" and the non-empty lines, each ending with CR LF. The
// player's form is in the system's code page; this computer's paths are
// native ones in the file system's encoding (a line whose drive is not
// attached is left out).
QByteArray RandomExportBytes(const QStringList &lines, ExportPaths paths = ExportPaths::Player);

// The name proposed in the save dialog: the profile's base name up to its
// first "." and ".m3u". With nothing before the first "." (untitled) the
// name is "Untitled" (message table) and ".m3u", so the file does not come
// out hidden.
QString ExportProposedName(const QString &profileFileName);
// The folder the save dialog starts in: voxa\myradio on the drive.
QString ExportFolder(QChar drive);

// --- the editor's export, in two halves around the save dialog

// Before the dialog: the number and the table. Shows "The element number
// is not valid! Try another one!" or "There is not any mp3 in selected
// directory(s)" at `box` and gives nothing; N = 0 gives nothing silently.
std::optional<ExportTable> PrepareRandomExport(const QList<MyRadioRow> &rows, const QString &numberText,
                                               QChar drive, Placement box,
                                               const std::function<void()> &tick = {});

enum class RandomExportResult { Written, Declined, WriteFailed };

// After the dialog: asks before replacing a read-only file ("Do you want to
// overwrite the existing file?"), picks, fills the folder lines (CollectMp3)
// and writes the file whole. A file that cannot be written shows "Error
// while trying to open file for write!" with the path.
RandomExportResult WriteRandomExport(ExportTable &table, const QString &path, RandomSource &random,
                                     const std::function<void()> &tick = {},
                                     ExportPaths paths = ExportPaths::Player);

}  // namespace voxa

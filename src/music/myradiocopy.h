#pragma once
// MyRadio copy: everything one or more MyRadio profiles refer to, copied from
// the player's drive into a folder of another drive with the folder structure
// it has on the player, and (unless told otherwise) a copy of each profile
// written to the target drive's voxa\myradio with its paths changed to point
// at the copies.
//
// The job runs off the window thread (TCopyTask) so the window stays alive
// without nested event loops. It asks its questions through CopyQuestions;
// TCopyTask hands each question to the user-interface thread and waits for
// the answer. Cancel only sets a flag that the job checks before each file,
// between blocks, before each question and between directory entries.
#include "editors/myradio/myradiofile.h"
#include "platform/job.h"
#include "platform/prompts.h"

#include <QList>
#include <QString>

#include <memory>

namespace voxa {

// Bytes copied per step of a file copy: 1 MiB, so large files copy at the
// disk's pace while the bar still moves many times a second. A whole number
// of pages: blocks that end inside a page make the kernel copy a third
// slower.
constexpr qint64 CopyBlockSize = 1 << 20;

// Every question and message of the copy, with its buttons and default:
enum class CopyQuestion {
    ElementMissing,      // "The file does not exists!" [path]; OK, Cancel (OK)
    ProfileCopyExists,   // "Do you want to overwrite...?" [path]; Cancel, Yes (Cancel)
    NotEnoughSpace,      // "Not enough free space ..."; OK
    TargetExists,        // "Do you want to overwrite...?" [path]; Yes, No (No)
    TargetReadOnly,      // "The file is readonly. ...?" [path]; Yes, No (No)
    SourceMissing,       // "The file does not exists!" [path]; OK
    CannotOpenSource,    // "Cannot open the file!" [path]; OK
    CannotCreateTarget,  // "Error while trying to open file for write!" [path]; OK
    CopyFailed,          // "Cannot copy file: " path [system text]; OK
    CannotCreateFolder,  // "Cannot create directory: " path; OK
    // The MyRadio editor's own boxes when a profile is read or saved.
    ProfileCannotOpen,   // "Cannot open the file!" [path]; OK, application title
    ProfileWrongFormat,  // "Wrong file format"; OK
    ProfileCannotSave,   // "Error while trying to open file for write!" [path]; OK
};

// The box of a question: texts from the message table, title "Error" (the
// application title for ProfileCannotOpen), a warning icon, placed near the
// main window. systemText is used by CopyFailed only.
MessageBox copyQuestionBox(CopyQuestion question, const QString &path,
                           const QString &systemText = QString());

// Where the job's questions go. The job calls ask() on its own thread.
class CopyQuestions {
public:
    virtual ~CopyQuestions() = default;
    virtual Button ask(CopyQuestion question, const QString &path, const QString &systemText) = 0;
};

// Asks through the prompts seam. Call it on the user-interface thread
// (TCopyTask takes care of that).
class PromptCopyQuestions : public CopyQuestions {
public:
    Button ask(CopyQuestion question, const QString &path, const QString &systemText) override;
};

// One entry of the job's working list: a path relative to the drive's root,
// without a leading "\", and whether it is a folder.
struct CopyRoot {
    QString path;
    bool isDir = false;
    bool operator==(const CopyRoot &o) const = default;
};

// A relative path in the player's form: "/" taken as "\", empty and "."
// components dropped, ".." going up one folder but never above the drive's
// root (as on the player). "\music\..\..\a.mp3" gives "a.mp3"; the root
// itself gives "".
QString NormalizeRelativePath(const QString &path);

// Adds an entry to the copy roots so nothing is listed twice: a file or
// folder that is, or lies inside, a listed folder is dropped; a folder that
// holds listed entries takes the place of the first of them and the others go;
// anything else is appended. Paths are compared in whole components without
// regard to letter case, as on the player's FAT drive.
void MergeCopyRoot(QList<CopyRoot> &roots, const CopyRoot &entry);

// The folder part an element gets in the profile copy: the target folder
// without its drive ("" for a drive root, "\backup") followed by the element's
// folder part, with one "\" between them.
QString ProfileCopyFolder(const QString &targetFolder, const QString &folder);

// Position / maximum as a whole percentage (halves to even), 0..100.
int CopyPercent(qint64 position, qint64 maximum);
// The progress bar's caption: "Copy" gives "Copy... 42%".
QString CopyProgressCaption(const QString &buttonCaption, qint64 position, qint64 maximum);

// The four prompt switches.
struct CopySwitches {
    bool overwriteExisting = false;
    bool skipExisting = false;
    bool overwriteReadOnly = false;
    bool skipReadOnly = false;

    // How the two prompt boxes set them: Overwrite turns both overwrite
    // switches on, Skip both skip switches, neither leaves all four off.
    static CopySwitches fromBoxes(bool overwriteBox, bool skipBox);
    bool operator==(const CopySwitches &o) const = default;
};

// One profile to copy. Editor mode hands the editor's rows (loaded = true);
// menu mode names the profile file and the job reads it.
struct CopyProfile {
    QString fileName;  // full device path; empty when the profile was never saved
    QList<MyRadioElement> elements;
    bool loaded = false;
};

struct MyRadioCopyRequest {
    QChar sourceDrive;        // the player's drive letter
    QString targetDirectory;  // "D:" for a drive root, "D:\backup"; empty copies nothing
    QList<CopyProfile> profiles;
    bool contentOnly = false;  // CopyMRAFile checked: no profile copy
    bool overwriteBox = false;
    bool skipBox = false;
    QString profileFolder = QStringLiteral("voxa\\myradio");
};

struct ProfileCopyResult {
    QString fileName;         // the profile
    QString profileCopy;      // where its copy was written, empty when none
    bool copied = false;      // every copy root copied, nothing cancelled
    bool read = false;        // the profile could be read (menu mode)
    int filesCopied = 0;
    int filesSkipped = 0;     // existing targets left alone
    int filesFailed = 0;
    int elementsMissing = 0;
    qint64 bytesCopied = 0;
};

struct MyRadioCopyResult {
    QList<ProfileCopyResult> profiles;
    bool cancelled = false;  // the job was asked to stop
    bool aborted = false;    // the user cancelled at a question
    bool allCopied() const;
};

// What the job reports while it runs; called on the job's thread.
class CopyObserver {
public:
    virtual ~CopyObserver() = default;
    virtual void progressCleared() {}
    virtual void progressStarted(qint64 maximum) { Q_UNUSED(maximum) }
    virtual void progressChanged(qint64 position, qint64 maximum) { Q_UNUSED(position) Q_UNUSED(maximum) }
    virtual void profileStarted(int index, const QString &fileName) { Q_UNUSED(index) Q_UNUSED(fileName) }
    virtual void profileFinished(int index, const ProfileCopyResult &result) { Q_UNUSED(index) Q_UNUSED(result) }
};

class MyRadioCopyJob {
public:
    MyRadioCopyJob(MyRadioCopyRequest request, CopyQuestions &questions,
                   CopyObserver *observer = nullptr);
    ~MyRadioCopyJob();

    MyRadioCopyResult run();
    // Asks the job to stop; safe from any thread.
    void cancel();
    bool cancelRequested() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Runs one copy job off the window thread. Create it on the user-interface
// thread with the questions object that lives there, connect its signals,
// start() it. Each question is handed to the user-interface thread and
// answered there while the worker waits; a Cancel meanwhile answers for it,
// so cancelAndWait() from the user-interface thread never dead-locks. The
// progress signals are sent from the worker (queued to the window's
// receivers), so a direct connection sees the exact moment.
class TCopyTask : public QObject {
    Q_OBJECT
public:
    TCopyTask(MyRadioCopyRequest request, CopyQuestions &uiQuestions, QObject *parent = nullptr);
    ~TCopyTask() override;  // cancels and waits

    void start();
    void cancel();
    // Cancels, waits for the worker and sends finished().
    void cancelAndWait();
    // Started once and ended.
    bool isFinished() const { return m_started && !m_job.isRunning(); }
    // The outcome; valid once finished() was emitted.
    MyRadioCopyResult result() const;

signals:
    void progressCleared();
    void progressStarted(qint64 maximum);
    // Sent when the shown percentage changes and when a file ends.
    void progressChanged(qint64 position, qint64 maximum);
    void profileStarted(int index, const QString &fileName);
    void profileFinished(int index, bool copied);
    void finished();

private:
    class Bridge;
    std::unique_ptr<Bridge> m_bridge;
    std::unique_ptr<MyRadioCopyJob> m_copy;
    Job m_job;
    bool m_started = false;
};

}  // namespace voxa

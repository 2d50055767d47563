#pragma once
// Handing files to the desktop's media player. A running player that offers
// the MPRIS2 interface on the session bus gets them directly: its list is
// cleared, the files are added in order and it starts playing, as far as the
// player supports each step. Without one, a single file is opened with the
// program the desktop associates with it, and a list is written to a play
// list file that is opened the same way. Tests install a recording player
// (setMediaPlayer).
//
// A hand-over runs off the window thread (MediaHandOver below): the player
// may be slow or hang, and the list may be long.
#include "platform/job.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <atomic>
#include <functional>
#include <memory>

class QDBusMessage;

namespace voxa::platform {

// Lists longer than this go to a player as one play list: a track list of
// thousands fills slowly, one call per file, and some players choke on it.
constexpr int HandOverListMax = 500;

class MediaPlayer {
public:
    // What a running player takes.
    enum class Reach {
        None,        // no player, or none that opens local files
        SingleFile,  // opens one file at a time (opening replaces what it plays)
        List,        // a track list that can be cleared and added to in order
    };

    virtual ~MediaPlayer() = default;
    // Looks for a running player; the steps below talk to the one found.
    virtual Reach findPlayer() = 0;
    // Empties the player's list. False when the player refused.
    virtual bool clearList() = 0;
    // Adds native paths at the end of the list in order (List), or opens
    // the first (SingleFile). False when the player refused any.
    virtual bool addFiles(const QStringList &nativePaths) = 0;
    // Opens a play list file (native path) in the player, in place of the
    // files it lists.
    virtual bool openList(const QString &nativePath) = 0;
    // Plays, from the first file added since findPlayer when there is one.
    virtual bool play() = 0;
    // True once the player left a call unanswered; the steps after it are
    // not sent.
    virtual bool stoppedAnswering() const { return false; }

    // The hand-over's stop flag while it runs: the steps stop between two
    // calls once it is set.
    void setStop(const std::atomic<bool> *stop) { m_stop = stop; }

protected:
    bool stopRequested() const { return m_stop && m_stop->load(); }

private:
    const std::atomic<bool> *m_stop = nullptr;
};

MediaPlayer &mediaPlayer();
// nullptr restores the system's own.
void setMediaPlayer(MediaPlayer *p);

// The system's player: the first MPRIS2 service on the session bus (in name
// order) that opens "file" addresses. Each call waits at most two seconds;
// a call left unanswered ends the hand-over (the player hangs), so a hung
// player costs one wait, not one per file. The calls grow with the list by
// one per file added and one per track removed, never more.
class MprisMediaPlayer : public MediaPlayer {
public:
    Reach findPlayer() override;
    bool clearList() override;
    bool addFiles(const QStringList &nativePaths) override;
    bool openList(const QString &nativePath) override;
    bool play() override;
    bool stoppedAnswering() const override { return m_hung; }

    // The bus name of the player found ("org.mpris.MediaPlayer2.x").
    QString service() const { return m_service; }

private:
    QDBusMessage call(const QString &interface, const QString &method, const QVariantList &args = {});
    QStringList tracks();

    QString m_service;
    Reach m_reach = Reach::None;
    QString m_firstTrack;  // track id of the first file added
    bool m_hung = false;
};

// How a hand-over ended.
enum class PlayedBy {
    Player,             // a running player took the files
    AssociatedProgram,  // the file or the play list was opened with its program
    OpenFailed,         // the desktop could not open it
    PlayListNotWritten, // the play list could not be written; nothing played
    Nothing,            // no files
    PlayerNotAnswering, // the player left a call unanswered; the rest was not sent
    Cancelled,          // stopped on request between two steps
};

// The part of a hand-over that talks to the player, for a worker thread.
// When no player takes the files, openPath names what the desktop is still
// to open with its associated program (FinishHandOver, on the window
// thread: the desktop's opener wants it there).
struct HandOverStep {
    PlayedBy playedBy = PlayedBy::Nothing;
    QString openPath;
};

// One file (device or native path): a running player clears its list, gets
// the file and plays; without one the file itself is to be opened.
HandOverStep HandOverFile(const QString &path, const std::atomic<bool> *stop = nullptr);

// Files in order (device or native paths). A running player clears its
// list, gets every file and plays; a list longer than HandOverListMax, or
// several files for a player that opens one file at a time, goes over as the
// play list written to playListPath. Without a player the play list is
// written (whole, replacing the old one) and is to be opened; when it cannot
// be written nothing plays and nothing is shown. The stop flag is looked at
// between two calls to the player.
HandOverStep HandOverFiles(const QStringList &paths, const QString &playListPath,
                           const std::atomic<bool> *stop = nullptr);

// Opens step.openPath with its associated program, when there is one.
PlayedBy FinishHandOver(const HandOverStep &step);

// Both halves at once, on the calling thread (tools and tests).
PlayedBy PlayFile(const QString &path);
PlayedBy PlayFiles(const QStringList &paths, const QString &playListPath);

// Hands files to the media player off the window thread, in the way the
// find, the sort and the copy run their work: a worker thread runs the
// steps, Finished comes back queued on the owner's thread, Cancel stops the
// steps between two calls. A new hand-over while one runs cancels it and
// follows it; hand-overs of all owners take turns, so one player never gets
// two lists mixed.
class MediaHandOver : public QObject {
    Q_OBJECT
public:
    // The steps, run on the worker; they look at the flag between calls.
    using Work = std::function<HandOverStep(const std::atomic<bool> &stop)>;

    explicit MediaHandOver(QObject *parent = nullptr);
    // Cancels and waits for the worker (at most one call's wait).
    ~MediaHandOver() override;

    void Start(Work work);
    void StartFile(const QString &path);
    void StartFiles(const QStringList &paths, const QString &playListPath);
    // Stops the running hand-over and drops one waiting to follow it.
    void Cancel();
    bool IsRunning() const { return m_job.isRunning(); }
    // Blocks until every started hand-over has ended and its Finished has
    // been sent (shut-down and tests).
    void Wait();

signals:
    void Finished(voxa::platform::PlayedBy result);

private:
    void run(Work work);
    void workerEnded(const JobResult &result);

    Job m_job;
    Work m_next;
};

// The play list handed to a desktop program: one native path per line, in
// the file system's encoding, each line ending with CR LF. Native, because
// the program reading it runs here and not on the car player.
QByteArray HandOverPlayListBytes(const QStringList &paths);

}  // namespace voxa::platform

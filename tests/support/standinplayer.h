#pragma once
// A media player of our own on the session bus, for tests and benchmarks
// that run on a private bus (dbus-run-session): it offers the MPRIS2 root,
// player and track-list interfaces from a thread of its own with its own
// connection, so the blocking calls of the code under test get answers.
// It keeps the list as the interface describes it and records every call,
// property reads of the track list included.
#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

namespace voxa::test {

// The player's state; the adaptors change it in the player's thread, a test
// reads it under the lock.
struct StandInState {
    QMutex lock;
    bool hasTrackList = true;
    bool canEdit = true;
    QStringList schemes{QStringLiteral("file")};
    QStringList ids;   // track ids in list order
    QStringList uris;  // their addresses
    QString current;
    QString opened;    // OpenUri's address
    bool playing = false;
    // Every call in order: the method's name, "Tracks" for a read of the list.
    QStringList calls;
    // AddTrack takes this long before it answers (a slow or hung player).
    int addTrackDelayMs = 0;
    int nextId = 1;
};

class StandInPlayer : public QThread {
public:
    static constexpr const char *ServiceName = "org.mpris.MediaPlayer2.voxatest";
    static QString trackPrefix() { return QStringLiteral("/org/voxatest/track/"); }

    explicit StandInPlayer(StandInState &s) : m_s(s) {}
    ~StandInPlayer() override;
    // Starts the thread and registers the player; false when the bus
    // refused.
    bool startPlayer();

protected:
    void run() override;

private:
    StandInState &m_s;
    QSemaphore m_ready;
    bool m_ok = false;
};

}  // namespace voxa::test

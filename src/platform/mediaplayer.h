#pragma once
// Handing files to the desktop's media player. A running player that offers
// the MPRIS2 interface on the session bus gets them directly: its list is
// cleared, the files are added in order and it starts playing, as far as the
// player supports each step. Without one, a single file is opened with the
// program the desktop associates with it, and a list is written to a play
// list file that is opened the same way. Tests install a recording player
// (setMediaPlayer).
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace voxa::platform {

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
    // Plays, from the first file added since findPlayer when there is one.
    virtual bool play() = 0;
};

MediaPlayer &mediaPlayer();
// nullptr restores the system's own.
void setMediaPlayer(MediaPlayer *p);

// The system's player: the first MPRIS2 service on the session bus (in name
// order) that opens "file" addresses. Each call waits at most two seconds,
// so a player that hangs cannot freeze the caller for long.
class MprisMediaPlayer : public MediaPlayer {
public:
    Reach findPlayer() override;
    bool clearList() override;
    bool addFiles(const QStringList &nativePaths) override;
    bool play() override;

    // The bus name of the player found ("org.mpris.MediaPlayer2.x").
    QString service() const { return m_service; }

private:
    QString m_service;
    Reach m_reach = Reach::None;
    QString m_firstTrack;  // track id of the first file added
};

// How a hand-over ended.
enum class PlayedBy {
    Player,             // a running player took the files
    AssociatedProgram,  // the file or the play list was opened with its program
    OpenFailed,         // the desktop could not open it
    PlayListNotWritten, // the play list could not be written; nothing played
    Nothing,            // no files
};

// Plays one file (device or native path): a running player clears its list,
// gets the file and plays; without one the file itself is opened with its
// associated program.
PlayedBy PlayFile(const QString &path);

// Plays files in order (device or native paths). A running player clears its
// list, gets every file and plays. A player that opens one file at a time
// gets the play list written to playListPath when there are several files.
// Without a player the play list is written (whole, replacing the old one)
// and opened with its associated program; when it cannot be written nothing
// plays and nothing is shown.
PlayedBy PlayFiles(const QStringList &paths, const QString &playListPath);

// The play list handed to a desktop program: one native path per line, in
// the file system's encoding, each line ending with CR LF. Native, because
// the program reading it runs here and not on the car player.
QByteArray HandOverPlayListBytes(const QStringList &paths);

}  // namespace voxa::platform

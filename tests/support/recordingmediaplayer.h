#pragma once
// A media player for tests: nothing plays; every step is recorded, and the
// kind of player found is set by the test.
#include "platform/mediaplayer.h"

#include <QStringList>

namespace voxa::test {

class RecordingMediaPlayer : public platform::MediaPlayer {
public:
    RecordingMediaPlayer();  // installs itself
    ~RecordingMediaPlayer() override;

    Reach findPlayer() override;
    bool clearList() override;
    bool addFiles(const QStringList &nativePaths) override;
    bool openList(const QString &nativePath) override;
    bool play() override;

    // What findPlayer answers.
    Reach reach = Reach::None;
    // The steps in order: "find", "clear", "add <path>" for each file,
    // "open <path>" for a play list, "play".
    QStringList steps;
};

}  // namespace voxa::test

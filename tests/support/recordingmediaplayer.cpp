#include "support/recordingmediaplayer.h"

namespace voxa::test {

RecordingMediaPlayer::RecordingMediaPlayer()
{
    platform::setMediaPlayer(this);
}

RecordingMediaPlayer::~RecordingMediaPlayer()
{
    platform::setMediaPlayer(nullptr);
}

platform::MediaPlayer::Reach RecordingMediaPlayer::findPlayer()
{
    steps.append(QStringLiteral("find"));
    return reach;
}

bool RecordingMediaPlayer::clearList()
{
    steps.append(QStringLiteral("clear"));
    return reach == Reach::List;
}

bool RecordingMediaPlayer::addFiles(const QStringList &nativePaths)
{
    for (const QString &p : nativePaths)
        steps.append(QStringLiteral("add ") + p);
    return reach != Reach::None;
}

bool RecordingMediaPlayer::openList(const QString &nativePath)
{
    steps.append(QStringLiteral("open ") + nativePath);
    return reach != Reach::None;
}

bool RecordingMediaPlayer::play()
{
    steps.append(QStringLiteral("play"));
    return reach != Reach::None;
}

}  // namespace voxa::test

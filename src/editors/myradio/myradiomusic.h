#pragma once
// The MP3 files below a MyRadio folder element, and playing an element or a
// tree node in the desktop's media player.
#include "platform/mediaplayer.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace voxa {

// At most this many files are collected for one folder element of the
// random export.
constexpr int CollectMp3Limit = 1000;
// At most this many files of a folder go to the media player.
constexpr int ListMp3sLimit = 10000;

// The walks below visit a folder's entries in the file system's own order,
// go into subfolders where they meet them, take files whose name ends with
// ".MP3" in any letter case, and visit no folder twice (a link back up the
// tree cannot make them run for ever). Paths are built as folder + "\" +
// name and keep the folder's form (device or native).

// True when the folder or a folder below it holds an MP3 file; stops at the
// first.
bool HasMp3(const QString &folder);

// The MP3 files in and below the folder, the first `limit` ones. tick runs
// after every folder read, so a caller can keep its window alive.
QStringList CollectMp3(const QString &folder, int limit = CollectMp3Limit,
                       const std::function<void()> &tick = {});

// The same files for handing to the media player, up to ListMp3sLimit.
QStringList ListMp3s(const QString &folder);

// The play list handed over in place of a folder: voxa\manager\play.m3u on
// the drive.
QString HandOverPlayListPath(QChar drive);

// Plays a row's or a tree node's full device path: a file as it is, a
// folder as every MP3 file below it (ListMp3s), through the desktop's media
// player; without a running player a file is opened with its associated
// program and a folder's files go through play.m3u (HandOverPlayListPath).
// A folder without MP3 files plays nothing.
platform::PlayedBy PlayInMediaPlayer(const QString &path, QChar drive);
// The same for a worker thread (platform::MediaHandOver): the folder is
// read there too, and the stop flag is looked at between two steps.
platform::HandOverStep HandOverElement(const QString &path, QChar drive, const std::atomic<bool> *stop = nullptr);

}  // namespace voxa

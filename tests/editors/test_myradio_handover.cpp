#include "editors/myradio/myradiomusic.h"
#include "platform/mediaplayer.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "support/recordingmediaplayer.h"
#include "support/recordingprocesses.h"
#include "support/testdrive.h"

#include <QTest>

using namespace voxa;
using platform::MediaPlayer;
using platform::PlayedBy;

class TestMyRadioHandOver : public QObject {
    Q_OBJECT

    test::TestDrive drives;
    QString root;

    QString native(const QString &below) const { return root + QLatin1Char('/') + below; }

private slots:
    void init()
    {
        QVERIFY(drives.setUp('E', {QStringLiteral("voxa/manager")}));
        root = drives.root();
        QVERIFY(test::TestDriveTable::writeFile("E:\\music\\a.mp3"));
        QVERIFY(test::TestDriveTable::writeFile("E:\\music\\b.mp3"));
    }
    void cleanup() { drives.tearDown(); }

    // What reaches the player and the desktop for each kind of player.
    void playFiles_data()
    {
        QTest::addColumn<int>("reach");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<int>("playedBy");
        QTest::addColumn<QStringList>("steps");    // "<root>" stands for the drive's folder
        QTest::addColumn<QStringList>("opened");   // files opened with their program
        QTest::addColumn<bool>("playListWritten");
        const QStringList two{"E:\\music\\a.mp3", "E:\\music\\b.mp3"};
        QTest::newRow("list player") << int(MediaPlayer::Reach::List) << two << int(PlayedBy::Player)
                                     << QStringList{"find", "clear", "add <root>/music/a.mp3",
                                                    "add <root>/music/b.mp3", "play"}
                                     << QStringList{} << false;
        QTest::newRow("single-file player, one file")
            << int(MediaPlayer::Reach::SingleFile) << two.mid(0, 1) << int(PlayedBy::Player)
            << QStringList{"find", "clear", "add <root>/music/a.mp3", "play"} << QStringList{} << false;
        QTest::newRow("single-file player, a list")
            << int(MediaPlayer::Reach::SingleFile) << two << int(PlayedBy::Player)
            << QStringList{"find", "clear", "open <root>/voxa/manager/play.m3u", "play"} << QStringList{} << true;
        QStringList most;  // as many as a list player gets file by file
        for (int i = 0; i < platform::HandOverListMax; ++i)
            most.append(QStringLiteral("E:\\music\\%1.mp3").arg(i));
        QStringList mostSteps{"find", "clear"};
        for (int i = 0; i < platform::HandOverListMax; ++i)
            mostSteps.append(QStringLiteral("add <root>/music/%1.mp3").arg(i));
        mostSteps.append("play");
        QTest::newRow("list player, longest list file by file")
            << int(MediaPlayer::Reach::List) << most << int(PlayedBy::Player) << mostSteps << QStringList{} << false;
        QTest::newRow("list player, a longer list as a play list")
            << int(MediaPlayer::Reach::List) << (QStringList(most) << "E:\\music\\last.mp3") << int(PlayedBy::Player)
            << QStringList{"find", "clear", "open <root>/voxa/manager/play.m3u", "play"} << QStringList{} << true;
        QTest::newRow("no player") << int(MediaPlayer::Reach::None) << two << int(PlayedBy::AssociatedProgram)
                                   << QStringList{"find"} << QStringList{"E:\\voxa\\manager\\play.m3u"} << true;
        QTest::newRow("nothing to play") << int(MediaPlayer::Reach::List) << QStringList{} << int(PlayedBy::Nothing)
                                         << QStringList{} << QStringList{} << false;
    }
    void playFiles()
    {
        QFETCH(int, reach);
        QFETCH(QStringList, files);
        QFETCH(int, playedBy);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, opened);
        QFETCH(bool, playListWritten);
        test::RecordingMediaPlayer player;
        test::RecordingProcesses processes;
        player.reach = MediaPlayer::Reach(reach);
        QCOMPARE(int(platform::PlayFiles(files, HandOverPlayListPath('E'))), playedBy);
        QCOMPARE(player.steps.join('\n').replace(root, "<root>"), steps.join('\n'));
        QStringList openedGot;
        for (const test::ProcessCall &c : processes.calls) {
            QCOMPARE(c.kind, test::ProcessCall::Open);
            openedGot.append(c.program);
        }
        QCOMPARE(openedGot, opened);
        const QByteArray list = test::TestDriveTable::readFile("E:\\voxa\\manager\\play.m3u");
        if (playListWritten) {
            QByteArray expected;
            for (const QString &f : files)
                expected += QFile::encodeName(native(f.mid(3).replace('\\', '/'))) + "\r\n";
            QCOMPARE(list, expected);
        } else {
            QVERIFY(!fs::exists("E:\\voxa\\manager\\play.m3u"));
        }
    }

    void singleFile()
    {
        test::RecordingMediaPlayer player;
        test::RecordingProcesses processes;
        player.reach = MediaPlayer::Reach::List;
        QCOMPARE(platform::PlayFile("E:\\music\\a.mp3"), PlayedBy::Player);
        QCOMPARE(player.steps, (QStringList{"find", "clear", "add " + native("music/a.mp3"), "play"}));
        QVERIFY(processes.calls.isEmpty());

        // No player: the file itself is opened, nothing is written.
        player.reach = MediaPlayer::Reach::None;
        player.steps.clear();
        QCOMPARE(platform::PlayFile("E:\\music\\a.mp3"), PlayedBy::AssociatedProgram);
        QCOMPARE(player.steps, QStringList{"find"});
        QCOMPARE(processes.calls.size(), 1);
        QCOMPARE(processes.calls[0].program, QStringLiteral("E:\\music\\a.mp3"));
        QVERIFY(!fs::exists("E:\\voxa\\manager\\play.m3u"));

        processes.startSucceeds = false;
        QCOMPARE(platform::PlayFile("E:\\music\\a.mp3"), PlayedBy::OpenFailed);
    }

    // A play list that cannot be written means nothing plays and nothing
    // is opened.
    void playListNotWritten()
    {
        test::RecordingMediaPlayer player;
        test::RecordingProcesses processes;
        QVERIFY(QDir(root + "/voxa/manager").removeRecursively());
        QCOMPARE(platform::PlayFiles({"E:\\music\\a.mp3", "E:\\music\\b.mp3"}, HandOverPlayListPath('E')),
                 PlayedBy::PlayListNotWritten);
        QVERIFY(processes.calls.isEmpty());
        player.reach = MediaPlayer::Reach::SingleFile;
        player.steps.clear();
        QCOMPARE(platform::PlayFiles({"E:\\music\\a.mp3", "E:\\music\\b.mp3"}, HandOverPlayListPath('E')),
                 PlayedBy::PlayListNotWritten);
        QCOMPARE(player.steps, QStringList{"find"});
    }

    // A row or a tree node: a folder plays its MP3 files, a file itself.
    void playElement()
    {
        QVERIFY(test::TestDriveTable::writeFile("E:\\music\\deep\\c.MP3"));
        QVERIFY(test::TestDriveTable::writeFile("E:\\music\\notes.txt"));
        test::RecordingMediaPlayer player;
        test::RecordingProcesses processes;
        QCOMPARE(PlayInMediaPlayer("E:\\music", 'E'), PlayedBy::AssociatedProgram);
        QCOMPARE(processes.calls.size(), 1);
        QCOMPARE(processes.calls[0].program, HandOverPlayListPath('E'));
        QStringList lines = QString::fromUtf8(test::TestDriveTable::readFile(HandOverPlayListPath('E')))
                                .split("\r\n", Qt::SkipEmptyParts);
        lines.sort();
        QCOMPARE(lines, (QStringList{native("music/a.mp3"), native("music/b.mp3"), native("music/deep/c.MP3")}));

        player.reach = MediaPlayer::Reach::List;
        player.steps.clear();
        QCOMPARE(PlayInMediaPlayer("E:\\music\\b.mp3", 'E'), PlayedBy::Player);
        QCOMPARE(player.steps, (QStringList{"find", "clear", "add " + native("music/b.mp3"), "play"}));

        // A folder without MP3 files plays nothing and clears nothing.
        QVERIFY(QDir().mkpath(root + "/silent"));
        player.steps.clear();
        QCOMPARE(PlayInMediaPlayer("E:\\silent", 'E'), PlayedBy::Nothing);
        QVERIFY(player.steps.isEmpty());
    }

    void playListBytes()
    {
        QCOMPARE(platform::HandOverPlayListBytes({"E:\\music\\a.mp3", "/abs/\xC3\xA9.mp3"}),
                 QFile::encodeName(native("music/a.mp3")) + "\r\n/abs/\xC3\xA9.mp3\r\n");
        QCOMPARE(platform::HandOverPlayListBytes({}), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestMyRadioHandOver)
#include "test_myradio_handover.moc"

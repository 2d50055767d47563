// MyRadio copy: copy roots, the profile copy, space check, the block copy
// with its questions, cancel, and the thread that hands questions to the
// interface thread. E is the player's drive, D the destination.
#include "app/messagetable.h"
#include "music/myradiocopy.h"
#include "platform/fileops.h"
#include "support/copycontent.h"
#include "support/scriptedprompts.h"
#include "support/testdrive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cstring>
#include <sys/syscall.h>
#include <unistd.h>

// Every fdatasync records the flushed file's name and can be made to fail.
namespace {
QStringList g_synced;
std::atomic<int> g_syncErrno{0};
}  // namespace

extern "C" int fdatasync(int fd)
{
    g_synced.append(QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd)));
    if (const int err = g_syncErrno.load()) {
        errno = err;
        return -1;
    }
    return int(::syscall(SYS_fdatasync, fd));
}

using namespace voxa;
using test::ScriptedPrompts;
using test::TestDriveTable;

Q_DECLARE_METATYPE(QList<voxa::CopyRoot>)

namespace {

using test::pattern;

// The copied lists' elements are of priority class 3.
QList<MyRadioElement> elements(const QStringList &paths)
{
    return test::elements(paths, 3);
}

struct Recorder : CopyObserver {
    QList<qint64> starts;
    QList<QPair<qint64, qint64>> changes;
    int cleared = 0;
    QList<QPair<int, bool>> finished;
    std::function<void(qint64)> onChange;

    void progressCleared() override { ++cleared; }
    void progressStarted(qint64 maximum) override { starts.append(maximum); }
    void progressChanged(qint64 position, qint64 maximum) override
    {
        changes.append({position, maximum});
        if (onChange)
            onChange(position);
    }
    void profileFinished(int index, const ProfileCopyResult &r) override { finished.append({index, r.copied}); }
    qint64 lastPosition() const { return changes.isEmpty() ? -1 : changes.last().first; }
};

// Every file below a native folder, relative, sorted.
QStringList filesBelow(const QString &root)
{
    QStringList out;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out.append(QDir(root).relativeFilePath(it.next()));
    out.sort();
    return out;
}

}  // namespace

class TestMyRadioCopy : public QObject {
    Q_OBJECT

    test::TestDrive m_drives;
    QString m_e, m_d;

    MyRadioCopyRequest request(const QStringList &paths, const QString &target = QStringLiteral("D:"),
                               const QString &profileName = QStringLiteral("E:\\voxa\\myradio\\rock.mra"))
    {
        MyRadioCopyRequest r;
        r.sourceDrive = QLatin1Char('E');
        r.targetDirectory = target;
        r.profiles.append({profileName, elements(paths), true});
        return r;
    }

    MyRadioCopyResult runJob(const MyRadioCopyRequest &r, Recorder *rec = nullptr)
    {
        PromptCopyQuestions q;
        MyRadioCopyJob job(r, q, rec);
        return job.run();
    }

private slots:
    void init()
    {
        resetMessages();
        QVERIFY(m_drives.setUp(QLatin1Char('E'), {QStringLiteral("voxa/myradio")}));
        m_e = m_drives.root();
        m_d = m_drives->add(QLatin1Char('D'), platform::DriveType::Fixed, QStringLiteral("ext4"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\rock\\a.mp3"), pattern(1000, 'a')));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\rock\\b.mp3"), pattern(2000, 'b')));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\rock2\\c.mp3"), pattern(3000, 'c')));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\d.mp3"), pattern(400, 'd')));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\cover.jpg"), pattern(50, 'j')));
    }
    void cleanup() { m_drives.tearDown(); }

    // -- the pieces ----------------------------------------------------------

    void mergeCopyRoots_data()
    {
        QTest::addColumn<QList<CopyRoot>>("entries");
        QTest::addColumn<QList<CopyRoot>>("roots");
        const CopyRoot rock{QStringLiteral("music\\rock"), true};
        const CopyRoot rock2{QStringLiteral("music\\rock2"), true};
        const CopyRoot music{QStringLiteral("music"), true};
        const CopyRoot a{QStringLiteral("music\\rock\\a.mp3"), false};
        const CopyRoot d{QStringLiteral("music\\d.mp3"), false};
        const CopyRoot other{QStringLiteral("other"), true};
        QTest::newRow("folder then its file") << QList{rock, a} << QList{rock};
        QTest::newRow("file then its folder") << QList{a, rock} << QList{rock};
        QTest::newRow("rock and rock2 both") << QList{rock, rock2} << QList{rock, rock2};
        QTest::newRow("rock then music") << QList{rock, music} << QList{music};
        QTest::newRow("several inside, first place kept")
            << QList{other, a, rock2, d, music} << QList{other, music};
        QTest::newRow("folder twice") << QList{rock, rock} << QList{rock};
        QTest::newRow("file twice") << QList{d, d} << QList{d};
        QTest::newRow("letter case as on FAT")
            << QList{CopyRoot{QStringLiteral("Music\\ROCK"), true}, a}
            << QList{CopyRoot{QStringLiteral("Music\\ROCK"), true}};
        QTest::newRow("name prefix is not inside")
            << QList{rock, CopyRoot{QStringLiteral("music\\rocker.mp3"), false}}
            << QList{rock, CopyRoot{QStringLiteral("music\\rocker.mp3"), false}};
        QTest::newRow("drive root holds all") << QList{rock, CopyRoot{QString(), true}, d}
                                              << QList{CopyRoot{QString(), true}};
    }
    void mergeCopyRoots()
    {
        QFETCH(QList<CopyRoot>, entries);
        QFETCH(QList<CopyRoot>, roots);
        QList<CopyRoot> got;
        for (const CopyRoot &e : entries)
            MergeCopyRoot(got, e);
        QCOMPARE(got, roots);
    }

    void normalizePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("normal");
        QTest::newRow("leading backslash") << "\\music\\a.mp3" << "music\\a.mp3";
        QTest::newRow("slashes, trailing") << "music/rock/" << "music\\rock";
        QTest::newRow("doubled") << "music\\\\rock" << "music\\rock";
        QTest::newRow("dots") << ".\\music\\.\\a.mp3" << "music\\a.mp3";
        QTest::newRow("up inside") << "music\\rock\\..\\d.mp3" << "music\\d.mp3";
        QTest::newRow("up stops at root") << "\\..\\..\\etc\\passwd" << "etc\\passwd";
        QTest::newRow("root") << "\\" << "";
    }
    void normalizePath()
    {
        QFETCH(QString, path);
        QFETCH(QString, normal);
        QCOMPARE(NormalizeRelativePath(path), normal);
    }

    void profileCopyFolder_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("result");
        QTest::newRow("root keeps leading") << "D:" << "\\music\\" << "\\music\\";
        QTest::newRow("root adds leading") << "D:" << "music\\" << "\\music\\";
        QTest::newRow("root, file in root") << "D:\\" << "\\" << "\\";
        QTest::newRow("backup") << "D:\\backup" << "\\music\\" << "\\backup\\music\\";
        QTest::newRow("backup, no leading") << "D:\\backup" << "music\\" << "\\backup\\music\\";
        QTest::newRow("deeper") << "D:\\a\\b" << "" << "\\a\\b\\";
    }
    void profileCopyFolder()
    {
        QFETCH(QString, target);
        QFETCH(QString, folder);
        QFETCH(QString, result);
        QCOMPARE(ProfileCopyFolder(target, folder), result);
    }

    void percent_data()
    {
        QTest::addColumn<qint64>("position");
        QTest::addColumn<qint64>("maximum");
        QTest::addColumn<int>("percent");
        QTest::newRow("start") << qint64(0) << qint64(100) << 0;
        QTest::newRow("half down to even 0") << qint64(1) << qint64(200) << 0;
        QTest::newRow("1.5 up to even 2") << qint64(3) << qint64(200) << 2;
        QTest::newRow("2.5 down to even 2") << qint64(5) << qint64(200) << 2;
        QTest::newRow("below half") << qint64(26410) << qint64(26410 + 1000000) << 3;
        QTest::newRow("full") << qint64(7) << qint64(7) << 100;
        QTest::newRow("beyond") << qint64(9) << qint64(7) << 100;
        QTest::newRow("no maximum") << qint64(5) << qint64(0) << 0;
                QTest::newRow("big halves") << (qint64(1) << 50) << (qint64(1) << 51) << 50;
        QTest::newRow("big, 99.5 to even 100") << qint64(199) * (qint64(1) << 40) << qint64(200) * (qint64(1) << 40)
                                              << 100;
    }
    void percent()
    {
        QFETCH(qint64, position);
        QFETCH(qint64, maximum);
        QFETCH(int, percent);
        QCOMPARE(CopyPercent(position, maximum), percent);
        QCOMPARE(CopyProgressCaption(QStringLiteral("Copy"), position, maximum),
                 QStringLiteral("Copy... %1%").arg(percent));
    }

    void questionBoxes_data()
    {
        QTest::addColumn<int>("question");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        const int ok = int(Button::Ok), cancel = int(Button::Cancel), yes = int(Button::Yes), no = int(Button::No);
        QTest::newRow("element missing") << int(CopyQuestion::ElementMissing)
                                         << "The file does not exists! [P]" << (ok | cancel) << ok;
        QTest::newRow("profile copy exists") << int(CopyQuestion::ProfileCopyExists)
                                             << "Do you want to overwrite the existing file? [P]" << (cancel | yes)
                                             << cancel;
        QTest::newRow("space") << int(CopyQuestion::NotEnoughSpace)
                               << "Not enough free space int the target drive to copy the files!" << ok << ok;
        QTest::newRow("target exists") << int(CopyQuestion::TargetExists)
                                       << "Do you want to overwrite the existing file? [P]" << (yes | no) << no;
        QTest::newRow("read-only") << int(CopyQuestion::TargetReadOnly)
                                   << "The file is readonly. Do You want to overwrite it anyway? [P]" << (yes | no)
                                   << no;
        QTest::newRow("source missing") << int(CopyQuestion::SourceMissing) << "The file does not exists! [P]"
                                        << ok << ok;
        QTest::newRow("cannot open") << int(CopyQuestion::CannotOpenSource) << "Cannot open the file! [P]" << ok
                                     << ok;
        QTest::newRow("cannot create") << int(CopyQuestion::CannotCreateTarget)
                                       << "Error while trying to open file for write! [P]" << ok << ok;
        QTest::newRow("copy failed") << int(CopyQuestion::CopyFailed) << "Cannot copy file: P [Disk full]" << ok
                                     << ok;
    }
    void questionBoxes()
    {
        QFETCH(int, question);
        QFETCH(QString, text);
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        const MessageBox box = copyQuestionBox(CopyQuestion(question), QStringLiteral("P"), QStringLiteral("Disk full"));
        QCOMPARE(box.text, text);
        QCOMPARE(int(box.buttons), buttons);
        QCOMPARE(int(box.defaultButton), defaultButton);
        QCOMPARE(box.title, QStringLiteral("Error"));
        QCOMPARE(box.placement.kind, Placement::MainWindowOffset);
        QCOMPARE(box.placement.point, QPoint(70, 50));
        // Texts follow the language file.
        setMessage(Msg::FileNotExists, QStringLiteral("Fehlt!"));
        if (CopyQuestion(question) == CopyQuestion::ElementMissing)
            QCOMPARE(copyQuestionBox(CopyQuestion(question), QStringLiteral("P")).text, QStringLiteral("Fehlt! [P]"));
    }

    // -- whole copies ----------------------------------------------------------

    void folderAndFileInsideCopiedOnce()
    {
        ScriptedPrompts prompts;
        Recorder rec;
        const auto r = runJob(request({QStringLiteral("music\\rock"), QStringLiteral("music\\rock\\a.mp3")}), &rec);
        QVERIFY(r.allCopied());
        QCOMPARE(r.profiles[0].filesCopied, 2);
        QCOMPARE(r.profiles[0].bytesCopied, qint64(3000));
        QCOMPARE(filesBelow(m_d + QStringLiteral("/music")), QStringList({"rock/a.mp3", "rock/b.mp3"}));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\rock\\a.mp3")), pattern(1000, 'a'));
        // Maximum: the profile's size plus the files, counted once; the bar ends full.
        QCOMPARE(rec.starts, QList<qint64>{26410 + 3000});
        QCOMPARE(rec.changes.first().first, qint64(26410));
        QCOMPARE(rec.lastPosition(), qint64(26410 + 3000));
        QCOMPARE(prompts.records().size(), 0);
    }

    void rockThenMusicCopiedOnce()
    {
        ScriptedPrompts prompts;
        Recorder rec;
        const auto r = runJob(request({QStringLiteral("music\\rock"), QStringLiteral("\\music"),
                                       QStringLiteral("music\\rock2")}),
                              &rec);
        QVERIFY(r.allCopied());
        QCOMPARE(r.profiles[0].filesCopied, 5);
        QCOMPARE(rec.starts, QList<qint64>{26410 + 1000 + 2000 + 3000 + 400 + 50});
        QCOMPARE(filesBelow(m_d),
                 QStringList({"music/cover.jpg", "music/d.mp3", "music/rock/a.mp3", "music/rock/b.mp3",
                              "music/rock2/c.mp3", "voxa/myradio/rock.mra"}));
    }

    void profileCopyPaths_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("copied");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("drive root") << "D:\\" << QStringList{"music/d.mp3", "music/rock/a.mp3"}
                                    << QStringList{"\\music\\d.mp3", "\\music\\rock\\a.mp3"};
        QTest::newRow("backup") << "D:\\backup" << QStringList{"backup/music/d.mp3", "backup/music/rock/a.mp3"}
                                << QStringList{"\\backup\\music\\d.mp3", "\\backup\\music\\rock\\a.mp3"};
    }
    void profileCopyPaths()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, copied);
        QFETCH(QStringList, listed);
        QVERIFY(fs::makePath(QStringLiteral("D:\\backup")));
        ScriptedPrompts prompts;
        // One folder part with a leading "\", one without.
        const auto r = runJob(request({QStringLiteral("\\music\\d.mp3"), QStringLiteral("music\\rock\\a.mp3")}, target));
        QVERIFY(r.allCopied());
        QCOMPARE(r.profiles[0].profileCopy, QStringLiteral("D:\\voxa\\myradio\\rock.mra"));
        for (const QString &c : copied)
            QVERIFY2(QFile::exists(m_d + QLatin1Char('/') + c), qPrintable(c));
        const QByteArray bytes = TestDriveTable::readFile(QStringLiteral("D:\\voxa\\myradio\\rock.mra"));
        QCOMPARE(bytes.size(), 26410);
        const auto read = parseMyRadioFile(bytes);
        QVERIFY(read.ok());
        QStringList paths;
        for (const MyRadioElement &e : read.value()) {
            paths.append(e.path());
            QCOMPARE(e.weightClass, 3);
        }
        QCOMPARE(paths, listed);
    }

    void contentOnlyWritesNoProfile()
    {
        ScriptedPrompts prompts;
        auto req = request({QStringLiteral("music\\d.mp3")});
        req.contentOnly = true;
        QVERIFY(runJob(req).allCopied());
        QCOMPARE(filesBelow(m_d), QStringList{"music/d.mp3"});
    }

    // Neither box: the overwrite question, and No leaves the target while
    // the bar still runs to the end.
    void overwriteQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << int(Button::No);
        QTest::newRow("Yes") << int(Button::Yes);
    }
    void overwriteQuestion()
    {
        QFETCH(int, answer);
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\music\\rock\\a.mp3"), "old"));
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("Do you want to overwrite the existing file? [D:\\music\\rock\\a.mp3]"),
                              Button(answer));
        Recorder rec;
        const auto r = runJob(request({QStringLiteral("music\\rock")}), &rec);
        QCOMPARE(prompts.pending(), 0);
        const MessageBox box = prompts.lastMessage();
        QCOMPARE(box.buttons, Button::Yes | Button::No);
        QCOMPARE(box.defaultButton, Button::No);
        const bool yes = Button(answer) == Button::Yes;
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\rock\\a.mp3")),
                 yes ? pattern(1000, 'a') : QByteArray("old"));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\rock\\b.mp3")), pattern(2000, 'b'));
        QCOMPARE(r.profiles[0].copied, yes);
        QCOMPARE(r.profiles[0].filesSkipped, yes ? 0 : 1);
        QCOMPARE(rec.lastPosition(), rec.starts.last());
        QCOMPARE(CopyPercent(rec.lastPosition(), rec.starts.last()), 100);
    }

    // Existing and read-only targets under each box setting.
    void promptBoxes_data()
    {
        QTest::addColumn<bool>("overwriteBox");
        QTest::addColumn<bool>("skipBox");
        QTest::addColumn<QList<int>>("answers");  // overwrite, then read-only question
        QTest::addColumn<bool>("replaced");
        QTest::newRow("skip box: silent skip") << false << true << QList<int>{} << false;
        QTest::newRow("overwrite box: silent overwrite") << true << false << QList<int>{} << true;
        QTest::newRow("asked, read-only No") << false << false << QList<int>{int(Button::Yes), int(Button::No)}
                                             << false;
        QTest::newRow("asked, read-only Yes") << false << false << QList<int>{int(Button::Yes), int(Button::Yes)}
                                              << true;
        QTest::newRow("asked, No first") << false << false << QList<int>{int(Button::No)} << false;
    }
    void promptBoxes()
    {
        QFETCH(bool, overwriteBox);
        QFETCH(bool, skipBox);
        QFETCH(QList<int>, answers);
        QFETCH(bool, replaced);
        const QString target = QStringLiteral("D:\\music\\d.mp3");
        QVERIFY(TestDriveTable::writeFile(target, "old"));
        QVERIFY(fs::setReadOnly(target));
        ScriptedPrompts prompts;
        if (answers.size() > 0)
            prompts.expectMessage(QStringLiteral("overwrite the existing file? [D:\\music\\d.mp3]"), Button(answers[0]));
        if (answers.size() > 1) {
            prompts.expectMessage(QStringLiteral("The file is readonly. Do You want to overwrite it anyway? [D:\\music\\d.mp3]"),
                                  Button(answers[1]));
        }
        auto req = request({QStringLiteral("music\\d.mp3"), QStringLiteral("music\\cover.jpg")});
        req.overwriteBox = overwriteBox;
        req.skipBox = skipBox;
        const auto r = runJob(req);
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(TestDriveTable::readFile(target), replaced ? pattern(400, 'd') : QByteArray("old"));
        QCOMPARE(fs::isReadOnly(target), !replaced);
        QCOMPARE(r.profiles[0].copied, replaced);
        // The other file is copied either way.
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\cover.jpg")), pattern(50, 'j'));
        fs::clearReadOnly(target);
    }

    void switchesFromBoxes()
    {
        QCOMPARE(CopySwitches::fromBoxes(true, false), (CopySwitches{true, false, true, false}));
        QCOMPARE(CopySwitches::fromBoxes(false, true), (CopySwitches{false, true, false, true}));
        QCOMPARE(CopySwitches::fromBoxes(false, false), CopySwitches{});
    }

    void notEnoughSpace()
    {
        // Files 3000 bytes + 26410: one byte short.
        m_drives->setFree(QLatin1Char('D'), 26410 + 3000 - 1);
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("Not enough free space int the target drive to copy the files!"));
        Recorder rec;
        const auto r = runJob(request({QStringLiteral("music\\rock")}), &rec);
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(prompts.records().size(), 1);
        QVERIFY(!r.allCopied());
        QCOMPARE(filesBelow(m_d), QStringList());
        QVERIFY(rec.starts.isEmpty());

        // Exactly enough is enough.
        m_drives->setFree(QLatin1Char('D'), 26410 + 3000);
        QVERIFY(runJob(request({QStringLiteral("music\\rock")})).allCopied());
    }

    void missingElement_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("OK skips it") << int(Button::Ok);
        QTest::newRow("Cancel ends the profile") << int(Button::Cancel);
    }
    void missingElement()
    {
        QFETCH(int, answer);
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("The file does not exists! [E:\\music\\gone.mp3]"), Button(answer));
        const auto r = runJob(request({QStringLiteral("music\\d.mp3"), QStringLiteral("music\\gone.mp3"),
                                       QStringLiteral("music\\rock")}));
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(prompts.lastMessage().buttons, Button::Ok | Button::Cancel);
        if (Button(answer) == Button::Ok) {
            QVERIFY(r.profiles[0].copied);
            QCOMPARE(r.profiles[0].elementsMissing, 1);
            QVERIFY(!r.allCopied());
            QCOMPARE(r.profiles[0].filesCopied, 3);
        } else {
            QVERIFY(r.aborted);
            QVERIFY(!r.profiles[0].copied);
            QCOMPARE(filesBelow(m_d), QStringList());
        }
    }

    void profileCopyExists_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Cancel") << int(Button::Cancel);
        QTest::newRow("Yes") << int(Button::Yes);
    }
    void profileCopyExists()
    {
        QFETCH(int, answer);
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\voxa\\myradio\\rock.mra"), "old profile"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\music\\d.mp3"), "old"));
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("overwrite the existing file? [D:\\voxa\\myradio\\rock.mra]"),
                              Button(answer));
        const auto r = runJob(request({QStringLiteral("music\\d.mp3")}));
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(prompts.lastMessage().buttons, Button::Cancel | Button::Yes);
        QCOMPARE(prompts.lastMessage().defaultButton, Button::Cancel);
        if (Button(answer) == Button::Cancel) {
            QVERIFY(r.aborted);
            QVERIFY(r.cancelled);
            QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\voxa\\myradio\\rock.mra")), QByteArray("old profile"));
            QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\d.mp3")), QByteArray("old"));
        } else {
            // Yes also overwrites the profile's files without asking.
            QVERIFY(r.allCopied());
            QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\voxa\\myradio\\rock.mra")).size(), 26410);
            QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\d.mp3")), pattern(400, 'd'));
        }
    }

    // A Yes to the profile copy's question lasts for that profile only.
    void profileCopyYesLastsOneProfile()
    {
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\voxa\\myradio\\one.mra"), "old"));
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\music\\d.mp3"), "old"));
        QVERIFY(WriteMyRadioFile(QStringLiteral("E:\\voxa\\myradio\\one.mra"), elements({"music\\rock"})).ok());
        QVERIFY(WriteMyRadioFile(QStringLiteral("E:\\voxa\\myradio\\two.mra"), elements({"music\\d.mp3"})).ok());
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("[D:\\voxa\\myradio\\one.mra]"), Button::Yes)
            .expectMessage(QStringLiteral("[D:\\music\\d.mp3]"), Button::No);
        MyRadioCopyRequest req;
        req.sourceDrive = QLatin1Char('E');
        req.targetDirectory = QStringLiteral("D:");
        req.profiles = {{QStringLiteral("E:\\voxa\\myradio\\one.mra"), {}, false},
                        {QStringLiteral("E:\\voxa\\myradio\\two.mra"), {}, false}};
        Recorder rec;
        const auto r = runJob(req, &rec);
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(rec.finished, (QList<QPair<int, bool>>{{0, true}, {1, false}}));
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\d.mp3")), QByteArray("old"));
    }

    // A broken profile in menu mode gets the editor's box; the next one is copied.
    void menuModeUnreadableProfile()
    {
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\voxa\\myradio\\bad.mra"), "R7XYZ garbage"));
        QVERIFY(WriteMyRadioFile(QStringLiteral("E:\\voxa\\myradio\\good.mra"), elements({"music\\d.mp3"})).ok());
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("Wrong file format"))
            .expectMessage(QStringLiteral("Cannot open the file! [E:\\voxa\\myradio\\none.mra]"));
        MyRadioCopyRequest req;
        req.sourceDrive = QLatin1Char('E');
        req.targetDirectory = QStringLiteral("D:");
        req.profiles = {{QStringLiteral("E:\\voxa\\myradio\\bad.mra"), {}, false},
                        {QStringLiteral("E:\\voxa\\myradio\\none.mra"), {}, false},
                        {QStringLiteral("E:\\voxa\\myradio\\good.mra"), {}, false}};
        const auto r = runJob(req);
        QCOMPARE(prompts.pending(), 0);
        QVERIFY(!r.profiles[0].copied);
        QVERIFY(!r.profiles[1].copied);
        QVERIFY(r.profiles[2].copied);
        QCOMPARE(filesBelow(m_d), QStringList({"music/d.mp3", "voxa/myradio/good.mra"}));
    }

    // A file of several blocks and a tail comes over byte for byte, within
    // one file system (copied by the kernel) and to another one (tmpfs: the
    // kernel refuses, the job copies through its buffer), and the bar moves
    // block by block to the end.
    void bigFileWholeOnAnyFileSystem_data()
    {
        QTest::addColumn<bool>("otherFileSystem");
        QTest::newRow("same file system") << false;
        QTest::newRow("another file system") << true;
    }
    void bigFileWholeOnAnyFileSystem()
    {
        QFETCH(bool, otherFileSystem);
        std::unique_ptr<QTemporaryDir> shm;
        if (otherFileSystem) {
            if (!QFileInfo(QStringLiteral("/dev/shm")).isWritable())
                QSKIP("no /dev/shm to stand for another file system");
            shm = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/voxa-copy-XXXXXX"));
            QVERIFY(shm->isValid());
            m_drives->remove(QLatin1Char('D'));
            m_drives->addFolder(QLatin1Char('D'), shm->path(), platform::DriveType::Fixed, QStringLiteral("tmpfs"));
            m_d = shm->path();
        }
        const qint64 big = 3 * CopyBlockSize + 4097;
        const QByteArray content = pattern(big, 'q');
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\big.mp3"), content));
        ScriptedPrompts prompts;
        Recorder rec;
        const auto r = runJob(request({QStringLiteral("music\\big.mp3")}), &rec);
        QVERIFY(r.allCopied());
        QVERIFY(TestDriveTable::readFile(QStringLiteral("D:\\music\\big.mp3")) == content);
        QCOMPARE(filesBelow(m_d + QStringLiteral("/music")), QStringList{"big.mp3"});
        QCOMPARE(rec.lastPosition(), rec.starts.last());
        int steps = 0;
        for (const auto &c : rec.changes)
            steps += c.first > 26410 && c.first < rec.starts.last();
        QVERIFY2(steps >= 3, qPrintable(QString::number(steps)));
    }

    // Cancel in the middle of a big file: no partial file is left, and an
    // older target of the same name stays as it was.
    void cancelInBigFile_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::newRow("new target") << false;
        QTest::newRow("existing target") << true;
    }
    void cancelInBigFile()
    {
        QFETCH(bool, existing);
        const qint64 big = 40 * CopyBlockSize + 123;
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\music\\big.mp3"), pattern(big, 'z')));
        if (existing)
            QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\music\\big.mp3"), "old"));
        ScriptedPrompts prompts;
        PromptCopyQuestions q;
        Recorder rec;
        auto req = request({QStringLiteral("music\\d.mp3"), QStringLiteral("music\\big.mp3"),
                            QStringLiteral("music\\rock")});
        req.overwriteBox = true;
        MyRadioCopyJob job(req, q, &rec);
        rec.onChange = [&](qint64 pos) {
            if (pos > 26410 + 400 + big / 2)
                job.cancel();
        };
        const auto r = job.run();
        QVERIFY(r.cancelled);
        QVERIFY(!r.aborted);
        QVERIFY(!r.allCopied());
        QCOMPARE(filesBelow(m_d + QStringLiteral("/music")), existing ? QStringList({"big.mp3", "d.mp3"})
                                                                       : QStringList{"d.mp3"});
        if (existing)
            QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\big.mp3")), QByteArray("old"));
        QVERIFY(rec.lastPosition() < rec.starts.last());
    }

    // Element paths never lead the copy out of the target directory, and
    // nothing off the player's drive is read.
    void pathEscape()
    {
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("E:\\etc\\passwd.mp3"), "player's"));
        QVERIFY(fs::makePath(QStringLiteral("D:\\backup")));
        ScriptedPrompts prompts;
        auto r = runJob(request({QStringLiteral("..\\..\\etc\\passwd.mp3")}, QStringLiteral("D:\\backup")));
        QVERIFY(r.allCopied());
        QCOMPARE(filesBelow(m_d), QStringList({"backup/etc/passwd.mp3", "voxa/myradio/rock.mra"}));

        // A link inside the target that points elsewhere is refused.
        QTemporaryDir outside;
        QVERIFY(QFile::link(outside.path(), m_d + QStringLiteral("/backup/music")));
        prompts.expectMessage(QStringLiteral("Error while trying to open file for write! [D:\\backup\\music\\d.mp3]"));
        auto req = request({QStringLiteral("music\\d.mp3")}, QStringLiteral("D:\\backup"));
        req.contentOnly = true;
        r = runJob(req);
        QCOMPARE(prompts.pending(), 0);
        QVERIFY(!r.profiles[0].copied);
        QCOMPARE(r.profiles[0].filesFailed, 1);
        QCOMPARE(filesBelow(outside.path()), QStringList());

        // A link on the player's drive leading off it is not followed.
        QTemporaryDir secret;
        {
            QFile key(secret.filePath(QStringLiteral("key.mp3")));
            QVERIFY(key.open(QIODevice::WriteOnly) && key.write("secret") == 6);
        }
        QVERIFY(QFile::link(secret.path(), m_e + QStringLiteral("/music/rock/link")));
        prompts.expectMessage(QStringLiteral("The file does not exists! [E:\\music\\rock\\link]"));
        req = request({QStringLiteral("music\\rock")}, QStringLiteral("D:"));
        req.contentOnly = true;
        r = runJob(req);
        QCOMPARE(prompts.pending(), 0);
        QVERIFY(!QFile::exists(m_d + QStringLiteral("/music/rock/link/key.mp3")));
        QVERIFY(QFile::exists(m_d + QStringLiteral("/music/rock/a.mp3")));
    }

    void cannotOpenSource()
    {
        if (::geteuid() == 0)
            QSKIP("root reads files without read permission");
        QFile::setPermissions(m_e + QStringLiteral("/music/d.mp3"), QFileDevice::WriteOwner);
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("Cannot open the file! [E:\\music\\d.mp3]"));
        Recorder rec;
        const auto r = runJob(request({QStringLiteral("music\\d.mp3")}), &rec);
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(r.profiles[0].filesFailed, 1);
        QCOMPARE(rec.lastPosition(), rec.starts.last());
        QCOMPARE(filesBelow(m_d + QStringLiteral("/music")), QStringList());
    }

    void targetFolderBlockedByFile()
    {
        // A file where a folder should be: reported, not counted as done.
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\music"), "a file"));
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("Error while trying to open file for write! [D:\\music\\d.mp3]"));
        const auto r = runJob(request({QStringLiteral("music\\d.mp3")}));
        QCOMPARE(prompts.pending(), 0);
        QVERIFY(!r.profiles[0].copied);
        QCOMPARE(r.profiles[0].filesFailed, 1);
    }

    // The copy is flushed under its passing name before the rename; a failed flush keeps the old target.
    void flushedBeforeRename_data()
    {
        QTest::addColumn<int>("syncErrno");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("flushed") << 0 << true;
        QTest::newRow("flush fails") << EIO << false;
        QTest::newRow("file system cannot flush") << EINVAL << true;
    }
    void flushedBeforeRename()
    {
        QFETCH(int, syncErrno);
        QFETCH(bool, replaced);
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\music\\d.mp3"), "old"));
        ScriptedPrompts prompts;
        if (!replaced)
            prompts.expectMessage(QStringLiteral("Cannot copy file: E:\\music\\d.mp3 [")
                                  + QString::fromLocal8Bit(std::strerror(syncErrno)) + QLatin1Char(']'));
        auto req = request({QStringLiteral("music\\d.mp3")});
        req.contentOnly = req.overwriteBox = true;
        g_synced.clear();
        g_syncErrno = syncErrno;
        const auto r = runJob(req);
        g_syncErrno = 0;
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(g_synced, QStringList{m_d + QStringLiteral("/music/.d.mp3.part")});
        QCOMPARE(r.allCopied(), replaced);
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\d.mp3")),
                 replaced ? pattern(400, 'd') : QByteArray("old"));
        QCOMPARE(filesBelow(m_d + QStringLiteral("/music")), QStringList{"d.mp3"});
    }

    // The space check asks the target's own volume, never the list of every drive.
    void freeSpaceLooksAtTheOneFolder()
    {
        struct CountingTable : platform::DriveTable {
            QString root;
            int looks = 0;
            QList<platform::DriveInfo> drives() override { return ++looks, QList<platform::DriveInfo>{}; }
            std::optional<platform::DriveInfo> drive(QChar) override { return ++looks, std::nullopt; }
            QString rootOf(QChar letter) override { return letter.toUpper() == QLatin1Char('D') ? root : QString(); }
        };
        m_drives.tearDown();  // neither the test drives nor their made-up sizes
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("backup")));
        CountingTable table;
        table.root = dir.path();
        platform::setDriveTable(&table);
        const qint64 free = fs::freeSpace(QStringLiteral("D:\\backup"));
        const qint64 unknown = fs::freeSpace(QStringLiteral("Q:\\"));
        platform::setDriveTable(nullptr);
        QCOMPARE(table.looks, 0);
        QCOMPARE(unknown, qint64(-1));
        const qint64 expected = QStorageInfo(dir.path()).bytesAvailable();  // others write meanwhile
        QVERIFY2(free > 0 && qAbs(free - expected) < (qint64(256) << 20), qPrintable(QString::number(free)));
    }

    // -- the thread ---------------------------------------------------------

    // Two profiles through the thread: questions come to this thread, the
    // failed profile is reported as such.
    void threadTwoProfiles()
    {
        QVERIFY(WriteMyRadioFile(QStringLiteral("E:\\voxa\\myradio\\one.mra"), elements({"music\\rock"})).ok());
        QVERIFY(WriteMyRadioFile(QStringLiteral("E:\\voxa\\myradio\\two.mra"), elements({"music\\d.mp3"})).ok());
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\music\\d.mp3"), "old"));
        ScriptedPrompts prompts;
        prompts.expectMessage(QStringLiteral("[D:\\music\\d.mp3]"), Button::No);

        struct ThreadCheck : PromptCopyQuestions {
            QList<QThread *> threads;
            Button ask(CopyQuestion q, const QString &p, const QString &s) override
            {
                threads.append(QThread::currentThread());
                return PromptCopyQuestions::ask(q, p, s);
            }
        } questions;
        MyRadioCopyRequest req;
        req.sourceDrive = QLatin1Char('E');
        req.targetDirectory = QStringLiteral("D:");
        req.profiles = {{QStringLiteral("E:\\voxa\\myradio\\one.mra"), {}, false},
                        {QStringLiteral("E:\\voxa\\myradio\\two.mra"), {}, false}};
        TCopyTask thread(req, questions);
        QSignalSpy finished(&thread, &TCopyTask::finished);
        QSignalSpy profiles(&thread, &TCopyTask::profileFinished);
        QSignalSpy progress(&thread, &TCopyTask::progressChanged);
        thread.start();
        QVERIFY(finished.wait(20000));
        QCoreApplication::processEvents();
        QCOMPARE(prompts.pending(), 0);
        QCOMPARE(questions.threads, QList<QThread *>{QThread::currentThread()});
        QCOMPARE(profiles.size(), 2);
        QCOMPARE(profiles[0], (QList<QVariant>{0, true}));
        QCOMPARE(profiles[1], (QList<QVariant>{1, false}));
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last()[0].toLongLong(), progress.last()[1].toLongLong());
        const auto r = thread.result();
        QCOMPARE(r.profiles.size(), 2);
        QVERIFY(!r.allCopied());
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\d.mp3")), QByteArray("old"));
    }

    // Cancel from the interface thread while the worker waits for a
    // question's answer: no dead-lock, the answer that comes after the
    // cancel is not acted on, and no message box is shown.
    void threadCancelWhileAsking()
    {
        QVERIFY(TestDriveTable::writeFile(QStringLiteral("D:\\music\\d.mp3"), "old"));
        ScriptedPrompts prompts;
        // Reached on the interface thread exactly while the worker waits:
        // cancels and waits for the worker there, then says overwrite.
        struct CancelWhenAsked : CopyQuestions {
            std::function<void()> cancel;
            int asked = 0;
            Button ask(CopyQuestion, const QString &, const QString &) override
            {
                ++asked;
                cancel();
                return Button::Yes;
            }
        } questions;
        TCopyTask thread(request({QStringLiteral("music\\d.mp3")}), questions);
        questions.cancel = [&thread] { thread.cancelAndWait(); };
        thread.start();
        QTRY_COMPARE_WITH_TIMEOUT(questions.asked, 1, 30000);
        QVERIFY(thread.isFinished());
        QCoreApplication::processEvents();
        QCOMPARE(prompts.records().size(), 0);
        QVERIFY(thread.result().cancelled);
        QCOMPARE(TestDriveTable::readFile(QStringLiteral("D:\\music\\d.mp3")), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(TestMyRadioCopy)
#include "test_myradiocopy.moc"

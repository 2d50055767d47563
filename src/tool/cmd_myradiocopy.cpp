// voxatool myradio-copy PROFILE... DEST: copies what MyRadio profiles refer
// to from the player's drive into DEST on another drive, as the manager's
// MyRadio copy does. Nobody is there to answer questions: each is printed on
// stderr and answered with its default button (an existing file is left
// alone unless --overwrite is given).
#include "music/myradiocopy.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "tool/command.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace voxa::tool {
namespace {

class ToolQuestions : public CopyQuestions {
public:
    explicit ToolQuestions(QTextStream &err) : m_err(err) {}
    Button ask(CopyQuestion question, const QString &path, const QString &systemText) override
    {
        const MessageBox box = copyQuestionBox(question, path, systemText);
        m_err << "voxatool myradio-copy: " << box.text;
        if (box.buttons != Buttons(Button::Ok))
            m_err << " (" << buttonName(box.defaultButton) << ")";
        m_err << "\n";
        m_err.flush();
        return box.defaultButton;
    }

private:
    QTextStream &m_err;
};

class ToolProgress : public CopyObserver {
public:
    ToolProgress(QTextStream &err, const QStringList &names) : m_err(err), m_names(names) {}
    void profileStarted(int index, const QString &) override
    {
        m_err << m_names.value(index) << "\n";
        m_err.flush();
        m_shown = -1;
    }
    void progressChanged(qint64 position, qint64 maximum) override
    {
        const int p = CopyPercent(position, maximum);
        if (p == m_shown)
            return;
        m_shown = p;
        m_err << CopyProgressCaption(QStringLiteral("Copy"), position, maximum) << "\n";
        m_err.flush();
    }

private:
    QTextStream &m_err;
    QStringList m_names;
    int m_shown = -1;
};

// A device path ("V:\voxa\myradio\a.mra") or a native one on a known drive,
// in device form; empty when no drive holds it.
QString devicePath(const QString &arg)
{
    if (platform::isDevicePath(arg))
        return platform::toNative(arg).isEmpty() ? QString() : arg;
    return platform::toDevice(QFileInfo(arg).absoluteFilePath());
}

const char *const Help =
    "arguments:\n"
    "  PROFILE...        MyRadio profiles (*.mra) on the player's drive, by drive path\n"
    "                    (E:\\voxa\\myradio\\rock.mra) or native path\n"
    "  DEST              a folder on another drive; the files keep their folders below it\n"
    "options:\n"
    "  --overwrite       replace existing and read-only files in DEST without asking\n"
    "  --skip            keep existing and read-only files without asking; without either,\n"
    "                    each question is answered with its default, which keeps the file\n"
    "  --content-only    copy only the files, no profile copy into DEST's drive voxa\\myradio\n"
    "  --drive LETTER    the player's drive (default: the first profile's drive)\n"
    "  --json            print the results as {\"profiles\": [{\"fileName\": PATH, \"copied\": BOOL,\n"
    "                    \"filesCopied\": NUMBER, \"bytesCopied\": NUMBER, \"filesSkipped\": NUMBER,\n"
    "                    \"filesFailed\": NUMBER, \"elementsMissing\": NUMBER, \"profileCopy\": PATH}],\n"
    "                    \"allCopied\": BOOL}\n"
    "Questions are printed on standard error and answered with their default button;\n"
    "progress goes to standard error too. Exit status: 0 everything was copied, 1 not\n"
    "everything, 2 wrong arguments.\n"
    "example:\n"
    "  voxatool myradio-copy E:\\voxa\\myradio\\rock.mra E:\\voxa\\myradio\\jazz.mra F:\\car --overwrite\n";

int myRadioCopy(const QStringList &args, Io &io)
{
    MyRadioCopyRequest request;
    QStringList rest;
    QChar drive;
    bool json = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--overwrite")) {
            request.overwriteBox = true;
        } else if (a == QLatin1String("--skip")) {
            request.skipBox = true;
        } else if (a == QLatin1String("--json")) {
            json = true;
        } else if (a == QLatin1String("--content-only")) {
            request.contentOnly = true;
        } else if (a == QLatin1String("--drive") && i + 1 < args.size()) {
            drive = platform::driveLetterOf(args[++i].left(1) + QStringLiteral(":"));
            if (drive.isNull()) {
                io.err << "voxatool myradio-copy: --drive takes a letter from C to Z\n";
                return 2;
            }
        } else if (a.startsWith(QLatin1String("--"))) {
            io.err << "voxatool myradio-copy: unknown option " << a << "\n";
            return 2;
        } else {
            rest.append(a);
        }
    }
    if (rest.size() < 2 || (request.overwriteBox && request.skipBox)) {
        io.err << "usage: voxatool myradio-copy [--overwrite | --skip] [--content-only] [--drive LETTER] [--json] "
                  "PROFILE... DEST\n";
        return 2;
    }

    const QString dest = devicePath(rest.takeLast());
    if (dest.isEmpty() || !fs::isDir(dest)) {
        io.err << "voxatool myradio-copy: the destination is no folder on a known drive "
                  "(see voxatool drives)\n";
        return 2;
    }
    QStringList names;
    for (const QString &p : rest) {
        const QString profile = devicePath(p);
        if (profile.isEmpty()) {
            io.err << "voxatool myradio-copy: " << p << " is on no known drive (see voxatool drives)\n";
            return 2;
        }
        if (drive.isNull())
            drive = platform::driveLetterOf(profile);
        request.profiles.append({profile, {}, false});
        names.append(profile);
    }
    if (platform::driveLetterOf(dest) == drive) {
        io.err << "voxatool myradio-copy: the destination must be on another drive than the player's ("
               << drive << ":)\n";
        return 2;
    }
    request.sourceDrive = drive;
    request.targetDirectory = dest;

    ToolQuestions questions(io.err);
    ToolProgress progress(io.err, names);
    MyRadioCopyJob job(request, questions, &progress);
    const MyRadioCopyResult result = job.run();

    if (json) {
        QJsonArray profiles;
        for (const ProfileCopyResult &p : result.profiles)
            profiles.append(QJsonObject{{QStringLiteral("fileName"), p.fileName},
                                        {QStringLiteral("copied"), p.copied && p.elementsMissing == 0},
                                        {QStringLiteral("filesCopied"), p.filesCopied},
                                        {QStringLiteral("bytesCopied"), p.bytesCopied},
                                        {QStringLiteral("filesSkipped"), p.filesSkipped},
                                        {QStringLiteral("filesFailed"), p.filesFailed},
                                        {QStringLiteral("elementsMissing"), p.elementsMissing},
                                        {QStringLiteral("profileCopy"), p.profileCopy}});
        const QJsonObject all{{QStringLiteral("profiles"), profiles},
                              {QStringLiteral("allCopied"), result.allCopied()}};
        io.out << QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Indented));
        return result.allCopied() ? 0 : 1;
    }
    for (const ProfileCopyResult &p : result.profiles) {
        io.out << p.fileName << ": " << (p.copied && p.elementsMissing == 0 ? "copied" : "NOT copied") << ", "
               << p.filesCopied << " files (" << p.bytesCopied << " bytes), " << p.filesSkipped << " skipped, "
               << p.filesFailed << " failed, " << p.elementsMissing << " missing elements";
        if (!p.profileCopy.isEmpty())
            io.out << "; profile copy " << p.profileCopy;
        io.out << "\n";
    }
    io.out << (result.allCopied() ? "everything was copied" : "not everything was copied") << "\n";
    return result.allCopied() ? 0 : 1;
}

const ToolCommand myRadioCopyCommand(
    "myradio-copy", "myradio-copy [--overwrite | --skip] [--content-only] [--drive LETTER] [--json] PROFILE... DEST",
    "copy what MyRadio profiles list from the player's drive (the first profile's, or LETTER) into the "
    "folder DEST on another drive, with a profile copy in that drive's voxa\\myradio unless "
    "--content-only; questions are answered with their default (existing files are kept unless "
    "--overwrite); exit status 0 only when everything was copied",
    Help, myRadioCopy);

}  // namespace
}  // namespace voxa::tool

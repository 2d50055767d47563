#include "music/myradiocopy.h"

#include "app/messagetable.h"
#include "platform/fileops.h"
#include "platform/paths.h"

#include <QFileInfo>
#include <QSet>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace voxa {

// ---------------------------------------------------------------------------
// Questions

MessageBox copyQuestionBox(CopyQuestion question, const QString &path, const QString &systemText)
{
    const QString bracketed = QStringLiteral(" [") + path + QLatin1Char(']');
    MessageBox box;
    box.title = QStringLiteral("Error");
    box.icon = BoxIcon::Warning;
    box.placement = Placement::frameBox();
    box.buttons = Button::Ok;
    box.defaultButton = Button::Ok;
    switch (question) {
    case CopyQuestion::ElementMissing:
        box.text = msg(Msg::FileNotExists) + bracketed;
        box.buttons = Button::Ok | Button::Cancel;
        break;
    case CopyQuestion::ProfileCopyExists:
        box.text = msg(Msg::OverwriteExisting) + bracketed;
        box.buttons = Button::Cancel | Button::Yes;
        box.defaultButton = Button::Cancel;
        break;
    case CopyQuestion::NotEnoughSpace:
        box.text = msg(Msg::NotEnoughSpace);
        break;
    case CopyQuestion::TargetExists:
        box.text = msg(Msg::OverwriteExisting) + bracketed;
        box.buttons = Button::Yes | Button::No;
        box.defaultButton = Button::No;
        break;
    case CopyQuestion::TargetReadOnly:
        box.text = msg(Msg::ReadOnlyOverwrite) + bracketed;
        box.buttons = Button::Yes | Button::No;
        box.defaultButton = Button::No;
        break;
    case CopyQuestion::SourceMissing:
        box.text = msg(Msg::FileNotExists) + bracketed;
        break;
    case CopyQuestion::CannotOpenSource:
        box.text = msg(Msg::CannotOpenFile) + bracketed;
        break;
    case CopyQuestion::CannotCreateTarget:
        box.text = msg(Msg::OpenForWriteError) + bracketed;
        break;
    case CopyQuestion::CopyFailed:
        box.text = msg(Msg::CannotCopyFile) + path + QStringLiteral(" [") + systemText + QLatin1Char(']');
        break;
    case CopyQuestion::CannotCreateFolder:
        box.text = msg(Msg::CannotCreateDirectory) + path;
        break;
    case CopyQuestion::ProfileCannotOpen:
        box.title.clear();  // the application title, as the editor's own box
        box.text = msg(Msg::CannotOpenFile) + bracketed;
        break;
    case CopyQuestion::ProfileWrongFormat:
        box.text = msg(Msg::WrongFileFormat);
        box.icon = BoxIcon::Error;
        break;
    case CopyQuestion::ProfileCannotSave:
        box.text = msg(Msg::OpenForWriteError) + bracketed;
        break;
    }
    return box;
}

Button PromptCopyQuestions::ask(CopyQuestion question, const QString &path, const QString &systemText)
{
    return prompts().message(copyQuestionBox(question, path, systemText));
}

// ---------------------------------------------------------------------------
// Paths, roots, progress

QString NormalizeRelativePath(const QString &path)
{
    QString p = path;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QStringList out;
    for (const QString &part : p.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.append(part);
    }
    return out.join(QLatin1Char('\\'));
}

namespace {

// Copies the next block of at most CopyBlockSize bytes: the count, 0 at the
// end of the file, or -1 with errno set. Inside the kernel while the file
// systems allow it (no copy through this process's memory), else through
// the buffer.
ssize_t copyBlock(int in, int out, bool &inKernel, std::vector<char> &buffer)
{
    for (;;) {
        if (inKernel) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(CopyBlockSize), 0);
            if (n >= 0)
                return n;
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EBADF)
                return -1;
            // Both offsets stand where the last block ended.
            inKernel = false;
        }
        if (buffer.empty())
            buffer.resize(static_cast<size_t>(CopyBlockSize));
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w == 0)
                errno = ENOSPC;
            if (w <= 0)
                return -1;
            done += w;
        }
        return n;
    }
}

// True when path is dir or lies below it in whole components. The empty
// path is the drive's root, which holds everything.
bool isAtOrInside(const QString &path, const QString &dir)
{
    if (dir.isEmpty())
        return true;
    if (path.size() == dir.size())
        return path.compare(dir, Qt::CaseInsensitive) == 0;
    return path.size() > dir.size() && path[dir.size()] == QLatin1Char('\\')
           && QStringView(path).left(dir.size()).compare(dir, Qt::CaseInsensitive) == 0;
}

}  // namespace

void MergeCopyRoot(QList<CopyRoot> &roots, const CopyRoot &entry)
{
    for (const CopyRoot &r : roots)
        if (r.isDir && isAtOrInside(entry.path, r.path))
            return;
    if (entry.isDir) {
        qsizetype first = -1;
        for (qsizetype i = 0; i < roots.size();) {
            if (isAtOrInside(roots[i].path, entry.path)) {
                if (first < 0) {
                    roots[i] = entry;
                    first = i++;
                } else {
                    roots.removeAt(i);
                }
            } else {
                ++i;
            }
        }
        if (first >= 0)
            return;
    } else {
        for (const CopyRoot &r : roots)
            if (!r.isDir && r.path.compare(entry.path, Qt::CaseInsensitive) == 0)
                return;
    }
    roots.append(entry);
}

QString ProfileCopyFolder(const QString &targetFolder, const QString &folder)
{
    // "D:" and "D:\" give "", "D:\backup\" gives "\backup".
    QString t = platform::isDevicePath(targetFolder) ? targetFolder.mid(2) : targetFolder;
    while (t.endsWith(QLatin1Char('\\')))
        t.chop(1);
    if (folder.startsWith(QLatin1Char('\\')))
        return t + folder;
    return t + QLatin1Char('\\') + folder;
}

int CopyPercent(qint64 position, qint64 maximum)
{
    if (maximum <= 0 || position <= 0)
        return 0;
    if (position >= maximum)
        return 100;
    // position * 100 / maximum rounded half to even, in integers so sizes
    // of many gigabytes lose nothing.
    const __int128 num = __int128(position) * 100;
    const qint64 q = qint64(num / maximum);
    const __int128 rem2 = (num % maximum) * 2;
    if (rem2 > maximum || (rem2 == maximum && (q % 2) != 0))
        return int(q + 1);
    return int(q);
}

QString CopyProgressCaption(const QString &buttonCaption, qint64 position, qint64 maximum)
{
    return buttonCaption + QStringLiteral("... ") + QString::number(CopyPercent(position, maximum))
           + QLatin1Char('%');
}

CopySwitches CopySwitches::fromBoxes(bool overwriteBox, bool skipBox)
{
    CopySwitches s;
    if (overwriteBox) {
        s.overwriteExisting = s.overwriteReadOnly = true;
    } else if (skipBox) {
        s.skipExisting = s.skipReadOnly = true;
    }
    return s;
}

bool MyRadioCopyResult::allCopied() const
{
    if (cancelled || aborted || profiles.isEmpty())
        return false;
    for (const ProfileCopyResult &p : profiles)
        if (!p.copied || p.elementsMissing > 0)
            return false;
    return true;
}

// ---------------------------------------------------------------------------
// The job

namespace {

QString canonical(const QString &devicePath)
{
    const QString native = platform::toNative(devicePath);
    return native.isEmpty() ? QString() : QFileInfo(native).canonicalFilePath();
}

bool nativeInside(const QString &path, const QString &root)
{
    if (path.isEmpty() || root.isEmpty())
        return false;
    return path == root || root == QLatin1String("/") || path.startsWith(root + QLatin1Char('/'));
}

// A new file beside the target, named after it, for the copy to be written
// into before it takes the target's name.
fs::UniqueFd openPartFile(const QString &targetNative, QByteArray &partName)
{
    const QString folderNative = QFileInfo(targetNative).absolutePath();
    const QString baseName = QFileInfo(targetNative).fileName();
    fs::UniqueFd out;
    for (int attempt = 0; attempt < 100 && !out.valid(); ++attempt) {
        partName = QFile::encodeName(folderNative + QStringLiteral("/.") + baseName.left(200)
                                     + (attempt ? QString::number(attempt) : QString()) + QStringLiteral(".part"));
        out.reset(::open(partName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!out.valid() && errno != EEXIST)
            break;
    }
    return out;
}

// The answer a switch gives without a box, else the user's.
Button switchedAnswer(bool yes, bool no, const std::function<Button()> &ask)
{
    return no ? Button::No : yes ? Button::Yes : ask();
}

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

}  // namespace

struct MyRadioCopyJob::Impl {
    MyRadioCopyRequest request;
    CopyQuestions &questions;
    CopyObserver *observer;
    std::atomic<bool> stop{false};
    bool aborted = false;
    CopySwitches switches;

    // The target folder ("D:" or "D:\backup") and the root of the player's
    // drive ("E:\"), each with its real native path, looked up once.
    platform::DevicePath targetDir;
    platform::DevicePath sourceRoot;
    qint64 position = 0;
    qint64 maximum = 0;
    int shownPercent = -1;
    ProfileCopyResult *current = nullptr;

    Impl(MyRadioCopyRequest r, CopyQuestions &q, CopyObserver *o)
        : request(std::move(r)), questions(q), observer(o)
    {
    }

    bool stopped() const { return stop.load(std::memory_order_relaxed); }

    // None when the job was stopped before or while asking.
    Button ask(CopyQuestion q, const QString &path, const QString &systemText = QString())
    {
        if (stopped())
            return Button::None;
        const Button b = questions.ask(q, path, systemText);
        return stopped() ? Button::None : b;
    }

    void clearProgress()
    {
        position = maximum = 0;
        shownPercent = -1;
        if (observer)
            observer->progressCleared();
    }

    void startProgress(qint64 max)
    {
        maximum = max;
        position = MyRadioFileSize;
        shownPercent = CopyPercent(position, maximum);
        if (observer) {
            observer->progressStarted(maximum);
            observer->progressChanged(position, maximum);
        }
    }

    // Moves the bar; the observer hears of it when the shown percentage
    // changes or when forced (end of a file).
    void advance(qint64 by, bool force = false)
    {
        position = std::min(position + std::max<qint64>(by, 0), maximum);
        const int p = CopyPercent(position, maximum);
        if (observer && (force || p != shownPercent))
            observer->progressChanged(position, maximum);
        shownPercent = p;
    }

    void moveTo(qint64 pos)
    {
        advance(pos - position, true);
    }

    // -- sizes --------------------------------------------------------------

    qint64 sizeOf(const QString &path, QSet<QString> &chain)
    {
        if (stopped())
            return 0;
        if (!fs::isDir(path))
            return std::max<qint64>(fs::fileSize(path), 0);
        const QString real = canonical(path);
        if (real.isEmpty() || chain.contains(real) || !nativeInside(real, sourceRoot.native()))
            return 0;
        chain.insert(real);
        qint64 total = 0;
        for (const fs::Entry &e : fs::listDir(path)) {
            if (stopped())
                break;
            if (e.name.contains(QLatin1Char('\\')))
                continue;
            total += e.isDir ? sizeOf(platform::joinDevice(path, e.name), chain) : e.size;
        }
        chain.remove(real);
        return total;
    }

    qint64 sizeOf(const QString &path)
    {
        QSet<QString> chain;
        return sizeOf(path, chain);
    }

    // -- target folders ------------------------------------------------------

    // Creates a folder of the target with its parents and makes sure it
    // really lies inside the target directory (a link inside the target
    // must not lead the copy elsewhere).
    bool makeTargetFolder(const QString &folder)
    {
        if (!fs::isDir(folder) && !fs::makePath(folder))
            return false;
        return nativeInside(canonical(folder), targetDir.native());
    }

    // -- copying -------------------------------------------------------------

    bool copyEntry(const QString &source, const QString &target, bool isRoot)
    {
        if (stopped())
            return false;
        const QString sourceCanon = canonical(source);
        // A link that leads off the player's drive is treated as missing:
        // nothing outside the drive is read.
        const bool onDrive = nativeInside(sourceCanon, sourceRoot.native());
        if (onDrive && fs::isDir(source)) {
            // Never walk into the folder being written to.
            if (!isRoot && sourceCanon == targetDir.native())
                return true;
            if (!makeTargetFolder(target)) {
                ask(CopyQuestion::CannotCreateFolder, target);
                advance(sizeOf(source), true);
                if (current)
                    ++current->filesFailed;
                return false;
            }
            bool ok = true;
            for (const fs::Entry &e : fs::listDir(source)) {
                if (stopped())
                    return false;
                // A "\" in a name cannot be on the player's drive and would
                // read as a folder boundary.
                if (e.name.contains(QLatin1Char('\\'))) {
                    ask(CopyQuestion::SourceMissing, source + QLatin1Char('\\') + e.name);
                    ok = false;
                    continue;
                }
                ok = copyEntry(platform::joinDevice(source, e.name), platform::joinDevice(target, e.name),
                               false)
                     && ok;
            }
            return ok && !stopped();
        }
        if (!onDrive || !fs::isRegularFile(source)) {
            ask(CopyQuestion::SourceMissing, source);
            if (current)
                ++current->filesFailed;
            return false;
        }
        const qint64 size = std::max<qint64>(fs::fileSize(source), 0);
        if (!makeTargetFolder(platform::folderOf(target))) {
            // Reported rather than counted as done: the file is not there.
            ask(CopyQuestion::CannotCreateTarget, target);
            advance(size, true);
            if (current)
                ++current->filesFailed;
            return false;
        }
        return copyFile(source, target, size);
    }

    bool skip(qint64 size)
    {
        advance(size, true);
        if (current)
            ++current->filesSkipped;
        return false;
    }

    bool fail(qint64 fileStart, qint64 size)
    {
        moveTo(fileStart + size);
        if (current)
            ++current->filesFailed;
        return false;
    }

    // Whether an existing target may be overwritten, and made writable
    // when read-only; the switches answer for the boxes.
    Button askOverwrite(const QString &target)
    {
        const Button b = switchedAnswer(switches.overwriteExisting, switches.skipExisting,
                                        [&] { return ask(CopyQuestion::TargetExists, target); });
        if (b != Button::Yes)
            return b;
        return askToMakeWritable(target, [&] {
            return switchedAnswer(switches.overwriteReadOnly, switches.skipReadOnly,
                                  [&] { return ask(CopyQuestion::TargetReadOnly, target); });
        });
    }

    bool copyFile(const QString &source, const QString &target, qint64 size)
    {
        const qint64 fileStart = position;
        if (fs::exists(target)) {
            if (stopped())
                return false;
            if (fs::isDir(target)) {
                ask(CopyQuestion::CannotCreateTarget, target);
                return fail(fileStart, size);
            }
            // A stop while asking (None) ends the copy, any other answer
            // but Yes skips the file.
            const Button b = askOverwrite(target);
            if (b == Button::None)
                return false;
            if (b != Button::Yes)
                return skip(size);
        }

        fs::UniqueFd in(::open(QFile::encodeName(platform::toNative(source)).constData(), O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (!in.valid() || ::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            ask(CopyQuestion::CannotOpenSource, source);
            return fail(fileStart, size);
        }

        // The copy is written beside the target under a passing name and
        // renamed over it only when complete, so a cancelled or failed copy
        // leaves no truncated file that looks whole, and an existing target
        // stays as it was.
        const QString targetNative = platform::toNative(target);
        QByteArray partName;
        fs::UniqueFd out = openPartFile(targetNative, partName);
        if (!out.valid()) {
            ask(CopyQuestion::CannotCreateTarget, target);
            return fail(fileStart, size);
        }
        auto dropPart = [&] {
            out.close();
            ::unlink(partName.constData());
        };

        // One block at a time, so progress and cancel keep their pace.
        ::posix_fadvise(in.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
        bool inKernel = true;
        std::vector<char> buffer;
        qint64 written = 0;
        for (;;) {
            if (stopped()) {
                dropPart();
                return false;
            }
            const ssize_t n = copyBlock(in.get(), out.get(), inKernel, buffer);
            if (n < 0) {
                const int err = errno;
                dropPart();
                ask(CopyQuestion::CopyFailed, source, errnoText(err));
                return fail(fileStart, size);
            }
            if (n == 0)
                break;
            written += n;
            advance(n);
        }
        in.close();
        // The data reaches the disk before the name does: a power cut just
        // after the rename must not leave an empty file where a whole one
        // was. A file system that cannot sync says EINVAL.
        if (::fdatasync(out.get()) != 0 && errno != EINVAL) {
            const int err = errno;
            dropPart();
            ask(CopyQuestion::CopyFailed, source, errnoText(err));
            return fail(fileStart, size);
        }
        const int closeErr = out.close();
        if (closeErr != 0) {
            ::unlink(partName.constData());
            ask(CopyQuestion::CopyFailed, source, errnoText(closeErr));
            return fail(fileStart, size);
        }
        if (::rename(partName.constData(), QFile::encodeName(targetNative).constData()) != 0) {
            const int err = errno;
            ::unlink(partName.constData());
            ask(CopyQuestion::CopyFailed, source, errnoText(err));
            return fail(fileStart, size);
        }
        // The file may have grown or shrunk since it was counted.
        if (written != size)
            moveTo(fileStart + written);
        advance(1, true);
        if (current) {
            ++current->filesCopied;
            current->bytesCopied += written;
        }
        return true;
    }

    // -- one profile -----------------------------------------------------------

    void copyProfile(const CopyProfile &profile, const QList<MyRadioElement> &elements,
                     ProfileCopyResult &result)
    {
        current = &result;
        // 1. The copy roots.
        QList<CopyRoot> roots;
        QList<MyRadioElement> normalized;
        for (const MyRadioElement &e : elements) {
            if (stopped())
                return;
            const QString rel = NormalizeRelativePath(e.path());
            const QString source = sourceRoot.device() + rel;
            {
                const qsizetype cut = rel.lastIndexOf(QLatin1Char('\\'));
                MyRadioElement n = e;
                n.folder = rel.left(cut + 1);
                n.name = rel.mid(cut + 1);
                normalized.append(n);
            }
            const bool isDir = fs::isDir(source);
            if (!isDir && (rel.isEmpty() || !fs::isFile(source))) {
                const Button b = ask(CopyQuestion::ElementMissing, source);
                if (b == Button::Ok) {
                    ++result.elementsMissing;
                    continue;
                }
                if (b == Button::Cancel)
                    aborted = true;
                return;
            }
            MergeCopyRoot(roots, {rel, isDir});
        }

        // 2. Size and free space, before anything is written: a drive too
        // small gets neither the files nor a profile copy pointing at them.
        qint64 total = MyRadioFileSize;
        for (const CopyRoot &r : roots) {
            if (stopped())
                return;
            total += sizeOf(sourceRoot.device() + r.path);
        }
        const qint64 free = fs::freeSpace(targetDir.device());
        if (free >= 0 && free < total) {
            ask(CopyQuestion::NotEnoughSpace, QString());
            return;
        }

        // 3. The profile copy, its paths pointing at the copies.
        if (!request.contentOnly && !profile.fileName.isEmpty()) {
            const QString folder = platform::joinDevice(targetDir.device().left(2), request.profileFolder);
            if (fs::makePath(folder) && fs::isDir(folder)) {
                const QString copyName = platform::joinDevice(folder, platform::fileNameOf(profile.fileName));
                if (fs::exists(copyName) && !switches.overwriteExisting) {
                    const Button b = ask(CopyQuestion::ProfileCopyExists, copyName);
                    if (b != Button::Yes) {
                        if (b == Button::Cancel)
                            aborted = true;
                        stop = true;
                        return;
                    }
                    switches.overwriteExisting = true;
                }
                QList<MyRadioElement> changed = normalized;
                for (MyRadioElement &e : changed)
                    e.folder = ProfileCopyFolder(targetDir.device(), e.folder);
                const WriteResult w = WriteMyRadioFile(copyName, changed);
                if (w.failed()) {
                    ask(CopyQuestion::ProfileCannotSave, copyName);
                    clearProgress();
                    return;
                }
                result.profileCopy = copyName;
            }
        }

        // 4. The copy.
        startProgress(total);
        bool ok = true;
        for (const CopyRoot &r : roots) {
            if (stopped())
                break;
            const QString to =
                r.path.isEmpty() ? targetDir.device() : targetDir.device() + QLatin1Char('\\') + r.path;
            ok = copyEntry(sourceRoot.device() + r.path, to, true) && ok;
        }
        // 5. A Yes to the profile copy's question held for this profile only.
        if (!request.overwriteBox)
            switches.overwriteExisting = switches.overwriteReadOnly = false;
        // 6.
        result.copied = ok && !stopped();
    }

    MyRadioCopyResult run()
    {
        MyRadioCopyResult all;
        switches = CopySwitches::fromBoxes(request.overwriteBox, request.skipBox);
        QString folder = request.targetDirectory;
        while (folder.endsWith(QLatin1Char('\\')))
            folder.chop(1);
        const QString root = QString(request.sourceDrive.toUpper()) + QStringLiteral(":\\");
        sourceRoot = platform::DevicePath::known(root, canonical(root));

        for (const CopyProfile &p : request.profiles) {
            ProfileCopyResult r;
            r.fileName = p.fileName;
            all.profiles.append(r);
        }
        if (folder.isEmpty() || !platform::isDevicePath(folder) || request.profiles.isEmpty())
            return all;
        if (!fs::isDir(folder) && !fs::makePath(folder)) {
            ask(CopyQuestion::CannotCreateFolder, folder);
            return all;
        }
        targetDir = platform::DevicePath::known(folder, canonical(folder));

        for (int i = 0; i < request.profiles.size(); ++i) {
            if (stopped())
                break;
            const CopyProfile &profile = request.profiles[i];
            ProfileCopyResult &result = all.profiles[i];
            if (observer)
                observer->profileStarted(i, profile.fileName);
            QList<MyRadioElement> elements = profile.elements;
            result.read = profile.loaded;
            if (!profile.loaded) {
                const auto read = ReadMyRadioFile(profile.fileName);
                if (read.ok()) {
                    elements = read.value();
                    result.read = true;
                } else if (read.error().reason == FileFailure::CannotOpen) {
                    ask(CopyQuestion::ProfileCannotOpen, profile.fileName);
                } else {
                    ask(CopyQuestion::ProfileWrongFormat, profile.fileName);
                }
            }
            if (result.read)
                copyProfile(profile, elements, result);
            current = nullptr;
            if (observer)
                observer->profileFinished(i, result);
        }
        all.cancelled = stopped();
        all.aborted = aborted;
        return all;
    }
};

MyRadioCopyJob::MyRadioCopyJob(MyRadioCopyRequest request, CopyQuestions &questions, CopyObserver *observer)
    : d(std::make_unique<Impl>(std::move(request), questions, observer))
{
}

MyRadioCopyJob::~MyRadioCopyJob() = default;

MyRadioCopyResult MyRadioCopyJob::run()
{
    return d->run();
}

void MyRadioCopyJob::cancel()
{
    d->stop = true;
}

bool MyRadioCopyJob::cancelRequested() const
{
    return d->stopped();
}

// ---------------------------------------------------------------------------
// The task

// Runs on the worker: passes questions to the user-interface thread and
// progress out as signals.
class TCopyTask::Bridge : public CopyQuestions, public CopyObserver {
public:
    Bridge(TCopyTask *task, CopyQuestions &ui) : m_task(task), m_ui(ui) {}

    JobControl *control = nullptr;  // set while the worker runs

    Button ask(CopyQuestion question, const QString &path, const QString &systemText) override
    {
        CopyQuestions *ui = &m_ui;
        const QVariant answer = control->ask(
            [ui, question, path, systemText] { return QVariant(int(ui->ask(question, path, systemText))); });
        return answer.isValid() ? Button(answer.toInt()) : Button::None;
    }

    void progressCleared() override { emit m_task->progressCleared(); }
    void progressStarted(qint64 maximum) override { emit m_task->progressStarted(maximum); }
    void progressChanged(qint64 position, qint64 maximum) override
    {
        emit m_task->progressChanged(position, maximum);
    }
    void profileStarted(int index, const QString &fileName) override
    {
        emit m_task->profileStarted(index, fileName);
    }
    void profileFinished(int index, const ProfileCopyResult &result) override
    {
        emit m_task->profileFinished(index, result.copied);
    }

private:
    TCopyTask *m_task;
    CopyQuestions &m_ui;
};

TCopyTask::TCopyTask(MyRadioCopyRequest request, CopyQuestions &uiQuestions, QObject *parent)
    : QObject(parent), m_bridge(std::make_unique<Bridge>(this, uiQuestions))
{
    m_copy = std::make_unique<MyRadioCopyJob>(std::move(request), *m_bridge, m_bridge.get());
    connect(&m_job, &Job::finished, this, &TCopyTask::finished);
}

TCopyTask::~TCopyTask()
{
    // The job, the last member, goes first: it cancels and waits for the
    // worker, which still uses the bridge and the copy, and sends nothing.
    m_copy->cancel();
}

void TCopyTask::start()
{
    m_started = true;
    Bridge *bridge = m_bridge.get();
    MyRadioCopyJob *copy = m_copy.get();
    m_job.start([bridge, copy](JobControl &control) {
        bridge->control = &control;
        return JobResult::success(QVariant::fromValue(copy->run()));
    });
}

void TCopyTask::cancel()
{
    m_copy->cancel();
    m_job.cancel();
}

void TCopyTask::cancelAndWait()
{
    cancel();
    m_job.wait();
}

MyRadioCopyResult TCopyTask::result() const
{
    return m_job.result().value.value<MyRadioCopyResult>();
}

}  // namespace voxa

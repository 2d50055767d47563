#include "music/dirsort.h"

#include "app/messagetable.h"
#include "platform/codepage.h"
#include "platform/drives.h"
#include "platform/paths.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <vector>

namespace voxa {

// ------------------------------------------------------------ file layer

QList<fs::Entry> SortFileOps::listDir(const QString &folder, bool *ok) { return fs::listDir(folder, ok); }
bool SortFileOps::isDir(const QString &path) { return fs::isDir(path); }
bool SortFileOps::exists(const QString &path) { return fs::exists(path); }
bool SortFileOps::rename(const QString &from, const QString &to) { return fs::rename(from, to); }
bool SortFileOps::makePath(const QString &folder) { return fs::makePath(folder); }
bool SortFileOps::removeDir(const QString &folder) { return fs::removeDir(folder); }
bool SortFileOps::removeFile(const QString &path) { return fs::removeFile(path); }
QString SortFileOps::lastErrorText() { return fs::lastErrorText(); }

bool SortFileOps::syncDrive(const QString &folder) { return fs::syncFileSystem(folder); }

QString SortFileOps::writeJournal(const QString &path, const QByteArray &bytes)
{
    // Never over another program's journal: its folder would be forgotten.
    const QString error = fs::writeNewFile(path, bytes);
    if (!error.isEmpty())
        return error;
    // The journal's own entry must be on the disk before the first move.
    if (!fs::flushFolder(platform::folderOf(path)))
        return fs::lastErrorText();
    return {};
}

SortFileOps &defaultSortFileOps()
{
    static SortFileOps ops;
    return ops;
}

// ------------------------------------------------------------ name order

namespace {

// The sort weight of each UTF-16 unit: its code-page byte after lower-casing
// and the replacements, or 0x100 + the unit when the code page lacks it.
const std::array<quint32, 65536> &weights()
{
    static const std::array<quint32, 65536> table = [] {
        std::array<quint32, 65536> w {};
        for (quint32 u = 0; u < 65536; ++u) {
            const int b = codePageByte(QChar(char16_t(u)));
            w[u] = b < 0 ? 0x100 + u : quint32(b);
        }
        for (char c = 'A'; c <= 'Z'; ++c)
            w[uchar(c)] = uchar(c - 'A' + 'a');
        // The accented vowels of the code page, small and capital, and what
        // they sort as.
        const struct { int small, capital; char as; } repl[] = {
            {225, 193, 'b'}, {233, 201, 'g'}, {237, 205, 'l'}, {243, 211, 's'}, {246, 214, 't'},
            {245, 213, 'u'}, {250, 218, '|'}, {252, 220, '}'}, {251, 219, '~'},
        };
        for (const auto &r : repl) {
            const char bytes[2] = {char(r.small), char(r.capital)};
            const QString chars = fromCodePage(QByteArrayView(bytes, 2));
            w[chars[0].unicode()] = uchar(r.as);
            w[chars[1].unicode()] = uchar(r.as);
        }
        return w;
    }();
    return table;
}

using SortKey = std::vector<quint32>;

SortKey sortKey(QStringView name)
{
    const auto &w = weights();
    SortKey key;
    key.reserve(size_t(name.size()));
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        // A character beyond the 16-bit range sorts by its whole code point.
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            key.push_back(0x100 + QChar::surrogateToUcs4(c, name[i + 1]));
            ++i;
        } else {
            key.push_back(w[c.unicode()]);
        }
    }
    return key;
}

int compareKeys(const SortKey &a, const SortKey &b)
{
    const auto r = std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end());
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

}  // namespace

int CompareSortNames(QStringView a, QStringView b)
{
    return compareKeys(sortKey(a), sortKey(b));
}

SortGroup SortGroupOf(QStringView name, bool isDir)
{
    if (isDir)
        return SortGroup::Directory;
    const QStringView kind = name.size() >= 3 ? name.right(3) : name;
    if (kind.compare(QLatin1String("MP3"), Qt::CaseInsensitive) == 0)
        return SortGroup::Mp3;
    if (kind.compare(QLatin1String("M3U"), Qt::CaseInsensitive) == 0)
        return SortGroup::M3u;
    return SortGroup::Other;
}

// ------------------------------------------------------------ qualification

namespace {

QString nativeJoin(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

// A link to a folder is moved as an entry of its own and never entered, so
// a link cannot lead the sort out of the tree or round in a circle.
bool isRealDir(const fs::Entry &e) { return e.isDir && !e.isLink; }

bool qualifies(const QString &native, SortFileOps &ops)
{
    int count = 0;
    for (const fs::Entry &e : ops.listDir(native, nullptr)) {
        if (isRealDir(e)) {
            if (++count > 100)
                return true;
            if (qualifies(nativeJoin(native, e.name), ops))
                return true;
        } else if (SortGroupOf(e.name, false) != SortGroup::Other) {
            if (++count > 100)
                return true;
        }
    }
    return false;
}

}  // namespace

bool DirectoryQualifies(const platform::DevicePath &dir, SortFileOps &ops)
{
    return qualifies(dir.native(), ops);
}

// ------------------------------------------------------------ the tree

namespace {

bool listTree(const QString &native, TSortNode &node, QString *error, SortFileOps &ops)
{
    bool ok = false;
    const QList<fs::Entry> entries = ops.listDir(native, &ok);
    if (!ok) {
        if (error)
            *error = ops.lastErrorText() + QStringLiteral(" [") + native + QLatin1Char(']');
        return false;
    }
    node.Entries.reserve(entries.size());
    for (const fs::Entry &e : entries) {
        TSortNode child;
        child.Name = e.name;
        child.IsDir = isRealDir(e);
        if (child.IsDir && !listTree(nativeJoin(native, e.name), child, error, ops))
            return false;
        node.Entries.append(std::move(child));
    }
    return true;
}

}  // namespace

bool ListSortTree(const platform::DevicePath &dir, TSortNode &root, QString *error, SortFileOps &ops)
{
    const QString &native = dir.native();
    root = TSortNode{};
    root.Name = platform::fileNameOf(native);
    root.IsDir = true;
    return listTree(native, root, error, ops);
}

TSortNode SortedTree(const TSortNode &listed)
{
    TSortNode out;
    out.Name = listed.Name;
    out.IsDir = listed.IsDir;
    struct Item {
        SortGroup group;
        SortKey key;
        qsizetype index;
    };
    std::vector<Item> items;
    items.reserve(size_t(listed.Entries.size()));
    // Walking the listing backwards and sorting stably puts the later-listed
    // of two equal names first: each entry goes before its equals.
    for (qsizetype i = listed.Entries.size() - 1; i >= 0; --i) {
        const TSortNode &e = listed.Entries[i];
        items.push_back({SortGroupOf(e.Name, e.IsDir), sortKey(e.Name), i});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        if (a.group != b.group)
            return a.group < b.group;
        return compareKeys(a.key, b.key) < 0;
    });
    out.Entries.reserve(listed.Entries.size());
    for (const Item &it : items) {
        const TSortNode &e = listed.Entries[it.index];
        out.Entries.append(e.IsDir ? SortedTree(e) : e);
    }
    return out;
}

int CountFiles(const TSortNode &tree)
{
    int n = 0;
    for (const TSortNode &e : tree.Entries)
        n += e.IsDir ? CountFiles(e) : 1;
    return n;
}

// ------------------------------------------------------------ journal

namespace {

const QByteArray Bom("\xEF\xBB\xBF");

enum class RelativeCheck { Ok, Bad, HoldsWorkFolder };

RelativeCheck checkRelative(const QString &rel, QString *why)
{
    if (rel.isEmpty()) {
        *why = QStringLiteral("the drive's root");
        return RelativeCheck::HoldsWorkFolder;
    }
    const QStringList parts = rel.split(QLatin1Char('\\'));
    for (const QString &p : parts) {
        if (p.isEmpty() || p == QLatin1String(".") || p == QLatin1String("..")) {
            *why = QStringLiteral("empty, \".\" or \"..\" folder name");
            return RelativeCheck::Bad;
        }
        for (QChar c : p) {
            if (c.unicode() < 0x20 || c == QLatin1Char('/') || c == QLatin1Char(':')) {
                *why = QStringLiteral("a control character, \"/\" or \":\" in a folder name");
                return RelativeCheck::Bad;
            }
        }
    }
    if (parts[0].compare(QLatin1String("voxa"), Qt::CaseInsensitive) == 0
        && (parts.size() == 1 || parts[1].compare(QLatin1String("Temp"), Qt::CaseInsensitive) == 0)) {
        *why = QStringLiteral("holds or lies in voxa\\Temp");
        return RelativeCheck::HoldsWorkFolder;
    }
    return RelativeCheck::Ok;
}

}  // namespace

QString SortWorkFolder(QChar drive)
{
    return QString(drive.toUpper()) + QStringLiteral(":\\voxa\\Temp");
}

QString SortJournalPath(QChar drive)
{
    return SortWorkFolder(drive) + QStringLiteral("\\Sort.dat");
}

bool SortJournalExists(QChar drive)
{
    return fs::exists(SortJournalPath(drive));
}

QByteArray EncodeSortJournal(const QString &dir)
{
    const QByteArray line = isCodePageText(dir) ? toCodePage(dir) : Bom + dir.toUtf8();
    return line + "\r\n";
}

SortJournal ParseSortJournal(QByteArrayView bytes)
{
    SortJournal j;
    if (bytes.size() > SortJournalMaxBytes) {
        j.Error = QStringLiteral("the journal is too long");
        return j;
    }
    qsizetype end = 0;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    // A line cut short might name a neighbour of the folder being sorted.
    if (end == bytes.size()) {
        j.Error = bytes.isEmpty() ? QStringLiteral("the journal is empty") : QStringLiteral("the journal's line is cut short");
        return j;
    }
    QByteArrayView line = bytes.first(end);
    QString text;
    if (line.startsWith(QByteArrayView(Bom))) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(line.sliced(Bom.size()));
        if (utf8.hasError()) {
            j.Error = QStringLiteral("the journal is not valid UTF-8");
            return j;
        }
    } else {
        text = fromCodePage(line);
    }
    if (text.isEmpty()) {
        j.Error = QStringLiteral("the journal is empty");
        return j;
    }
    if (text.size() < 3 || !platform::isDevicePath(text) || text[2] != QLatin1Char('\\')) {
        j.Error = QStringLiteral("the journal does not hold a drive's path");
        return j;
    }
    QString why;
    if (checkRelative(text.mid(3), &why) != RelativeCheck::Ok) {
        j.Error = QStringLiteral("the journal's path is not a folder that can be sorted: ") + why;
        return j;
    }
    j.Valid = true;
    j.Written = text;
    j.Relative = text.mid(3);
    return j;
}

SortJournal ReadSortJournal(QChar drive)
{
    QString error;
    const auto bytes = fs::readRegularFile(SortJournalPath(drive), SortJournalMaxBytes + 1, &error);
    if (!bytes) {
        SortJournal j;
        j.Error = error;
        return j;
    }
    return ParseSortJournal(*bytes);
}

QString JournalDirectoryOn(const SortJournal &journal, QChar drive)
{
    if (!journal.Valid)
        return {};
    return QString(drive.toUpper()) + QStringLiteral(":\\") + journal.Relative;
}

QString ExactNativePath(QChar drive, const QString &relative)
{
    QString root = platform::driveTable().rootOf(drive.toUpper());
    if (root.isEmpty())
        return {};
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return rel.isEmpty() ? root : nativeJoin(root, rel);
}

bool IsJournalLeftover(const QString &name)
{
    static const QLatin1String prefix("Sort.dat.");
    if (!name.startsWith(prefix, Qt::CaseInsensitive))
        return false;
    const QStringView rest = QStringView(name).sliced(prefix.size());
    return !rest.isEmpty() && rest.size() <= 6 && std::all_of(rest.begin(), rest.end(), [](QChar c) {
        return c.unicode() < 128 && c.isLetterOrNumber();
    });
}

// ------------------------------------------------------------ the drive lock

bool LockSortDrive(QChar drive, fs::FolderLock &lock, QString *why)
{
    drive = drive.toUpper();
    const QString root = platform::driveTable().rootOf(drive);
    switch (root.isEmpty() ? fs::FolderLock::Result::Failed : lock.tryLock(root)) {
    case fs::FolderLock::Result::Taken:
        return true;
    case fs::FolderLock::Result::Busy:
        if (why)
            *why = DriveBusyText(drive);
        return false;
    case fs::FolderLock::Result::Failed:
        break;
    }
    if (why)
        *why = QStringLiteral("cannot lock the drive for the sort: ")
               + (root.isEmpty() ? QStringLiteral("no such drive") : fs::lastErrorText()) + QStringLiteral(" [")
               + QString(drive) + QStringLiteral(":\\]");
    return false;
}

bool SortDriveBusy(QChar drive)
{
    const QString root = platform::driveTable().rootOf(drive.toUpper());
    fs::FolderLock probe;
    return !root.isEmpty() && probe.tryLock(root) == fs::FolderLock::Result::Busy;
}

// ------------------------------------------------------------ the plan

namespace {

void planMoves(const TSortNode &node, const platform::DevicePath &src, const platform::DevicePath &dst,
               QList<SortStep> &steps)
{
    steps.append({SortStep::Kind::MakeDir, {}, dst});
    for (const TSortNode &e : node.Entries) {
        const platform::DevicePath from = src.child(e.Name), to = dst.child(e.Name);
        if (e.IsDir)
            planMoves(e, from, to, steps);
        else
            steps.append({SortStep::Kind::MoveFile, from, to});
    }
    steps.append({SortStep::Kind::RemoveDir, src, {}});
}

bool insideOrSame(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

}  // namespace

SortPlan PlanSort(const platform::DevicePath &path, SortFileOps &ops)
{
    const QString &dir = path.device();
    SortPlan plan;
    auto refuse = [&](PlanProblem p, const QString &detail) {
        plan.Problem = p;
        plan.Detail = detail;
        plan.Steps.clear();
        return plan;
    };
    const QChar drive = platform::driveLetterOf(dir);
    QString root = drive.isNull() ? QString() : platform::driveTable().rootOf(drive);
    if (root.isEmpty())
        return refuse(PlanProblem::NotOnDrive, dir);
    if (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    QString native = path.native();
    while (native.size() > 1 && native.endsWith(QLatin1Char('/')))
        native.chop(1);
    if (!ops.isDir(native))
        return refuse(PlanProblem::NotFound, dir);
    if (QFileInfo(native).isSymLink())
        return refuse(PlanProblem::BadName, dir);

    // The folder as stored, so the rebuilt folder gets back its own spelling.
    QString rel;
    if (root == QLatin1String("/"))
        rel = native.mid(1);
    else if (native.startsWith(root + QLatin1Char('/')))
        rel = native.mid(root.size() + 1);
    rel.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QString why;
    switch (checkRelative(rel, &why)) {
    case RelativeCheck::Ok:
        break;
    case RelativeCheck::Bad:
        return refuse(PlanProblem::BadName, dir + QStringLiteral(": ") + why);
    case RelativeCheck::HoldsWorkFolder:
        return refuse(PlanProblem::HoldsWorkFolder, dir);
    }
    plan.Directory = platform::DevicePath::known(QString(drive) + QStringLiteral(":\\") + rel, native);
    plan.WorkFolder = SortWorkFolder(drive);
    plan.Journal = SortJournalPath(drive);
    // The journal and the rebuilt folder lie in the work folder as named.
    plan.Rebuilt = plan.WorkFolder.child(platform::fileNameOf(native));
    const QString &work = plan.WorkFolder.native();
    // Matching by letter case only, the folder may still be voxa\Temp.
    if (insideOrSame(work, native) || insideOrSame(native, work))
        return refuse(PlanProblem::HoldsWorkFolder, dir);
    // A journal of a sort running now is no interrupted sort.
    if (SortDriveBusy(drive))
        return refuse(PlanProblem::DriveBusy, QString(drive) + QLatin1Char(':'));
    if (ops.exists(plan.Journal.native()))
        return refuse(PlanProblem::JournalPresent, plan.Journal.device());
    // In any letter case, as the drive's own file system would see it.
    if (ops.exists(platform::toNative(plan.Rebuilt.device())))
        return refuse(PlanProblem::WorkFolderBusy, plan.Rebuilt.device());

    QString error;
    if (!ListSortTree(plan.Directory, plan.Listed, &error, ops))
        return refuse(PlanProblem::Unreadable, error);
    plan.Sorted = SortedTree(plan.Listed);
    plan.FileCount = CountFiles(plan.Sorted);
    planMoves(plan.Sorted, plan.Directory, plan.Rebuilt, plan.Steps);
    plan.Steps.append({SortStep::Kind::MoveBack, plan.Rebuilt, plan.Directory});
    return plan;
}

QString PlanProblemText(const SortPlan &plan)
{
    switch (plan.Problem) {
    case PlanProblem::None:
        return {};
    case PlanProblem::NotOnDrive:
        return QStringLiteral("not a folder of a known drive: ") + plan.Detail;
    case PlanProblem::NotFound:
        return QStringLiteral("no such folder: ") + plan.Detail;
    case PlanProblem::HoldsWorkFolder:
        return QStringLiteral("the drive's root, voxa and folders in voxa\\Temp cannot be sorted: ") + plan.Detail;
    case PlanProblem::BadName:
        return QStringLiteral("this folder cannot be sorted: ") + plan.Detail;
    case PlanProblem::Unreadable:
        return QStringLiteral("cannot read the folder: ") + plan.Detail;
    case PlanProblem::JournalPresent:
        return QStringLiteral("an interrupted sort must be rolled back first: ") + plan.Detail;
    case PlanProblem::WorkFolderBusy:
        return QStringLiteral("the work folder is in use: ") + plan.Detail;
    case PlanProblem::DriveBusy:
        return DriveBusyText(plan.Detail.isEmpty() ? QChar() : plan.Detail[0]);
    }
    return {};
}

// ------------------------------------------------------------ running

int SortProgress::percent() const
{
    return total > 0 ? int(qint64(counter) * 100 / total) : 0;
}

QString SortProgress::caption() const
{
    return msg(phase == Phase::Sorting ? Msg::Sorting : Msg::RollingBack) + QLatin1Char(' ')
           + QString::number(percent()) + QLatin1Char('%');
}

namespace {

struct RollBack {
    SortFileOps &ops;
    const SortProgressFn &progress;
    int counter;
    int total;
    int moved = 0;
    QString error;

    void failWith(const QString &devicePath)
    {
        error = ops.lastErrorText() + QStringLiteral(" [") + devicePath + QLatin1Char(']');
    }

    // Moves the content of folder s into folder t, creating t.
    bool moveBack(const platform::DevicePath &s, const platform::DevicePath &t)
    {
        if (!ops.isDir(t.native()) && !ops.makePath(t.native())) {
            failWith(t.device());
            return false;
        }
        bool ok = false;
        const QList<fs::Entry> entries = ops.listDir(s.native(), &ok);
        if (!ok) {
            // Leaving files behind unseen would lose them once the journal
            // is gone.
            failWith(s.device());
            return false;
        }
        for (const fs::Entry &e : entries) {
            const platform::DevicePath from = s.child(e.name), to = t.child(e.name);
            if (isRealDir(e)) {
                if (!moveBack(from, to))
                    return false;
                continue;
            }
            if (!ops.rename(from.native(), to.native())) {
                error = from.device();
                return false;
            }
            ++moved;
            if (counter > 0) {
                --counter;
                if (progress)
                    progress({SortProgress::Phase::RollingBack, counter, total});
            }
        }
        ops.removeDir(s.native());
        return true;
    }
};

// Unfinished copies of the journal, left by a program killed while writing
// it, would keep voxa\Temp for ever. Only called with the drive's lock held,
// when no journal is being written.
void removeJournalLeftovers(const QString &nativeWork, SortFileOps &ops)
{
    bool listed = false;  // no voxa\Temp, nothing to remove
    for (const fs::Entry &e : ops.listDir(nativeWork, &listed))
        if (!e.isDir && IsJournalLeftover(e.name))
            ops.removeFile(nativeJoin(nativeWork, e.name));
}

// Nothing can be lost when voxa\Temp holds nothing but the journal (and
// perhaps an unfinished copy of it).
bool onlyJournalIn(const QString &nativeWork, SortFileOps &ops)
{
    bool listed = false;
    const QList<fs::Entry> entries = ops.listDir(nativeWork, &listed);
    return listed && std::all_of(entries.begin(), entries.end(), [](const fs::Entry &e) {
        return !e.isDir && e.name.startsWith(QLatin1String("Sort.dat"), Qt::CaseInsensitive);
    });
}

void rollBack(QChar drive, int counter, int total, const SortProgressFn &progress, SortFileOps &ops,
              SortOutcome &out)
{
    out.WorkFolder = SortWorkFolder(drive);
    const QString nativeWork = platform::toNative(out.WorkFolder);
    const QString journalPath = SortJournalPath(drive);
    const QString nativeJournal = platform::toNative(journalPath);
    const SortJournal journal = ReadSortJournal(drive);
    auto finish = [&] {
        // The moves back must be on the disk before the journal is gone.
        ops.syncDrive(nativeWork);
        ops.removeFile(nativeJournal);
        ops.removeDir(nativeWork);
        out.Result = SortResult::RolledBack;
    };
    if (!journal.Valid) {
        if (onlyJournalIn(nativeWork, ops)) {
            finish();
        } else {
            out.Result = SortResult::RollBackFailed;
            out.RollBackError = journal.Error + QStringLiteral(" [") + journalPath + QLatin1Char(']');
        }
        return;
    }
    out.Directory = JournalDirectoryOn(journal, drive);
    // Exact names: a case-insensitive look-up would find "MUSIC" for the
    // removed "music" on a case-sensitive drive and merge the two.
    const platform::DevicePath work =
        platform::DevicePath::known(out.WorkFolder, nativeWork).child(platform::fileNameOf(out.Directory));
    const QString &nativeW = work.native();
    // Without the rebuilt folder there is nothing to move back: the sort
    // had not begun moving, or its folder was already back in place. Unless
    // voxa\Temp holds something else, which the journal may have meant.
    if (!ops.isDir(nativeW)) {
        if (onlyJournalIn(nativeWork, ops)) {
            finish();
        } else {
            out.Result = SortResult::RollBackFailed;
            out.RollBackError = QStringLiteral("no such folder [") + work.device() + QLatin1Char(']');
        }
        return;
    }
    RollBack rb{ops, progress, counter, total, 0, {}};
    const bool ok =
        rb.moveBack(work, platform::DevicePath::known(out.Directory, ExactNativePath(drive, journal.Relative)));
    out.MovedBack = rb.moved;
    if (ok) {
        finish();
    } else {
        out.Result = SortResult::RollBackFailed;
        out.RollBackError = rb.error;
    }
}

}  // namespace

SortOutcome RunSort(const SortPlan &plan, const SortProgressFn &progress, const std::atomic_bool *cancel,
                    SortFileOps &ops)
{
    SortOutcome out;
    out.Directory = plan.Directory.device();
    out.WorkFolder = plan.WorkFolder.device();
    out.Files = plan.FileCount;
    if (!plan.ok()) {
        out.StartError = PlanProblemText(plan);
        return out;
    }
    const QChar drive = plan.Directory.device()[0];
    // Taken before the journal is written and held to the end, so a second
    // sort or a roll-back cannot take the journal from under this one.
    fs::FolderLock lock;
    if (!LockSortDrive(drive, lock, &out.StartError))
        return out;
    const QString &work = plan.WorkFolder.native();
    removeJournalLeftovers(work, ops);
    const QString &nativeJournal = plan.Journal.native();
    if (ops.exists(nativeJournal)) {
        out.StartError = QStringLiteral("an interrupted sort must be rolled back first: ") + plan.Journal.device();
        return out;
    }
    if (!ops.makePath(work)) {
        out.StartError = JournalFailureText(ops.lastErrorText());
        return out;
    }
    const QString written = ops.writeJournal(nativeJournal, EncodeSortJournal(plan.Directory.device()));
    if (!written.isEmpty()) {
        out.StartError = JournalFailureText(written);
        return out;
    }

    bool failed = false;
    for (const SortStep &step : plan.Steps) {
        bool ok = true;
        switch (step.kind) {
        case SortStep::Kind::MakeDir:
            // A folder that cannot be made would otherwise lose an empty
            // subfolder without a trace.
            if (!(ok = ops.makePath(step.To.native())))
                out.LastError = ops.lastErrorText() + QStringLiteral(" [") + step.To.device() + QLatin1Char(']');
            break;
        case SortStep::Kind::MoveFile:
            if (cancel && cancel->load()) {
                out.Cancelled = true;
                ok = false;
                break;
            }
            if (!(ok = ops.rename(step.From.native(), step.To.native()))) {
                out.LastError = step.From.device();
                break;
            }
            ++out.MovedOut;
            if (progress)
                progress({SortProgress::Phase::Sorting, out.MovedOut, out.Files});
            break;
        case SortStep::Kind::RemoveDir:
        case SortStep::Kind::MoveBack:
            if (!(ok = step.kind == SortStep::Kind::RemoveDir ? ops.removeDir(step.From.native())
                                                               : ops.rename(step.From.native(), step.To.native())))
                out.LastError = ops.lastErrorText() + QStringLiteral(" [") + step.From.device() + QLatin1Char(']');
            break;
        }
        if (!ok) {
            failed = true;
            break;
        }
    }
    if (!failed) {
        // On FAT the journal's removal could otherwise reach the disk
        // before the last folder renames.
        ops.syncDrive(work);
        ops.removeFile(nativeJournal);
        ops.removeDir(work);
        out.Result = SortResult::Sorted;
        return out;
    }
    rollBack(drive, out.MovedOut, out.Files, progress, ops, out);
    return out;
}

QString SortErrorText(const QString &lastError)
{
    return msg(Msg::SortErrorRollBack) + QStringLiteral(" (") + lastError + QStringLiteral(") ");
}

QString RollBackFailureText(QChar drive)
{
    return msg(Msg::RollBackErrorFiles) + QLatin1Char(' ') + QString(drive.toUpper()) + QStringLiteral(":\\voxa\\Temp ")
           + msg(Msg::RollBackErrorMove);
}

QString JournalFailureText(const QString &systemText)
{
    return systemText + QStringLiteral(" \"Temp\" or \"sort.dat\".");
}

QString DriveBusyText(QChar drive)
{
    return QStringLiteral("Another sort or roll-back is running on %1: now; try again when it has finished.")
        .arg(drive.toUpper());
}

SortOutcome RollBackSort(QChar drive, const SortProgressFn &progress, SortFileOps &ops)
{
    SortOutcome out;
    drive = drive.toUpper();
    out.WorkFolder = SortWorkFolder(drive);
    fs::FolderLock lock;
    if (!LockSortDrive(drive, lock, &out.StartError))
        return out;
    const QString nativeWork = platform::toNative(out.WorkFolder);
    removeJournalLeftovers(nativeWork, ops);
    if (!ops.exists(platform::toNative(SortJournalPath(drive)))) {
        ops.removeDir(nativeWork);  // only when empty
        out.NoJournal = true;
        out.Result = SortResult::RolledBack;
        return out;
    }
    rollBack(drive, 0, 0, progress, ops, out);
    return out;
}

// ------------------------------------------------------------ play order

namespace {

void playOrder(const TSortNode &node, const QString &prefix, QStringList &out)
{
    for (const TSortNode &e : node.Entries) {
        if (e.IsDir)
            playOrder(e, prefix + e.Name + QLatin1Char('\\'), out);
        else if (SortGroupOf(e.Name, false) == SortGroup::Mp3)
            out.append(prefix + e.Name);
    }
}

}  // namespace

PlayOrder PlayOrderOf(const TSortNode &listed)
{
    PlayOrder order;
    playOrder(listed, {}, order.Now);
    playOrder(SortedTree(listed), {}, order.Sorted);
    return order;
}

bool ComputePlayOrder(const platform::DevicePath &dir, PlayOrder &order, QString *error, SortFileOps &ops)
{
    TSortNode listed;
    if (!ListSortTree(dir, listed, error, ops))
        return false;
    order = PlayOrderOf(listed);
    return true;
}

}  // namespace voxa

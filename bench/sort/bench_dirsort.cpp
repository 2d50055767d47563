// Sorting a 5000-entry folder against a bare loop of the same renames, in
// the same run: the sort's own cost (journal, checks, progress) on top of
// the file system's.
//   bench_dirsort [ENTRIES] [RUNS]
#include "music/dirsort.h"
#include "platform/fileops.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <sys/stat.h>

using namespace voxa;

namespace {

void makeFolder(const QString &root, int entries)
{
    QDir(root).removeRecursively();
    QDir().mkpath(root + QStringLiteral("/music"));
    QDir().mkpath(root + QStringLiteral("/voxa"));
    QRandomGenerator rng(42);
    for (int i = 0; i < entries; ++i) {
        const QString name = QStringLiteral("%1 track %2.mp3").arg(rng.bounded(100000), 5, 10, QLatin1Char('0')).arg(i);
        QFile f(root + QStringLiteral("/music/") + name);
        f.open(QIODevice::WriteOnly);
    }
}

// The same moves with nothing around them.
qint64 bareLoop(const SortPlan &plan)
{
    QElapsedTimer t;
    t.start();
    for (const SortStep &s : plan.Steps) {
        const QByteArray from = QFile::encodeName(s.NativeFrom), to = QFile::encodeName(s.NativeTo);
        switch (s.kind) {
        case SortStep::Kind::MakeDir: ::mkdir(to.constData(), 0755); break;
        case SortStep::Kind::RemoveDir: ::rmdir(from.constData()); break;
        default: ::rename(from.constData(), to.constData()); break;
        }
    }
    return t.nsecsElapsed();
}

}  // namespace

int main(int argc, char **argv)
{
    QTemporaryDir work;
    const QString root = work.filePath(QStringLiteral("drive"));
    const QString table = work.filePath(QStringLiteral("drives"));
    {
        QFile f(table);
        f.open(QIODevice::WriteOnly);
        f.write(QStringLiteral("X fixed FAT32 BENCH %1\n").arg(root).toUtf8());
    }
    qputenv("VOXA_DRIVE_TABLE", QFile::encodeName(table));
    QCoreApplication app(argc, argv);
    const int entries = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    QList<double> ratios;
    for (int r = 0; r < runs; ++r) {
        makeFolder(root, entries);
        SortPlan plan = PlanSort(QStringLiteral("X:\\music"));
        if (!plan.ok()) {
            std::fprintf(stderr, "cannot plan: %s\n", qPrintable(PlanProblemText(plan)));
            return 1;
        }
        QElapsedTimer t;
        t.start();
        const SortOutcome outcome = RunSort(plan);
        const qint64 sortNs = t.nsecsElapsed();
        if (outcome.Result != SortResult::Sorted) {
            std::fprintf(stderr, "sort did not finish\n");
            return 1;
        }
        makeFolder(root, entries);
        const SortPlan again = PlanSort(QStringLiteral("X:\\music"));
        const qint64 bareNs = bareLoop(again);
        ratios << double(sortNs) / double(std::max<qint64>(bareNs, 1));
        std::printf("run %d: sort %.1f ms, bare renames %.1f ms, ratio %.2f\n", r + 1, sortNs / 1e6, bareNs / 1e6,
                    ratios.last());
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio %.2f over %d runs of %d entries (target 1.2)\n", ratios[ratios.size() / 2], runs,
                entries);
    return 0;
}

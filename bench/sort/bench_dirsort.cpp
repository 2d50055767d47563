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

// The same moves with nothing around them: voxa\Temp made, then every step
// as one system call. A step that fails would make the loop look cheaper
// than it is, so the loop counts them.
qint64 bareLoop(const SortPlan &plan, int *failures)
{
    QElapsedTimer t;
    t.start();
    *failures = 0;
    ::mkdir(QFile::encodeName(plan.WorkFolder.native()).constData(), 0755);
    for (const SortStep &s : plan.Steps) {
        const QByteArray from = QFile::encodeName(s.From.native()), to = QFile::encodeName(s.To.native());
        int rc = 0;
        switch (s.kind) {
        case SortStep::Kind::MakeDir: rc = ::mkdir(to.constData(), 0755); break;
        case SortStep::Kind::RemoveDir: rc = ::rmdir(from.constData()); break;
        default: rc = ::rename(from.constData(), to.constData()); break;
        }
        *failures += rc != 0;
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
    // Odd runs time the bare loop first, so neither side always meets a
    // file system still busy with the other's leftovers.
    for (int r = 0; r < runs; ++r) {
        qint64 sortNs = 0, bareNs = 0;
        for (int side = 0; side < 2; ++side) {
            const bool sortSide = (side == 0) == (r % 2 == 0);
            makeFolder(root, entries);
            const SortPlan plan = PlanSort(QStringLiteral("X:\\music"));
            if (!plan.ok()) {
                std::fprintf(stderr, "cannot plan: %s\n", qPrintable(PlanProblemText(plan)));
                return 1;
            }
            if (sortSide) {
                QElapsedTimer t;
                t.start();
                const SortOutcome outcome = RunSort(plan);
                sortNs = t.nsecsElapsed();
                if (outcome.Result != SortResult::Sorted) {
                    std::fprintf(stderr, "sort did not finish\n");
                    return 1;
                }
            } else {
                int failures = 0;
                bareNs = bareLoop(plan, &failures);
                if (failures) {
                    std::fprintf(stderr, "%d of the bare renames failed\n", failures);
                    return 1;
                }
            }
        }
        ratios << double(sortNs) / double(std::max<qint64>(bareNs, 1));
        std::printf("run %d: sort %.1f ms, bare renames %.1f ms, ratio %.2f\n", r + 1, sortNs / 1e6, bareNs / 1e6,
                    ratios.last());
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio %.2f over %d runs of %d entries (target 1.2)\n", ratios[ratios.size() / 2], runs,
                entries);
    return 0;
}

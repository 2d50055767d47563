// The job type every worker of the programs runs on: results and reasons,
// cancelling, reports on the owner's thread in order, questions answered on
// the owner's thread, and a job destroyed while its worker runs or waits.
#include "platform/job.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace voxa;

namespace {

// Runs a script of steps on the worker: "rN" reports N, "burst" sends
// 1..2000 as replaceable reports, "ask" asks the owner and reports the
// answer, "spin" waits (polling, as real work does) until cancelled, "fail"
// ends with a failure. The value is the number of steps done.
JobResult runScript(JobControl &control, const QStringList &script)
{
    int done = 0;
    for (const QString &step : script) {
        if (step.startsWith(QLatin1Char('r'))) {
            control.report(step.mid(1).toInt());
        } else if (step == QLatin1String("burst")) {
            for (int i = 1; i <= 2000; ++i)
                control.reportLatest(qlonglong(i));
        } else if (step == QLatin1String("ask")) {
            const QVariant a = control.ask([] { return QVariant(QStringLiteral("yes")); });
            control.report(a.isValid() ? a.toString() : QStringLiteral("none"));
        } else if (step == QLatin1String("spin")) {
            for (int i = 0; i < 10000 && !control.cancelled(); ++i)
                QThread::msleep(1);
            if (control.cancelled())
                return JobResult::failure(QStringLiteral("stopped"), done);
        } else if (step == QLatin1String("fail")) {
            return JobResult::failure(QStringLiteral("broken"), done);
        }
        ++done;
    }
    return JobResult::success(done);
}

}  // namespace

class TestJob : public QObject {
    Q_OBJECT

private slots:
    void flow_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QString>("owner");  // what the owner does meanwhile
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("value");
        QTest::addColumn<QVariantList>("seen");  // reports, in order

        QTest::newRow("success") << QStringList{"r1", "r2", "r3"} << "" << true << "" << 3
                                 << QVariantList{1, 2, 3};
        QTest::newRow("failure keeps its reason") << QStringList{"r1", "fail", "r2"} << "" << false << "broken"
                                                  << 1 << QVariantList{1};
        QTest::newRow("question answered by the owner") << QStringList{"r1", "ask", "r2"} << "" << true << ""
                                                        << 3 << QVariantList{1, "yes", 2};
        QTest::newRow("cancel while running") << QStringList{"r1", "spin", "r2"} << "cancel at 1" << false
                                              << "stopped" << 1 << QVariantList{1};
        QTest::newRow("cancel while a question waits") << QStringList{"r1", "ask", "spin"} << "cancel at 1"
                                                       << false << "stopped" << 2 << QVariantList{1, "none"};
        QTest::newRow("cancel before start reaches no run") << QStringList{"r1", "r2"} << "cancel first" << true
                                                            << "" << 2 << QVariantList{1, 2};
        QTest::newRow("wait sends the end at once") << QStringList{"r1", "r2"} << "wait" << true << "" << 2
                                                    << QVariantList{};
        QTest::newRow("replaceable reports merge") << QStringList{"burst", "r0"} << "" << true << "" << 2
                                                   << QVariantList{qlonglong(2000), 0};
    }

    void flow()
    {
        QFETCH(QStringList, script);
        QFETCH(QString, owner);
        QFETCH(bool, ok);
        QFETCH(QString, reason);
        QFETCH(int, value);
        QFETCH(QVariantList, seen);

        Job job;
        QVariantList reports;
        bool offThread = false;
        connect(&job, &Job::progress, this, [&](const QVariant &r) {
            offThread = offThread || QThread::currentThread() != thread();
            // A merged burst counts once: each value must be newer than the
            // one it replaces.
            if (r.userType() == QMetaType::LongLong && !reports.isEmpty()
                && reports.last().userType() == QMetaType::LongLong) {
                offThread = offThread || reports.last().toLongLong() >= r.toLongLong();
                reports.removeLast();
            }
            reports.append(r);
            if (owner == QLatin1String("cancel at 1") && r == QVariant(1))
                job.cancel();
        });
        QSignalSpy finished(&job, &Job::finished);
        if (owner == QLatin1String("cancel first"))
            job.cancel();
        QVERIFY(job.start([script](JobControl &c) { return runScript(c, script); }));
        QVERIFY(job.isRunning());
        QVERIFY(!job.start([](JobControl &) { return JobResult::success(); }));
        if (owner == QLatin1String("wait")) {
            job.wait();
            QCOMPARE(finished.size(), 1);
        } else {
            QVERIFY(finished.wait(20000));
        }
        QCoreApplication::processEvents();  // nothing arrives after the end
        QVERIFY(!job.isRunning());
        QVERIFY(!offThread);
        QCOMPARE(finished.size(), 1);
        const auto result = finished.first().first().value<JobResult>();
        QCOMPARE(result.ok, ok);
        QCOMPARE(result.reason, reason);
        QCOMPARE(result.value.toInt(), value);
        QCOMPARE(job.result().value, result.value);
        if (owner != QLatin1String("wait")) {
            QCOMPARE(reports, seen);
        }
        QCOMPARE(job.isCancelled(), owner == QLatin1String("cancel at 1"));
    }

    // Destroyed while the worker runs or waits for an answer: the worker
    // ends, no question is shown and nothing is sent afterwards.
    void destroyedWhileRunning_data()
    {
        QTest::addColumn<QStringList>("script");
        QTest::newRow("running") << QStringList{"r1", "spin"};
        QTest::newRow("asking") << QStringList{"ask", "spin"};
    }

    void destroyedWhileRunning()
    {
        QFETCH(QStringList, script);
        std::atomic<bool> ended = false;
        std::atomic<bool> asked = false;
        int sent = 0;
        {
            Job job;
            connect(&job, &Job::progress, this, [&] { ++sent; });
            connect(&job, &Job::finished, this, [&] { ++sent; });
            QVERIFY(job.start([&](JobControl &c) {
                if (script.first() == QLatin1String("ask"))
                    c.ask([&] {
                        asked = true;
                        return QVariant();
                    });
                const JobResult r = runScript(c, script);
                ended = true;
                return r;
            }));
            QThread::msleep(20);
        }
        QVERIFY(ended);
        QCoreApplication::processEvents();
        QVERIFY(!asked);
        QCOMPARE(sent, 0);
    }
};

QTEST_GUILESS_MAIN(TestJob)
#include "test_job.moc"

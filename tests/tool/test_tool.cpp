#include "tool/command.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace voxa::tool;

namespace {
int run(const QStringList &args, QString &out, QString &err)
{
    QTextStream o(&out), e(&err);
    Io io{o, e};
    return runTool(args, io);
}
}  // namespace

class TestTool : public QObject {
    Q_OBJECT
private slots:
    void usageAndVersion()
    {
        QString out, err;
        QCOMPARE(run({}, out, err), 2);
        QVERIFY(err.contains(QStringLiteral("usage: voxatool")));
        out.clear();
        QCOMPARE(run({QStringLiteral("--version")}, out, err), 0);
        QCOMPARE(out, QStringLiteral("voxatool 3.01.01\n"));
        err.clear();
        QCOMPARE(run({QStringLiteral("frobnicate")}, out, err), 2);
        QVERIFY(err.contains(QStringLiteral("unknown command 'frobnicate'")));
    }

    void everyCommandIsListed()
    {
        QString out, err;
        QCOMPARE(run({QStringLiteral("--help")}, out, err), 0);
        QVERIFY(!commands().isEmpty());
        for (const ToolCommand *c : commands())
            QVERIFY2(out.contains(c->usage), qPrintable(c->name));
    }

    // Help asked for after a command shows its usage and runs nothing: no
    // file named "--help" appears, whatever stands before it.
    void helpAfterACommandRunsNothing_data()
    {
        QTest::addColumn<QStringList>("tail");
        QTest::newRow("alone") << QStringList{QStringLiteral("--help")};
        QTest::newRow("after an output name") << QStringList{QStringLiteral("out.x"), QStringLiteral("--help")};
        QTest::newRow("short") << QStringList{QStringLiteral("-h")};
    }
    void helpAfterACommandRunsNothing()
    {
        QFETCH(QStringList, tail);
        QTemporaryDir dir;
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        for (const ToolCommand *c : commands()) {
            QString out, err;
            const int rc = run(QStringList{c->name} + tail, out, err);
            QVERIFY2(rc == 0, qPrintable(c->name));
            QVERIFY2(out.contains(QStringLiteral("usage: voxatool ") + c->usage), qPrintable(c->name));
            QVERIFY2(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                     qPrintable(c->name));
        }
        QVERIFY(QDir::setCurrent(before));
    }
};

QTEST_GUILESS_MAIN(TestTool)
#include "test_tool.moc"

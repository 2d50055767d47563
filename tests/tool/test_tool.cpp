#include "tool/command.h"

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
};

QTEST_GUILESS_MAIN(TestTool)
#include "test_tool.moc"

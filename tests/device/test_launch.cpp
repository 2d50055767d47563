// Starting a program that has no execute permission, as on a FAT disk
// mounted with "showexec", and the program still knowing its own path.
#include "platform/processes.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace voxa::platform;

namespace {

// An ELF header with one program header of each kind given, the
// interpreter's name right after them.
QByteArray elf64(const QByteArray &interp, quint32 type = 3)
{
    QByteArray b(64 + 56, '\0');
    b.replace(0, 4, "\x7F" "ELF");
    b[4] = 2;  // 64-bit
    b[5] = 1;  // little-endian
    qToLittleEndian<quint64>(64, b.data() + 32);  // phoff
    qToLittleEndian<quint16>(56, b.data() + 54);  // phentsize
    qToLittleEndian<quint16>(1, b.data() + 56);   // phnum
    qToLittleEndian<quint32>(type, b.data() + 64);
    qToLittleEndian<quint64>(quint64(b.size()), b.data() + 64 + 8);    // offset
    qToLittleEndian<quint64>(quint64(interp.size()), b.data() + 64 + 32);  // size
    return b + interp;
}

QByteArray elf32be(const QByteArray &interp)
{
    QByteArray b(52 + 32, '\0');
    b.replace(0, 4, "\x7F" "ELF");
    b[4] = 1;
    b[5] = 2;
    qToBigEndian<quint32>(52, b.data() + 28);
    qToBigEndian<quint16>(32, b.data() + 42);
    qToBigEndian<quint16>(1, b.data() + 44);
    qToBigEndian<quint32>(3, b.data() + 52);
    qToBigEndian<quint32>(quint32(b.size()), b.data() + 52 + 4);
    qToBigEndian<quint32>(quint32(interp.size()), b.data() + 52 + 16);
    return b + interp;
}

}  // namespace

class TestLaunch : public QObject {
    Q_OBJECT
private slots:
    void interpreterOfHeader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("loader");
        const QByteArray ld("/lib64/ld-linux-x86-64.so.2", 28);  // with its closing zero
        QTest::newRow("64-bit") << elf64(ld) << "/lib64/ld-linux-x86-64.so.2";
        QTest::newRow("32-bit big-endian") << elf32be(QByteArray("/lib/ld.so.1", 13)) << "/lib/ld.so.1";
        QTest::newRow("no interpreter header") << elf64(ld, 1) << "";
        QTest::newRow("name without its zero") << elf64("/lib64/ld") << "";
        QTest::newRow("relative name") << elf64(QByteArray("ld.so", 6)) << "";
        QTest::newRow("name cut off") << elf64(ld).left(64 + 56 + 10) << "";
        QTest::newRow("headers cut off") << elf64(ld).left(70) << "";
        QTest::newRow("not ELF") << QByteArray("#!/bin/sh\n") << "";
        QTest::newRow("empty") << QByteArray() << "";
        QByteArray far = elf64(ld);
        qToLittleEndian<quint64>(~quint64(0) - 8, far.data() + 32);  // phoff that wraps around
        QTest::newRow("header offset wraps") << far << "";
        QByteArray many = elf64(ld);
        qToLittleEndian<quint16>(0xFFFF, many.data() + 56);
        QTest::newRow("more headers than bytes") << many << "/lib64/ld-linux-x86-64.so.2";
        QByteArray huge = elf64(ld);
        qToLittleEndian<quint64>(~quint64(0), huge.data() + 64 + 32);
        QTest::newRow("size beyond the bytes") << huge << "";
    }
    void interpreterOfHeader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, loader);
        QCOMPARE(elfInterpreter(bytes), loader);
    }

    void probeNamesARealLoader()
    {
        QFile probe(QStringLiteral(VOXA_PROBE_PATH));
        QVERIFY(probe.open(QIODevice::ReadOnly));
        const QString loader = elfInterpreter(probe.read(64 * 1024));
        QVERIFY(loader.startsWith(QLatin1Char('/')));
        QVERIFY(QFileInfo(loader).isExecutable());
    }

    void programWithoutExecuteBitStartsAndKnowsItsPath()
    {
        QTemporaryDir disk;
        const QString program = disk.filePath(QStringLiteral("voxam2"));
        QVERIFY(QFile::copy(QStringLiteral(VOXA_PROBE_PATH), program));
        QVERIFY(QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                                   | QFileDevice::ReadOther));
        QVERIFY(!QFileInfo(program).isExecutable());
        const QString out = disk.filePath(QStringLiteral("out.txt"));
        SystemProcesses processes;
        QVERIFY(processes.startDetached(program, {out}, disk.path()));
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && QFileInfo(out).size() == 0)
            QTest::qWait(50);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(QString::fromUtf8(lines[0]), QFileInfo(program).canonicalFilePath());
        QCOMPARE(QString::fromUtf8(lines[1]), QFileInfo(disk.path()).canonicalFilePath());
    }

    void executableProgramStartsDirectly()
    {
        QTemporaryDir disk;
        const QString program = disk.filePath(QStringLiteral("voxam2"));
        QVERIFY(QFile::copy(QStringLiteral(VOXA_PROBE_PATH), program));
        const QString out = disk.filePath(QStringLiteral("out.txt"));
        SystemProcesses processes;
        QVERIFY(processes.startDetached(program, {out}, disk.path()));
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && QFileInfo(out).size() == 0)
            QTest::qWait(50);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll().split('\n').value(0)), QFileInfo(program).canonicalFilePath());
    }
};

QTEST_GUILESS_MAIN(TestLaunch)
#include "test_launch.moc"

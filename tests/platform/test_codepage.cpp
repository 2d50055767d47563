#include "platform/codepage.h"

#include <QTest>

using namespace voxa;

class TestCodePage : public QObject {
    Q_OBJECT
private slots:
    void knownBytes_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("unicode");
        QTest::newRow("A") << 0x41 << 0x41;
        QTest::newRow("euro") << 0x80 << 0x20AC;
        QTest::newRow("S caron") << 0x8A << 0x0160;
        QTest::newRow("a acute") << 225 << 0x00E1;
        QTest::newRow("o double acute") << 245 << 0x0151;
        QTest::newRow("u double acute") << 251 << 0x0171;
        QTest::newRow("O double acute") << 213 << 0x0150;
        QTest::newRow("dot above") << 0xFF << 0x02D9;
        QTest::newRow("undefined 0x81 kept") << 0x81 << 0x81;
    }
    void knownBytes()
    {
        QFETCH(int, byte);
        QFETCH(int, unicode);
        const QString s = fromCodePage(QByteArray(1, char(byte)));
        QCOMPARE(s.size(), 1);
        QCOMPARE(int(s[0].unicode()), unicode);
        QCOMPARE(codePageByte(QChar(unicode)), byte);
    }

    void everyByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        bool ok = false;
        QCOMPARE(toCodePage(fromCodePage(all), &ok), all);
        QVERIFY(ok);
    }

    void unmappableCharacters()
    {
        bool ok = true;
        QCOMPARE(toCodePage(u"a\u4e2db", &ok), QByteArray("a?b"));
        QVERIFY(!ok);
        QVERIFY(!isCodePageText(u"\u00e6"));  // æ is not in this code page
        QVERIFY(isCodePageText(u"Árvíztűrő tükörfúrógép"));
    }
};

QTEST_GUILESS_MAIN(TestCodePage)
#include "test_codepage.moc"

#include "app/displayname.h"

#include <QTest>

class TestDisplayName : public QObject {
    Q_OBJECT
private slots:
    void names_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("digits first") << "03_SONG.MP3" << "03_Song.mp3";
        QTest::newRow("plain") << "hello.cfg" << "Hello.cfg";
        QTest::newRow("accented first") << QStringLiteral("ÉNEK.MP3") << QStringLiteral("Ének.mp3");
        QTest::newRow("o double acute") << QStringLiteral("1 ŐSZ.mp3") << QStringLiteral("1 Ősz.mp3");
        QTest::newRow("u double acute") << QStringLiteral("űr") << QStringLiteral("Űr");
        QTest::newRow("other accent is not a letter here") << QStringLiteral("ČAJ") << QStringLiteral("čAj");
        QTest::newRow("no letters") << "0123_-.!" << "0123_-.!";
        QTest::newRow("empty") << "" << "";
    }
    void names()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QCOMPARE(voxa::DisplayName(in), out);
    }
};

QTEST_GUILESS_MAIN(TestDisplayName)
#include "test_displayname.moc"

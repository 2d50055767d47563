#include "app/languagetargets.h"
#include "app/messagetable.h"

#include <QTest>

using namespace voxa;

class TestMessageTable : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { resetMessages(); LanguageTargets::instance().clear(); }

    void defaults()
    {
        QCOMPARE(int(Msg::Count), 64);
        QCOMPARE(msg(Msg::WrongFileFormat), QStringLiteral("Wrong file format"));
        QCOMPARE(languageNumber(Msg::WrongFileFormat), 210);
        QCOMPARE(msg(Msg::RollBackErrorFiles).back(), QChar(' '));  // trailing blank belongs to it
        QCOMPARE(msg(Msg::FontTest), QString(52, QChar('A')));
        QCOMPARE(languageNumber(Msg::FontTest), -1);
        QCOMPARE(HelpFileName(), QStringLiteral("voxam2eng.chm"));
        QCOMPARE(languageNumber(Msg::Path), 30);
    }

    void applyNumbers_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("applied");
        QTest::newRow("message") << 121 << true;
        QTest::newRow("16") << 16 << false;
        QTest::newRow("46") << 46 << false;
        QTest::newRow("75") << 75 << false;
        QTest::newRow("151") << 151 << false;
        QTest::newRow("256") << 256 << false;
        QTest::newRow("-1") << -1 << false;
        QTest::newRow("0") << 0 << true;
    }
    void applyNumbers()
    {
        QFETCH(int, number);
        QFETCH(bool, applied);
        QObject owner;
        QString got = QStringLiteral("unchanged");
        LanguageTargets::instance().add(number, &owner, [&](const QString &t) { got = t; });
        QCOMPARE(LanguageTargets::instance().apply(number, QStringLiteral("x=y")), applied);
        QCOMPARE(got, applied ? QStringLiteral("x=y") : QStringLiteral("unchanged"));
        if (number == 121)
            QCOMPARE(msg(Msg::CannotOpenFile), QStringLiteral("x=y"));
    }

    void sharedNumberReachesMessageAndControls()
    {
        QObject owner;
        QString column, starred, max;
        auto &t = LanguageTargets::instance();
        t.add(150, &owner, [&](const QString &s) { column = s; });
        t.addStarred(82, &owner, [&](const QString &s) { starred = s; });
        t.addMax10000(123, &owner, [&](const QString &s) { max = s; });
        t.apply(150, QStringLiteral("Dateiname"));
        t.apply(82, QStringLiteral("Kontrast"));
        t.apply(123, QStringLiteral("Nummer"));
        QCOMPARE(column, QStringLiteral("Dateiname"));
        QCOMPARE(msg(Msg::Filename), QStringLiteral("Dateiname"));
        QCOMPARE(starred, QStringLiteral("* Kontrast"));
        QCOMPARE(max, QStringLiteral("Nummer (max. 10000)"));
    }

    void targetsGoWithTheirOwner()
    {
        auto *owner = new QObject;
        int calls = 0;
        LanguageTargets::instance().add(5, owner, [&](const QString &) { ++calls; });
        QCOMPARE(LanguageTargets::instance().count(5), 1);
        delete owner;
        QCOMPARE(LanguageTargets::instance().count(5), 0);
        LanguageTargets::instance().apply(5, QStringLiteral("Exit"));
        QCOMPARE(calls, 0);
    }
};

QTEST_GUILESS_MAIN(TestMessageTable)
#include "test_messagetable.moc"

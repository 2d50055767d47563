// Language files: listing, applying to the numbered targets, the help file
// name, and the two files delivered with the manager.
#include "app/appstate.h"
#include "app/controlframe.h"
#include "app/languagefile.h"
#include "app/languagetargets.h"
#include "app/mainform.h"
#include "app/messagetable.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "support/scriptedprompts.h"
#include "support/testdrives.h"
#include "ui/skin.h"
#include "ui/skinbutton.h"
#include "ui/skinfonts.h"
#include "ui/skinmenu.h"
#include "support/mainwidgets.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>

using namespace voxa;

namespace {

const QString Folder = QStringLiteral("V:\\voxa\\manager\\Language\\");

QByteArray lines(std::initializer_list<const char *> l)
{
    QByteArray out;
    for (const char *s : l)
        out += QByteArray(s) + "\r\n";
    return out;
}

void writeLanguage(const QString &name, const QByteArray &content)
{
    QVERIFY(test::TestDriveTable::writeFile(Folder + name, content));
}

QByteArray dataFile(const char *name)
{
    QFile f(QStringLiteral(VOXA_SOURCE_DIR "/data/Language/") + QString::fromLatin1(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT

    test::TestDriveTable *drives = nullptr;
    test::ScriptedPrompts *prompts = nullptr;
    TMainForm *form = nullptr;

    // Every text the main window and its start panel take from a language
    // file, and the whole message table.
    QStringList snapshot() const
    {
        QStringList s;
        for (QMenu *m : form->findChildren<QMenu *>())
            for (QAction *a : m->actions())
                s << a->text();
        for (TSkinButton *b : form->findChildren<TSkinButton *>())
            s << b->Caption() << b->Hint();
        for (TSkinMenuButton *b : mainChild<TSkinMenu>(form, "MenuBar")->Buttons())
            s << b->Caption();
        for (int i = 0; i < int(Msg::Count); ++i)
            s << msg(Msg(i));
        return s;
    }

    QAction *languageItem(const QString &caption) const
    {
        for (QAction *a : mainChild<QMenu>(form, "LanguageSubMenu")->actions())
            if (a->text() == caption)
                return a;
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        InstallFontSubstitutes();
        QVERIFY(LoadSkinFrom(QStringLiteral(VOXA_SOURCE_DIR "/data/defaultskin.bmp")));
    }

    void init()
    {
        resetAppState();
        resetMessages();
        LanguageTargets::instance().clear();
        drives = new test::TestDriveTable;
        const QString root = drives->add('V');
        QVERIFY(QDir(root).mkpath(QStringLiteral("voxa/manager/Language")));
        appState().DriveLetter = QLatin1Char('V');
        appState().NormalRun = true;
        prompts = new test::ScriptedPrompts;
        form = new TMainForm;
        form->StartPanel = new TControlFrame(form);
    }

    void cleanup()
    {
        delete form;
        form = nullptr;
        delete prompts;
        delete drives;
        resetMessages();
    }

    void listingFollowsTheFolder()
    {
        writeLanguage(QStringLiteral("b.lng"), lines({"Language=Beta", "ID=BET", "Help=beta"}));
        writeLanguage(QStringLiteral("a.LNG"), lines({"Language=Alpha", "nothing here", "Help=alpha"}));
        writeLanguage(QStringLiteral("lower.lng"), lines({"language=Lower", "ID=LOW"}));
        writeLanguage(QStringLiteral("c.lng"), lines({"My Language: =Gamma", "ID = GAM"}));
        writeLanguage(QStringLiteral("notes.txt"), lines({"Language=Notes"}));
        writeLanguage(QStringLiteral("empty.lng"), QByteArray());
        QVERIFY(QDir().mkpath(drives->root('V') + QStringLiteral("/voxa/manager/Language/dir.lng")));

        QStringList expected;
        for (const fs::Entry &e : fs::listDir(Folder.chopped(1))) {
            if (e.name == QStringLiteral("b.lng"))
                expected << QStringLiteral("Beta");
            else if (e.name == QStringLiteral("a.LNG"))
                expected << QStringLiteral("Alpha");
            else if (e.name == QStringLiteral("c.lng"))
                expected << QStringLiteral("Gamma");
        }
        form->ListLanguages();
        QStringList names, menu;
        for (const LanguageEntry &e : form->LanguageList)
            names << e.displayName;
        for (QAction *a : mainChild<QMenu>(form, "LanguageSubMenu")->actions())
            menu << a->text();
        QCOMPARE(names, expected);
        QCOMPARE(menu, expected);
        for (const LanguageEntry &e : form->LanguageList) {
            if (e.displayName == QStringLiteral("Beta"))
                QCOMPARE(e.code, QStringLiteral("BET"));
            if (e.displayName == QStringLiteral("Alpha")) {
                QCOMPARE(e.code, QStringLiteral("ENG"));
                QCOMPARE(e.fileName, QStringLiteral("a.LNG"));
            }
            if (e.displayName == QStringLiteral("Gamma"))
                QCOMPARE(e.code, QStringLiteral(" GAM"));
        }
    }

    void noLanguageFolder()
    {
        QVERIFY(QDir(drives->root('V') + QStringLiteral("/voxa/manager/Language")).removeRecursively());
        const QStringList before = snapshot();
        form->ListLanguages();
        QVERIFY(form->LanguageList.isEmpty());
        QVERIFY(mainChild<QMenu>(form, "LanguageSubMenu")->actions().isEmpty());
        form->ApplyLanguage(QStringLiteral("English"));
        QCOMPARE(snapshot(), before);
        // Nothing found, nothing saved.
        QVERIFY(!fs::exists(QStringLiteral("V:\\voxa\\manager\\voxam2.ini")));
        QCOMPARE(form->Settings().language(), QStringLiteral("English"));
    }

    void number65ReachesEveryGroup()
    {
        // Stand-ins for the config editor's radio groups.
        QObject owner;
        const QStringList names = {QStringLiteral("LoudnessGroup"),    QStringLiteral("PLoudnessGroup"),
                                   QStringLiteral("AutoVolumeGroup"),  QStringLiteral("PAutoVolumeGroup"),
                                   QStringLiteral("AutoPauseGroup"),   QStringLiteral("DynaBassGroup"),
                                   QStringLiteral("PDynaBassGroup"),   QStringLiteral("RepeatModeGroup")};
        QHash<QString, QStringList> groups;
        for (const QString &n : names)
            groups[n] = {QStringLiteral("Off"), QStringLiteral("On"), QStringLiteral("x"), QStringLiteral("Off")};
        for (const QString &n : names.mid(0, 7))
            LanguageTargets::instance().add(65, &owner, [&groups, n](const QString &t) { groups[n][0] = t; });
        LanguageTargets::instance().add(65, &owner, [&groups](const QString &t) { groups[QStringLiteral("RepeatModeGroup")][3] = t; });

        writeLanguage(QStringLiteral("de.lng"), lines({"Language=Deutsch", "ID=GER", "Help=", "65=Aus"}));
        form->ListLanguages();
        form->ApplyLanguage(QStringLiteral("Deutsch"));
        for (const QString &n : names.mid(0, 7)) {
            QCOMPARE(groups[n][0], QStringLiteral("Aus"));
            QCOMPARE(groups[n][3], QStringLiteral("Off"));
        }
        QCOMPARE(groups[QStringLiteral("RepeatModeGroup")][0], QStringLiteral("Off"));
        QCOMPARE(groups[QStringLiteral("RepeatModeGroup")][3], QStringLiteral("Aus"));
    }

    void textsAreTakenWhole_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("hint");
        QTest::newRow("equals sign inside") << QByteArray("104=a=b") << QStringLiteral("a=b");
        QTest::newRow("blanks kept") << QByteArray("104= Open ") << QStringLiteral(" Open ");
        QTest::newRow("empty") << QByteArray("104=") << QString();
        QTest::newRow("blank around number") << QByteArray(" 104 =x") << QStringLiteral("x");
        QTest::newRow("code page") << QByteArray("104=\xd6" "ffnen") << QStringLiteral("Öffnen");
    }
    void textsAreTakenWhole()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, hint);
        writeLanguage(QStringLiteral("t.lng"), lines({"Language=T", "ID=T", "Help=t"}) + line + "\r\n");
        form->ListLanguages();
        form->ApplyLanguage(QStringLiteral("T"));
        QCOMPARE(mainChild<TSkinButton>(form, "OpenButton")->Hint(), hint);
    }

    void ignoredAndBrokenLines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("16") << QByteArray("16=x");
        QTest::newRow("46") << QByteArray("46=x");
        QTest::newRow("75") << QByteArray("75=x");
        QTest::newRow("151") << QByteArray("151=x");
        QTest::newRow("300") << QByteArray("300=x");
        QTest::newRow("negative") << QByteArray("-1=x");
        QTest::newRow("not a number") << QByteArray("abc=x");
        QTest::newRow("no equals sign") << QByteArray("0");
        QTest::newRow("nothing before the equals sign") << QByteArray("=x");
        QTest::newRow("empty line") << QByteArray("");
    }
    void ignoredAndBrokenLines()
    {
        QFETCH(QByteArray, line);
        QObject owner;
        int calls = 0;
        for (int n : {-1, 16, 46, 75, 151, 300})
            LanguageTargets::instance().add(n, &owner, [&calls](const QString &) { ++calls; });
        writeLanguage(QStringLiteral("t.lng"), lines({"Language=T", "ID=T", "Help="}) + line + "\r\n");
        form->ListLanguages();
        const QStringList before = snapshot();
        form->ApplyLanguage(QStringLiteral("T"));
        QCOMPARE(calls, 0);
        QCOMPARE(snapshot(), before);
    }

    void lastLineWinsAndTwiceIsOnce()
    {
        writeLanguage(QStringLiteral("t.lng"), lines({"Language=T", "ID=T", "Help=t", "0=First", "0=Second", "5=End"}));
        form->ListLanguages();
        form->ApplyLanguage(QStringLiteral("T"));
        QCOMPARE(mainChild<QAction>(form, "LoadMenu")->text(), QStringLiteral("Second"));
        const QStringList once = snapshot();
        form->ApplyLanguage(QStringLiteral("T"));
        QCOMPARE(snapshot(), once);
        QCOMPARE(mainChild<QAction>(form, "ExitMenuItem")->text(), QStringLiteral("End"));
    }

    void sameDisplayNameTakesTheFirstFound()
    {
        writeLanguage(QStringLiteral("one.lng"), lines({"Language=Same", "ID=A", "Help=", "0=from one"}));
        writeLanguage(QStringLiteral("two.lng"), lines({"Language=Same", "ID=B", "Help=", "0=from two"}));
        form->ListLanguages();
        QCOMPARE(form->LanguageList.size(), 2);
        const QString first = form->LanguageList[0].fileName == QStringLiteral("one.lng") ? QStringLiteral("from one")
                                                                                           : QStringLiteral("from two");
        form->ApplyLanguage(QStringLiteral("Same"));
        QCOMPARE(mainChild<QAction>(form, "LoadMenu")->text(), first);
        QCOMPARE(TMainForm::ImageIndex(mainChild<QMenu>(form, "LanguageSubMenu")->actions()[0]), 12);
        QCOMPARE(TMainForm::ImageIndex(mainChild<QMenu>(form, "LanguageSubMenu")->actions()[1]), -1);
    }

    void helpFileName_data()
    {
        QTest::addColumn<QByteArray>("line3");
        QTest::addColumn<QString>("expected");
        QTest::newRow("named") << QByteArray("Help=voxam2ger") << QStringLiteral("voxam2ger.chm");
        QTest::newRow("empty keeps") << QByteArray("Help=") << QStringLiteral("earlier.chm");
        QTest::newRow("blank keeps") << QByteArray("Help=  ") << QStringLiteral("earlier.chm");
        QTest::newRow("no equals sign keeps") << QByteArray("Help") << QStringLiteral("earlier.chm");
    }
    void helpFileName()
    {
        QFETCH(QByteArray, line3);
        QFETCH(QString, expected);
        setMessage(Msg::HelpFile, QStringLiteral("earlier.chm"));
        writeLanguage(QStringLiteral("t.lng"), lines({"Language=T", "ID=T"}) + line3 + "\r\n");
        form->ListLanguages();
        form->ApplyLanguage(QStringLiteral("T"));
        QCOMPARE(HelpFileName(), expected);
    }

    void choosingALanguageSavesIt()
    {
        writeLanguage(QStringLiteral("de.lng"), lines({"Language=Deutsch", "ID=GER", "Help=voxam2ger", "5=&Beenden"}));
        writeLanguage(QStringLiteral("en.lng"), lines({"Language=English", "ID=ENG", "Help=voxam2eng", "5=&Exit"}));
        form->ListLanguages();
        QAction *german = languageItem(QStringLiteral("Deutsch"));
        QVERIFY(german);
        form->LangChoose(german);
        QCOMPARE(mainChild<QAction>(form, "ExitMenuItem")->text(), QStringLiteral("&Beenden"));
        QCOMPARE(TMainForm::ImageIndex(german), 12);
        QCOMPARE(TMainForm::ImageIndex(languageItem(QStringLiteral("English"))), -1);
        QVERIFY(test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\manager\\voxam2.ini")).contains("Language = Deutsch"));
        german->trigger();  // the menu item itself
        QCOMPARE(TMainForm::ImageIndex(german), 12);
        languageItem(QStringLiteral("English"))->trigger();
        QCOMPARE(mainChild<QAction>(form, "ExitMenuItem")->text(), QStringLiteral("&Exit"));
        QCOMPARE(TMainForm::ImageIndex(german), -1);
        QVERIFY(test::TestDriveTable::readFile(QStringLiteral("V:\\voxa\\manager\\voxam2.ini")).contains("Language = English"));
    }

    void languageFileGoneBeforeApplying()
    {
        writeLanguage(QStringLiteral("t.lng"), lines({"Language=T", "ID=T", "Help=t", "0=x"}));
        form->ListLanguages();
        QVERIFY(QFile::remove(drives->root('V') + QStringLiteral("/voxa/manager/Language/t.lng")));
        const QStringList before = snapshot();
        form->ApplyLanguage(QStringLiteral("T"));
        QCOMPARE(snapshot(), before);
    }

    void startPanelPicturesShowTheNewCaptions()
    {
        form->SkinToolButtons();
        const QImage before = form->StartPanel->Button(FrameKind::ConfigEditor)->NormalPic();
        writeLanguage(QStringLiteral("t.lng"), lines({"Language=T", "ID=T", "Help=", "11=&Konfig-Editor", "105=Sichern"}));
        form->ListLanguages();
        form->ApplyLanguage(QStringLiteral("T"));
        QCOMPARE(form->StartPanel->Button(FrameKind::ConfigEditor)->Caption(), QStringLiteral("Konfig-Editor"));
        QCOMPARE(mainChild<QAction>(form, "ConfigEditMenuItem")->text(), QStringLiteral("&Konfig-Editor"));
        QCOMPARE(mainChild<TSkinButton>(form, "SaveButton")->Hint(), QStringLiteral("Sichern"));
        QVERIFY(form->StartPanel->Button(FrameKind::ConfigEditor)->NormalPic() != before);
        QCOMPARE(form->StartPanel->Button(FrameKind::ConfigEditor)->NormalPic(),
                 MakeStartPanelPicture(skin::StartButton::Config, skin::State::Normal, QStringLiteral("Konfig-Editor"),
                                       form->SmallFontSet()));
    }

    // ------------------------------------------- the files delivered

    void deliveredFilesCoverEveryNumber()
    {
        for (const char *name : {"English.lng", "German.lng"}) {
            const QByteArray content = dataFile(name);
            QVERIFY2(!content.isEmpty(), name);
            const QList<QByteArray> l = LanguageLines(content);
            QVERIFY(l.size() > 3);
            QVERIFY(l[0].startsWith("Language="));
            QVERIFY(l[1].startsWith("ID="));
            QVERIFY(content.contains("\r\n"));
            QVERIFY(!content.contains("\n\n"));
            QSet<int> numbers;
            for (qsizetype i = 3; i < l.size(); ++i) {
                bool ok = false;
                const int n = l[i].left(l[i].indexOf('=')).toInt(&ok);
                QVERIFY2(ok, l[i].constData());
                QVERIFY2(!LanguageTargets::isIgnored(n), l[i].constData());
                QVERIFY2(!numbers.contains(n), l[i].constData());
                numbers.insert(n);
            }
            // Every number that is not ignored has a text.
            for (int n = 0; n <= 255; ++n)
                QVERIFY2(LanguageTargets::isIgnored(n) || numbers.contains(n), qPrintable(QString::number(n)));
        }
    }

    void englishFileRestoresTheBuiltInTexts()
    {
        writeLanguage(QStringLiteral("English.lng"), dataFile("English.lng"));
        writeLanguage(QStringLiteral("German.lng"), dataFile("German.lng"));
        form->ListLanguages();
        QCOMPARE(form->LanguageList.size(), 2);
        const QStringList builtIn = snapshot();
        form->ApplyLanguage(QStringLiteral("Deutsch"));
        const QStringList german = snapshot();
        QVERIFY(german != builtIn);
        QCOMPARE(mainChild<QAction>(form, "SaveAsMenuItem")->text(), QStringLiteral("Speichern &unter..."));
        QCOMPARE(msg(Msg::WrongFileFormat), QStringLiteral("Falsches Dateiformat"));
        QCOMPARE(HelpFileName(), QStringLiteral("voxam2ger.chm"));
        form->ApplyLanguage(QStringLiteral("English"));
        const QStringList english = snapshot();
        // Where one number feeds targets with different built-in captions
        // (the Open submenu's "..", the popup's items without "&"), the
        // file can give only one of them.
        QCOMPARE(english.size(), builtIn.size());
        QStringList differing;
        for (qsizetype i = 0; i < english.size(); ++i)
            if (english[i] != builtIn[i])
                differing << builtIn[i] + QStringLiteral(" -> ") + english[i];
        const QStringList allowed = {
            QStringLiteral("&Config File.. -> &Config File..."),   QStringLiteral("My&Radio File.. -> My&Radio File..."),
            QStringLiteral("Config File... -> &Config File..."),   QStringLiteral("Logo File... -> &Logo File..."),
            QStringLiteral("Message File... -> &Message File..."), QStringLiteral("MyRadio File... -> My&Radio File..."),
            QStringLiteral("Playdisplay File... -> &Playdisplay File..."), QStringLiteral("Filename -> File Name"),
        };
        for (const QString &d : differing)
            QVERIFY2(allowed.contains(d), qPrintable(d));
        QVERIFY(differing.contains(QStringLiteral("Filename -> File Name")));
        QCOMPARE(HelpFileName(), QStringLiteral("voxam2eng.chm"));
    }
};

QTEST_MAIN(TestLanguage)
#include "test_language.moc"

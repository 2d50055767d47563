#include "support/scriptedprompts.h"

#include <QTest>

using namespace voxa;

class TestPrompts : public QObject {
    Q_OBJECT
private slots:
    void scriptAnswersInOrder()
    {
        test::ScriptedPrompts p;
        p.expectMessage(QStringLiteral("Save changes"), Button::No).expectFile(QStringLiteral("/tmp/x.cfg"));
        QCOMPARE(prompts().ask(QStringLiteral("Warning"), QStringLiteral("Save changes?"),
                               Button::Yes | Button::No | Button::Cancel, Button::Yes),
                 Button::No);
        QCOMPARE(prompts().chooseFile({}), QStringLiteral("/tmp/x.cfg"));
        QCOMPARE(p.pending(), 0);
        QCOMPARE(p.records().size(), 2);
        const MessageBox box = p.records()[0].box;
        QCOMPARE(box.title, QStringLiteral("Warning"));
        QCOMPARE(box.defaultButton, Button::Yes);
        QCOMPARE(box.placement.kind, Placement::MainWindowOffset);
        QCOMPARE(box.placement.point, QPoint(70, 50));
    }

    void unexpectedQuestionFails_data()
    {
        QTest::addColumn<bool>("scriptSomethingElse");
        QTest::newRow("empty script") << false;
        QTest::newRow("different text") << true;
    }
    void unexpectedQuestionFails()
    {
        QFETCH(bool, scriptSomethingElse);
        test::ScriptedPrompts p;
        QStringList failures;
        p.onUnexpected = [&](const QString &what) { failures << what; };
        if (scriptSomethingElse)
            p.expectMessage(QStringLiteral("Overwrite?"));
        p.failOnLeftover = false;  // the scripted answer is the point here
        // Unexpected questions answer like a closed box: Cancel when offered.
        QCOMPARE(prompts().ask(QString(), QStringLiteral("Delete all?"), Button::Yes | Button::Cancel,
                               Button::Yes),
                 Button::Cancel);
        QCOMPARE(failures.size(), 1);
        QVERIFY(failures[0].contains(QStringLiteral("Delete all?")));
        QCOMPARE(p.unexpectedCalls(), 1);
    }

    void errorAndWarningShorthands()
    {
        test::ScriptedPrompts p;
        p.expectMessage(QStringLiteral("Cannot open")).expectMessage(QStringLiteral("careful"));
        prompts().error(QStringLiteral("Cannot open the file!"));
        QCOMPARE(p.lastMessage().title, QStringLiteral("Error"));
        QCOMPARE(p.lastMessage().icon, BoxIcon::Error);
        prompts().warning(QStringLiteral("be careful"));
        QCOMPARE(p.lastMessage().title, QStringLiteral("Warning"));
        QCOMPARE(p.lastMessage().buttons, Buttons(Button::Ok));
    }

    void withoutScriptedPromptsNothingIsAsked()
    {
        // After the scripted prompts go, the default answers like a closed box.
        QCOMPARE(prompts().ask(QString(), QStringLiteral("x"), Button::Yes | Button::No, Button::No), Button::No);
        QCOMPARE(prompts().chooseFile({}), QString());
    }
};

QTEST_GUILESS_MAIN(TestPrompts)
#include "test_prompts.moc"

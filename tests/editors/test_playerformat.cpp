// The table of player file kinds: each kind knows its own files and no
// other's, reads and writes them back byte for byte, and names a cut file's
// fault; the read-only step before a write asks only about read-only files.
#include "editors/config/configfile.h"
#include "editors/logo/logofile.h"
#include "editors/messages/messagefile.h"
#include "editors/myradio/myradiofile.h"
#include "editors/playdisplay/playdisplayfile.h"
#include "editors/playerformat.h"
#include "platform/fileops.h"
#include "platform/prompts.h"

#include <QTemporaryDir>
#include <QTest>

using namespace voxa;

namespace {

// A file of each kind as this system writes it.
QByteArray sample(const QString &kind)
{
    if (kind == QLatin1String("cfg")) {
        ConfigDocument doc;
        doc.setWord(1, -20);
        doc.setWord(5, 274);
        doc.setName(LogoSlot, ConfigName::fromBaseName(QStringLiteral("evening")));
        doc.setName(MessageSlot, ConfigName::empty());
        return configFormat().bytes(doc).value();
    }
    if (kind == QLatin1String("mgs"))
        return messageFormat().bytes(MessageFile{"2.10", {{1, "Play"}, {288, "88.0"}}}).value();
    if (kind == QLatin1String("mra"))
        return myRadioFormat()
            .bytes({MyRadioElement::fromPath(QStringLiteral("music\\rock\\a.mp3"), 3),
                    MyRadioElement::fromPath(QStringLiteral("music\\jazz"), 1)})
            .value();
    if (kind == QLatin1String("lce")) {
        LogoBitmap logo(VoxaADisplay);
        logo.setPixel(3, 4, true);
        logo.setPixel(100, 30, true);
        return logoFormat().bytes(logo).value();
    }
    PlayField field;
    field.left = 2;
    field.setRight(90);
    field.top = 12;
    field.kind = 1;
    return playdisplayFormat().bytes(PlaydisplayDocument{PlayLayout{true, {field}}, VoxaADisplay}).value();
}

const PlayerFormat *formatNamed(const QString &kind)
{
    for (const PlayerFormat *f : playerFormats())
        if (f->kind() == kind)
            return f;
    return nullptr;
}

// Answers every question with one button and counts them.
class FixedAnswer : public Prompts {
public:
    explicit FixedAnswer(Button b) : answer(b) {}
    Button message(const MessageBox &) override
    {
        ++asked;
        return answer;
    }
    QString chooseFile(const FileRequest &) override { return {}; }
    bool inputText(const QString &, const QString &, QString &) override { return false; }
    Button answer;
    int asked = 0;
};

}  // namespace

class TestPlayerFormat : public QObject {
    Q_OBJECT

private slots:
    void eachKind_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("signature");
        QTest::newRow("config") << QStringLiteral("cfg") << QByteArray("R7CFG");
        QTest::newRow("messages") << QStringLiteral("mgs") << QByteArray("R7MGS");
        QTest::newRow("MyRadio") << QStringLiteral("mra") << QByteArray("R7MRA");
        QTest::newRow("logo") << QStringLiteral("lce") << QByteArray("R7LCE");
        QTest::newRow("playdisplay") << QStringLiteral("ply") << QByteArray("R7PLY");
    }

    void eachKind()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, signature);
        const PlayerFormat *format = formatNamed(kind);
        QVERIFY(format);
        QCOMPARE(format->signature(), signature);
        const QByteArray bytes = sample(kind);
        QVERIFY(bytes.startsWith(signature));

        // Its own bytes and nobody else's.
        QCOMPARE(playerFormatOf(bytes), format);
        for (const PlayerFormat *other : playerFormats())
            QCOMPARE(other->recognises(bytes), other == format);

        // Decoded and encoded again, byte for byte, also through a file.
        const FileResult<QByteArray> again = format->rewrite(bytes);
        QVERIFY2(again.ok(), qPrintable(again.error().text()));
        QCOMPARE(*again, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("sample.") + kind);
        QVERIFY(playerfile::writeWhole(path, bytes).ok());
        const FileResult<QByteArray> content = format->content(path);
        QVERIFY(content.ok());
        QCOMPARE(format->rewrite(*content).value(), bytes);

        // A file cut inside its header is refused with words for the user.
        const FileResult<QByteArray> cut = format->rewrite(bytes.left(8));
        QVERIFY(!cut.ok());
        QVERIFY(!PlayerFormat::errorText(cut.error()).isEmpty());
        // A missing file reads as one that cannot be opened.
        const FileResult<QByteArray> missing = format->content(dir.filePath(QStringLiteral("none")));
        QVERIFY(!missing.ok());
        QVERIFY(missing.error().cannotOpen());
    }

    void strangers_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("four characters") << QByteArray("R7CF");
        QTest::newRow("unknown kind") << QByteArray("R7XYZ2.00\0", 10);
        QTest::newRow("lower case") << QByteArray("r7cfg2.00\0", 10);
        QTest::newRow("text") << QByteArray("hello, world");
    }

    void strangers()
    {
        QFETCH(QByteArray, head);
        QCOMPARE(playerFormatOf(head), nullptr);
    }

    void readOnlyStep_data()
    {
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("asked");
        QTest::addColumn<bool>("writable");
        QTest::newRow("writable: not asked") << false << int(Button::No) << 0 << true;
        QTest::newRow("read-only, yes: cleared") << true << int(Button::Yes) << 1 << true;
        QTest::newRow("read-only, no: kept") << true << int(Button::No) << 1 << false;
        QTest::newRow("read-only, closed: kept") << true << int(Button::Cancel) << 1 << false;
    }

    void readOnlyStep()
    {
        QFETCH(bool, readOnly);
        QFETCH(int, answer);
        QFETCH(int, asked);
        QFETCH(bool, writable);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.cfg"));
        QVERIFY(playerfile::writeWhole(path, sample(QStringLiteral("cfg"))).ok());
        if (readOnly)
            QVERIFY(fs::setReadOnly(path));
        FixedAnswer prompts{Button(answer)};
        setPrompts(&prompts);
        const bool allowed = askToMakeWritable(path, QString(), QStringLiteral("Overwrite?"));
        setPrompts(nullptr);
        QCOMPARE(prompts.asked, asked);
        QCOMPARE(allowed, writable);
        QCOMPARE(!fs::isReadOnly(path), writable);
        // The silent step clears whatever is left.
        QVERIFY(fs::makeWritable(path));
        QVERIFY(!fs::isReadOnly(path));
    }
};

QTEST_GUILESS_MAIN(TestPlayerFormat)
#include "test_playerformat.moc"

// Feeds the config, message and MyRadio readers thousands of damaged files:
// cut, extended, with flipped, overwritten, inserted and deleted bytes, and
// plain garbage. No reader may crash or read past the bytes it was given
// (build with VOXA_ASAN to check the latter), and whatever a reader accepts
// must write back and read again to the same document.
#include "editors/config/configfile.h"
#include "editors/messages/messagefile.h"
#include "editors/myradio/myradiofile.h"
#include "platform/paths.h"
#include "support/testdrives.h"
#include "support/mutate.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>

using namespace voxa;

namespace {

QByteArray configSeed()
{
    ConfigDocument doc;
    for (int n = 1; n <= 28; ++n)
        doc.setWord(n, qint16(n * 13));
    doc.setName(PlaydisplaySlot, ConfigName::fromBaseName(QStringLiteral("PLAY")));
    doc.setName(LogoSlot, ConfigName::empty());
    doc.setName(MessageSlot, ConfigName::fromBaseName(QStringLiteral("0123456789abcdef")));
    return *configFileBytes(doc);
}

QByteArray messageSeed()
{
    MessageSet entries;
    for (int i = 0; i < 120; ++i)
        entries.append({quint16(256 + i * 37), QByteArray("text ") + QByteArray::number(i)});
    entries.append({0x12FF, "x"});
    sortMessages(entries);
    return *messageFileBytes("2.10", entries);
}

QByteArray myRadioSeed()
{
    QList<MyRadioElement> elements;
    for (int i = 0; i < 30; ++i)
        elements.append(MyRadioElement::fromPath(QStringLiteral("music\\folder%1\\song.mp3").arg(i), 1 + i % 20));
    elements.append(MyRadioElement::fromPath(QString(259, QLatin1Char('z')), 20));
    return *myRadioFileBytes(elements);
}

QByteArray mutate(const QByteArray &b, QRandomGenerator &rng)
{
    static const char special[] = {'\0', '\xFF', '/', '\\', '\x7F', '\x80'};
    return test::mutateBytes(b, rng, {8, QByteArrayView(special, sizeof special), 300});
}

QByteArray garbage(QRandomGenerator &rng, const QByteArray &header)
{
    QByteArray b(qsizetype(rng.bounded(30000)), Qt::Uninitialized);
    for (char &c : b)
        c = char(rng.bounded(256));
    if (rng.bounded(2))
        b.replace(0, std::min(header.size(), b.size()), header.left(b.size()));
    return b;
}

// The bytes in a heap block of exactly their size, without the terminating
// zero a QByteArray keeps: reading one byte past them is an error that
// AddressSanitizer reports.
class ExactBytes {
public:
    explicit ExactBytes(const QByteArray &b)
        : m_block(new char[size_t(b.size())]), m_bytes(QByteArray::fromRawData(m_block.get(), b.size()))
    {
        std::copy(b.cbegin(), b.cend(), m_block.get());
    }
    const QByteArray &bytes() const { return m_bytes; }

private:
    std::unique_ptr<char[]> m_block;
    QByteArray m_bytes;
};

// Each check returns whether the input was accepted.
bool checkConfig(const QByteArray &input)
{
    const ExactBytes exact(input);
    const QByteArray &bytes = exact.bytes();
    const FileResult<ConfigDocument> doc = parseConfigFile(bytes);
    if (!doc)
        return false;
    const FileResult<QByteArray> again = configFileBytes(*doc);
    if (!again || *parseConfigFile(*again) != *doc)
        QTest::qFail("config does not write back", __FILE__, __LINE__);
    return true;
}

bool checkMessages(const QByteArray &input)
{
    const ExactBytes exact(input);
    const QByteArray &bytes = exact.bytes();
    const FileResult<MessageFile> f = parseMessageFile(bytes);
    if (!f)
        return false;
    if (f->entries.size() > MaxMessageEntries)
        QTest::qFail("more than 500 entries", __FILE__, __LINE__);
    for (qsizetype i = 1; i < f->entries.size(); ++i)
        if (f->entries[i - 1].Id > f->entries[i].Id)
            QTest::qFail("entries not sorted", __FILE__, __LINE__);
    const FileResult<QByteArray> again = messageFileBytes(f->firmwareVersion, f->entries);
    if (!again || *parseMessageFile(*again) != *f)
        QTest::qFail("message file does not write back", __FILE__, __LINE__);
    return true;
}

bool checkMyRadio(const QByteArray &input)
{
    const ExactBytes exact(input);
    const QByteArray &bytes = exact.bytes();
    const FileResult<QList<MyRadioElement>> elements = parseMyRadioFile(bytes);
    if (!elements)
        return false;
    if (elements->size() > MyRadioMaxElements)
        QTest::qFail("more than 100 elements", __FILE__, __LINE__);
    bool pathTooLong = false;
    for (const MyRadioElement &e : *elements) {
        if (e.weightClass < 1 || e.weightClass > 20)
            QTest::qFail("weight class out of range", __FILE__, __LINE__);
        if (e.path().contains(QLatin1Char('/')) || e.path().isEmpty())
            QTest::qFail("path not as read", __FILE__, __LINE__);
        pathTooLong = pathTooLong || e.path().size() > MyRadioMaxPath;
    }
    const FileResult<QByteArray> again = myRadioFileBytes(*elements);
    if (pathTooLong) {
        if (again.ok() || again.error().reason != FileFailure::DataTooLong)
            QTest::qFail("overlong path not refused", __FILE__, __LINE__);
        return true;
    }
    if (!again)
        QTest::qFail("MyRadio file does not write back", __FILE__, __LINE__);
    const FileResult<QList<MyRadioElement>> back = parseMyRadioFile(*again);
    if (!back || back->size() != elements->size())
        QTest::qFail("MyRadio file does not read back", __FILE__, __LINE__);
    for (qsizetype i = 0; i < back->size(); ++i)
        if (back->at(i).path() != elements->at(i).path())
            QTest::qFail("MyRadio path changed", __FILE__, __LINE__);
    return true;
}

using Check = bool (*)(const QByteArray &);


}  // namespace

class TestFormatsFuzzA : public QObject {
    Q_OBJECT

    void run(const QByteArray &seed, Check check, const QByteArray &header, quint32 seedNumber)
    {
        QVERIFY(check(seed));
        // Every cut of the first bytes and a spread of longer cuts.
        for (qsizetype n = 0; n < seed.size(); n += (n < 700 ? 1 : 97)) {
            check(seed.left(n));
            if (QTest::currentTestFailed())
                return;
        }
        QRandomGenerator rng(seedNumber);
        int accepted = 0;
        for (int i = 0; i < 4000; ++i) {
            accepted += check(mutate(seed, rng)) ? 1 : 0;
            if (QTest::currentTestFailed())
                return;
        }
        for (int i = 0; i < 300; ++i) {
            check(garbage(rng, header));
            if (QTest::currentTestFailed())
                return;
        }
        // The mutations must leave some files readable, or they test little.
        QVERIFY2(accepted > 100, qPrintable(QString::number(accepted)));
    }

private slots:
    void config()
    {
        run(configSeed(), checkConfig, QByteArray("R7CFG2.00\0", 10), 1);
    }
    void messages()
    {
        run(messageSeed(), checkMessages, QByteArray("R7MGS1.01\0SW", 12), 2);
    }
    void myRadio()
    {
        run(myRadioSeed(), checkMyRadio, QByteArray("R7MRA1.00\0", 10), 3);
    }

    void sharesOfAnyKind()
    {
        QRandomGenerator rng(4);
        for (int i = 0; i < 2000; ++i) {
            QList<quint32> shares;
            const int n = int(rng.bounded(120));
            for (int k = 0; k < n; ++k)
                shares.append(rng.bounded(3) ? rng.generate() : rng.bounded(50u));
            const QList<int> classes = DecodeShares(shares);
            QCOMPARE(classes.size(), shares.size());
            for (int c : classes)
                QVERIFY(c >= 1 && c <= 20);
        }
    }

    // The same through real files, as the editors read them.
    void filesOnDisk()
    {
        test::TestDriveTable drives;
        drives.add('E');
        QRandomGenerator rng(5);
        const struct {
            QString path;
            QByteArray seed;
        } kinds[] = {{QStringLiteral("E:\\a.cfg"), configSeed()},
                     {QStringLiteral("E:\\a.mgs"), messageSeed()},
                     {QStringLiteral("E:\\a.mra"), myRadioSeed()}};
        for (int i = 0; i < 600; ++i) {
            for (const auto &k : kinds) {
                QVERIFY(test::TestDriveTable::writeFile(k.path, mutate(k.seed, rng)));
                const bool cfg = ReadConfigFile(k.path).ok();
                const bool mgs = readMessageFile(k.path).ok();
                const bool mra = ReadMyRadioFile(k.path).ok();
                // A file is never taken for two kinds.
                QVERIFY(int(cfg) + int(mgs) + int(mra) <= 1);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestFormatsFuzzA)
#include "test_formats_fuzz_a.moc"

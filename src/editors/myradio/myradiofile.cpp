#include "editors/myradio/myradiofile.h"

#include "platform/codepage.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>

namespace voxa {
namespace {

constexpr qsizetype RecordsOffset = 10;
constexpr qsizetype ShareOffset = 260;
constexpr const char *Signature = "R7MRA";

QByteArray myRadioHeader()
{
    return playerfile::header(Signature, "1.00");
}

}  // namespace

bool MyRadioElement::isFile() const
{
    return name.endsWith(QLatin1String(".MP3"), Qt::CaseInsensitive);
}

MyRadioElement MyRadioElement::fromPath(const QString &path, int weightClass)
{
    QString p = path;
    p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const qsizetype cut = p.lastIndexOf(QLatin1Char('\\')) + 1;
    return {p.left(cut), p.mid(cut), weightClass};
}

QList<quint32> EncodeShares(const QList<int> &weightClasses)
{
    QList<quint32> shares;
    if (weightClasses.isEmpty())
        return shares;
    quint64 sum = 0;
    for (int c : weightClasses)
        sum += quint64(std::clamp(c, MyRadioMinClass, MyRadioMaxClass));
    quint64 unit = 4294967295ULL / std::max<quint64>(sum, 1);
    static constexpr int divisors[] = {2, 3, 4, 5, 7, 9, 11, 13, 16, 17, 19};
    const auto divisible = [](quint64 u) {
        return std::any_of(std::begin(divisors), std::end(divisors), [u](int d) { return u % d == 0; });
    };
    while (unit > 1 && divisible(unit))
        --unit;
    shares.reserve(weightClasses.size());
    for (int c : weightClasses)
        shares.append(quint32(quint64(std::clamp(c, MyRadioMinClass, MyRadioMaxClass)) * unit));
    return shares;
}

quint32 ShareUnit(const QList<quint32> &shares, int capacity)
{
    struct Candidate {
        quint32 unit;
        int count;
    };
    std::vector<Candidate> candidates;
    QHash<quint32, qsizetype> index;
    for (quint32 w : shares) {
        for (quint32 k = 20; k >= 1; --k) {
            if (w % k != 0)
                continue;
            const quint32 q = w / k;
            const auto it = index.constFind(q);
            if (it != index.constEnd()) {
                ++candidates[size_t(*it)].count;
            } else if (qsizetype(candidates.size()) < capacity) {
                index.insert(q, qsizetype(candidates.size()));
                candidates.push_back({q, 1});
            }
        }
    }
    if (candidates.empty())
        return 1;
    const Candidate *best = &candidates.front();
    for (const Candidate &c : candidates)
        if (c.count > best->count)
            best = &c;
    return best->unit == 0 ? 1 : best->unit;
}

QList<int> DecodeShares(const QList<quint32> &shares)
{
    QList<int> classes;
    if (shares.isEmpty())
        return classes;
    const quint32 unit = ShareUnit(shares);

    QList<quint64> raw;
    raw.reserve(shares.size());
    quint64 largest = 0;
    for (quint32 w : shares) {
        raw.append(w / unit);
        largest = std::max(largest, raw.back());
    }
    classes.reserve(shares.size());
    for (quint64 w : raw) {
        // Scaled in whole numbers: in floating point the largest class can
        // come out as 19.999... and lose its 20.
        if (largest > quint64(MyRadioMaxClass))
            w = w * MyRadioMaxClass / largest;
        classes.append(int(std::max<quint64>(w, MyRadioMinClass)));
    }
    return classes;
}

FileResult<QList<MyRadioRecord>> parseMyRadioRecords(const QByteArray &bytes)
{
    if (bytes.size() < MyRadioFileSize)
        return playerfile::tooShort(bytes.size(), MyRadioFileSize);
    if (!bytes.startsWith(myRadioHeader()))
        return playerfile::failure(FileFailure::WrongFormat);

    QList<MyRadioRecord> records;
    for (int i = 0; i < MyRadioMaxElements; ++i) {
        const qsizetype at = RecordsOffset + MyRadioRecordSize * i;
        const char *record = bytes.constData() + at;
        if (record[0] == '\0')
            break;
        const qsizetype length = qstrnlen(record, MyRadioPathField);
        MyRadioRecord r;
        r.element = MyRadioElement::fromPath(fromCodePage(QByteArrayView(record, length)), MyRadioMinClass);
        r.share = qFromLittleEndian<quint32>(record + ShareOffset);
        records.append(r);
    }
    return records;
}

FileResult<QList<MyRadioElement>> parseMyRadioFile(const QByteArray &bytes)
{
    FileResult<QList<MyRadioRecord>> records = parseMyRadioRecords(bytes);
    if (!records)
        return records.error();
    QList<quint32> shares;
    for (const MyRadioRecord &r : *records)
        shares.append(r.share);
    const QList<int> classes = DecodeShares(shares);
    QList<MyRadioElement> elements;
    elements.reserve(records->size());
    for (qsizetype i = 0; i < records->size(); ++i) {
        MyRadioElement e = records->at(i).element;
        e.weightClass = classes[i];
        elements.append(e);
    }
    return elements;
}

FileError checkMyRadioPath(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)) || !isCodePageText(path))
        return playerfile::failure(FileFailure::CannotStore, path);
    if (toCodePage(path).size() > MyRadioMaxPath)
        return playerfile::failure(FileFailure::DataTooLong, path);
    return {};
}

FileResult<QByteArray> myRadioFileBytes(const QList<MyRadioElement> &elements)
{
    if (elements.size() > MyRadioMaxElements)
        return playerfile::failure(FileFailure::TooManyElements);
    QByteArray out(MyRadioFileSize, '\0');
    out.replace(0, 10, myRadioHeader());
    QList<int> classes;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        FileError bad = checkMyRadioPath(elements[i].path());
        if (bad.failed()) {
            if (bad.subject.isEmpty())
                bad.subject = QStringLiteral("element %1").arg(i + 1);
            return bad;
        }
        classes.append(elements[i].weightClass);
    }
    const QList<quint32> shares = EncodeShares(classes);
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const qsizetype at = RecordsOffset + MyRadioRecordSize * i;
        const QByteArray path = toCodePage(elements[i].path());
        out.replace(at, path.size(), path);
        qToLittleEndian(shares[i], out.data() + at + ShareOffset);
    }
    return out;
}

const DocumentFormat<QList<MyRadioElement>> &myRadioFormat()
{
    static const DocumentFormat<QList<MyRadioElement>> format(Signature, "mra", MyRadioFileSize, parseMyRadioFile,
                                                              myRadioFileBytes);
    return format;
}

FileResult<QList<MyRadioElement>> ReadMyRadioFile(const QString &path)
{
    return myRadioFormat().read(path);
}

WriteResult WriteMyRadioFile(const QString &path, const QList<MyRadioElement> &elements)
{
    return myRadioFormat().write(path, elements);
}

}  // namespace voxa

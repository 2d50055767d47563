// voxatool show for MyRadio profiles: every element with its weight class
// and the share stored for it.
#include "editors/myradio/myradiofile.h"
#include "tool/showformat.h"

#include <QJsonArray>

namespace voxa::tool {
namespace {

ShowResult showMyRadio(const QString &path)
{
    ShowResult r;
    const FileResult<QByteArray> bytes = myRadioFormat().content(path);
    const FileResult<QList<MyRadioRecord>> records =
        bytes ? parseMyRadioRecords(*bytes) : FileResult<QList<MyRadioRecord>>(bytes.error());
    if (!records) {
        r.error = records.error().text();
        return r;
    }
    QList<quint32> shares;
    for (const MyRadioRecord &rec : *records)
        shares.append(rec.share);
    const QList<int> classes = DecodeShares(shares);
    QString text = QStringLiteral("MyRadio file R7MRA 1.00\n%1 elements\n").arg(records->size());
    QJsonArray list;
    for (qsizetype i = 0; i < records->size(); ++i) {
        MyRadioElement e = records->at(i).element;
        e.weightClass = classes[i];
        const quint32 share = shares[i];
        text += QStringLiteral("  %1 class %2 share %3 %4 %5\n")
                    .arg(i + 1, 3)
                    .arg(e.weightClass, 2)
                    .arg(share, 10)
                    .arg(e.isFile() ? QStringLiteral("file  ") : QStringLiteral("folder"))
                    .arg(e.path());
        list.append(QJsonObject{{QStringLiteral("path"), e.path()},
                                {QStringLiteral("folder"), e.folder},
                                {QStringLiteral("name"), e.name},
                                {QStringLiteral("isFile"), e.isFile()},
                                {QStringLiteral("weightClass"), e.weightClass},
                                {QStringLiteral("share"), qint64(share)}});
    }
    r.ok = true;
    r.text = text;
    r.json = QJsonObject{{QStringLiteral("kind"), QStringLiteral("mra")},
                         {QStringLiteral("elements"), list}};
    return r;
}

const ShowFormat myRadioShow(voxa::myRadioFormat(), showMyRadio);

}  // namespace
}  // namespace voxa::tool

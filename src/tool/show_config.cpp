// voxatool show for config files: every setting word by name, and the name
// slots.
#include "editors/config/configfile.h"
#include "tool/showformat.h"

#include <QJsonArray>

namespace voxa::tool {
namespace {

QString slotState(const ConfigName &n)
{
    if (n.isUnchanged())
        return QStringLiteral("unchanged");
    return n.isEmpty() ? QStringLiteral("empty") : QStringLiteral("name");
}

ShowResult showConfig(const QString &path)
{
    ShowResult r;
    const FileResult<ConfigDocument> doc = ReadConfigFile(path);
    if (!doc) {
        r.error = doc.error().text();
        return r;
    }
    QString text = QStringLiteral("config file R7CFG 2.00\n");
    QJsonArray words;
    QString page;
    for (int n = 1; n <= ConfigUsedWords; ++n) {
        const ConfigSetting *s = configSetting(n);
        const QString pageName = QString::fromLatin1(s->page);
        if (pageName != page) {
            page = pageName;
            text += page + QLatin1Char('\n');
        }
        const int value = doc->word(n);
        const QString shown = configValueText(n, value);
        text += QStringLiteral("  %1 %2 %3")
                    .arg(n, 2)
                    .arg(QString::fromLatin1(s->name), -15)
                    .arg(shown);
        if (value != ConfigUnchanged && shown != QString::number(value))
            text += QStringLiteral(" (%1)").arg(value);
        text += QLatin1Char('\n');
        words.append(QJsonObject{{QStringLiteral("word"), n},
                                 {QStringLiteral("setting"), QString::fromLatin1(s->name)},
                                 {QStringLiteral("page"), page},
                                 {QStringLiteral("value"), value},
                                 {QStringLiteral("unchanged"), value == ConfigUnchanged},
                                 {QStringLiteral("valid"), isValidConfigValue(n, value)},
                                 {QStringLiteral("text"), shown}});
    }
    text += QStringLiteral("Name slots\n");
    QJsonArray names;
    for (int slot = 1; slot <= ConfigSlotCount; ++slot) {
        const ConfigName &n = doc->name(slot);
        QString shown;
        if (n.isUnchanged())
            shown = QStringLiteral("unchanged");
        else if (n.isEmpty())
            shown = slot == MyRadioSlot ? QStringLiteral("MyRadio Off") : QStringLiteral("DEFAULT");
        else
            shown = QLatin1Char('"') + n.text() + QLatin1Char('"');
        text += QStringLiteral("  %1 %2 %3\n").arg(slot, 2).arg(configSlotKind(slot), -15).arg(shown);
        QJsonObject o{{QStringLiteral("slot"), slot},
                      {QStringLiteral("kind"), configSlotKind(slot)},
                      {QStringLiteral("state"), slotState(n)}};
        if (n.isName())
            o.insert(QStringLiteral("name"), n.text());
        names.append(o);
    }
    r.ok = true;
    r.text = text;
    r.json = QJsonObject{{QStringLiteral("kind"), QStringLiteral("cfg")},
                         {QStringLiteral("ConfigWords"), words},
                         {QStringLiteral("ConfigNames"), names}};
    return r;
}

const ShowFormat configShow(voxa::configFormat(), showConfig);

}  // namespace
}  // namespace voxa::tool

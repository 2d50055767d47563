#include "app/languagetargets.h"

#include "app/messagetable.h"
#include "app/owntexts.h"

namespace voxa {

LanguageTargets &LanguageTargets::instance()
{
    static LanguageTargets t;
    return t;
}

void LanguageTargets::add(int number, QObject *owner, std::function<void(const QString &)> apply)
{
    m_targets.append({number, owner, std::move(apply)});
    if (owner)
        QObject::connect(owner, &QObject::destroyed, [this, owner] {
            m_targets.removeIf([owner](const Target &t) { return t.owner == owner; });
        });
}

void LanguageTargets::addStarred(int number, QObject *owner, std::function<void(const QString &)> apply)
{
    add(number, owner, [fn = std::move(apply)](const QString &t) { fn(QStringLiteral("* ") + t); });
}

void LanguageTargets::addMax10000(int number, QObject *owner, std::function<void(const QString &)> apply)
{
    add(number, owner, [fn = std::move(apply)](const QString &t) { fn(t + QStringLiteral(" (max. 10000)")); });
}

bool LanguageTargets::isIgnored(int number)
{
    // The system's own texts have numbers of their own above the table's.
    if (isOwnNumber(number))
        return false;
    return number < 0 || number > 255 || number == 16 || number == 46 || number == 75 || number == 151;
}

bool LanguageTargets::apply(int number, const QString &text)
{
    if (isIgnored(number))
        return false;
    for (int i = 0; i < int(Msg::Count); ++i)
        if (languageNumber(Msg(i)) == number)
            setMessage(Msg(i), text);
    setOwnText(number, text);
    // A target may register further targets while applying; iterate a copy.
    const QList<Target> targets = m_targets;
    for (const Target &t : targets)
        if (t.number == number)
            t.fn(text);
    return true;
}

int LanguageTargets::count(int number) const
{
    int n = 0;
    for (int i = 0; i < int(Msg::Count); ++i)
        n += languageNumber(Msg(i)) == number;
    for (const Target &t : m_targets)
        n += t.number == number;
    return n;
}

void LanguageTargets::clear()
{
    m_targets.clear();
}

}  // namespace voxa

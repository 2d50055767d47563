#pragma once
// Who receives the text of a language-file number. Each frame registers its
// own targets (captions, hints, column titles, list items) when it is
// created, so frames join the language files without a central switch. The
// message table's entries are targets too.
#include <QObject>
#include <QString>
#include <functional>

namespace voxa {

class LanguageTargets {
public:
    static LanguageTargets &instance();

    // The text of number goes to apply. The target is dropped when owner is
    // destroyed.
    void add(int number, QObject *owner, std::function<void(const QString &)> apply);
    // Shorthands for the forms a language file uses.
    void addStarred(int number, QObject *owner, std::function<void(const QString &)> apply);  // "* " + text
    void addMax10000(int number, QObject *owner, std::function<void(const QString &)> apply); // text + " (max. 10000)"

    // Numbers outside 0..255 and 16, 46, 75 and 151 are ignored, apart from
    // the own texts' numbers (owntexts.h). Returns
    // whether the number is one that is applied.
    bool apply(int number, const QString &text);
    static bool isIgnored(int number);

    int count(int number) const;
    void clear();  // tests

private:
    struct Target {
        int number;
        QObject *owner;
        std::function<void(const QString &)> fn;
    };
    QList<Target> m_targets;
};

}  // namespace voxa

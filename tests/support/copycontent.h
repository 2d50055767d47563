#pragma once
// What the MyRadio copy tests copy: file bodies whose bytes follow from a
// seed and their position (so a copy cut short or taken from the wrong file
// shows), and element lists of one priority class.
#include "editors/myradio/myradiofile.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace voxa::test {

inline QByteArray pattern(qint64 size, char seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        b[i] = char(seed + i * 7 + i / 251);
    return b;
}

inline QList<MyRadioElement> elements(const QStringList &paths, int priorityClass)
{
    QList<MyRadioElement> out;
    for (const QString &p : paths)
        out.append(MyRadioElement::fromPath(p, priorityClass));
    return out;
}

}  // namespace voxa::test

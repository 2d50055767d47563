#pragma once
// Runs voxatool in-process and keeps what it printed.
#include "tool/command.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace voxa::test {

struct Run {
    int status;
    QString out;
    QString err;
};

inline Run run(const QStringList &args)
{
    Run r;
    QTextStream o(&r.out), e(&r.err);
    tool::Io io{o, e};
    r.status = tool::runTool(args, io);
    o.flush();
    e.flush();
    return r;
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The one object `show --json` prints for a file.
inline QJsonObject shownJson(const Run &r)
{
    const QJsonArray all = QJsonDocument::fromJson(r.out.toUtf8()).array();
    return all.size() == 1 ? all[0].toObject() : QJsonObject();
}

}  // namespace voxa::test

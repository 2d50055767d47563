#pragma once
// `voxatool show` recognises a player file by its signature and hands it to
// the printer registered for that kind. Each file format registers its
// printer in a file of its own (a static ShowFormat object), like commands.
#include "tool/command.h"

#include <QByteArray>
#include <QJsonObject>

namespace voxa::tool {

struct ShowResult {
    bool ok = false;
    QString error;      // the system's message when the file cannot be read
    QString text;       // readable form
    QJsonObject json;   // the same, with the field names the code uses
};

struct ShowFormat {
    // signature: the five characters a file of this kind begins with ("R7CFG").
    ShowFormat(const char *signature, const char *kind,
               std::function<ShowResult(const QString &path)> show);
    QByteArray signature;
    QString kind;
    std::function<ShowResult(const QString &path)> show;
};

const QList<const ShowFormat *> &showFormats();

}  // namespace voxa::tool

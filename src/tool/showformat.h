#pragma once
// `voxatool show` asks the table of player file kinds which kind a file is
// and hands it to the printer registered for that kind. Each kind registers
// its printer in a file of its own (a static ShowFormat object), like
// commands.
#include "editors/playerformat.h"
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
    ShowFormat(const PlayerFormat &format, std::function<ShowResult(const QString &path)> show);
    const PlayerFormat &format;
    std::function<ShowResult(const QString &path)> show;
};

const QList<const ShowFormat *> &showFormats();

}  // namespace voxa::tool

#include "update/updateinfo.h"

#include "app/messagetable.h"
#include "app/version.h"
#include "device/managerdrive.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace voxa {
namespace {

const UpdateRowDef RowDefs[UpdateRowCount] = {
    {1, "VOXA Manager", nullptr, nullptr, nullptr, "MANAGER_VERSION", "MANAGER_URL", "MANAGER_SHA256",
     " VOXA Manager...", "voxa\\manager"},
    {2, "VOXA-A 2.xx Firmware", "autoupd.dat", "R7USW2", nullptr, "VOXA_FIRMWARE_VERSION", "VOXA_FIRMWARE_URL",
     "VOXA_FIRMWARE_SHA256", " VOXA-A 2.xx Firmware...", "voxa"},
    {3, "Satellite Display Firmware", "extupd.dat", "R7SAT", nullptr, "SAT_FIRMWARE_VERSION", "SAT_FIRMWARE_URL",
     "SAT_FIRMWARE_SHA256", " Satellite Firmware...", "voxa"},
    {4, "VOXA-A 3.xx Firmware for KX Only", "autoupd.dat", "R7USW3", nullptr, "VOXA_3.xx_FIRMWARE_VERSION",
     "VOXA_3.xx_FIRMWARE_URL", "VOXA_3.xx_FIRMWARE_SHA256", " VOXA-A 3.xx Firmware for KX Only...", "voxa"},
    {5, "VOXA-C Firmware", "autoupd.dat", "VOXAC", nullptr, "VOXAC_FIRMWARE_VERSION", "VOXAC_FIRMWARE_URL",
     "VOXAC_FIRMWARE_SHA256", " VOXA-C Firmware...", "voxa"},
    {6, "VA-DA Front Panel", "extupd.dat", "KX_FP", "VA-DA", "VOXA_CARFRONT_VERSION", "VOXA_CARFRONT_URL",
     "VOXA_CARFRONT_SHA256", " VA-DA Front Panel...", "voxa"},
};

// 64 hex digits (blanks around them allowed) as 32 bytes; empty otherwise.
QByteArray parseDigest(const QByteArray &value)
{
    const QByteArray hex = value.trimmed();
    if (hex.size() != 64)
        return {};
    for (char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return {};
    return QByteArray::fromHex(hex);
}

}  // namespace

const UpdateRowDef &updateRowDef(int row)
{
    Q_ASSERT(row >= 1 && row <= UpdateRowCount);
    return RowDefs[std::clamp(row, 1, UpdateRowCount) - 1];
}

std::optional<UpdateInfo> ParseUpdateInfo(const QByteArray &bytes)
{
    // Lines end in CR LF, LF or a lone CR, as a text file reader takes them.
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.append(bytes.mid(start));

    if (lines.isEmpty() || lines.first() != "[UPDATE]")
        return std::nullopt;

    UpdateInfo info;
    for (qsizetype n = 1; n < lines.size(); ++n) {
        const QByteArray &line = lines[n];
        const qsizetype eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const QByteArray key = line.left(eq);
        const QByteArray value = line.mid(eq + 1);
        for (const UpdateRowDef &def : RowDefs) {
            const size_t i = size_t(def.row - 1);
            if (key == def.versionKey)
                info.versions[i] = fromCodePage(value);
            else if (key == def.urlKey)
                info.urls[i] = fromCodePage(value);
            else if (key == def.checksumKey)
                info.checksums[i] = parseDigest(value);
        }
    }
    for (QString &url : info.urls)
        url.replace(QLatin1Char(' '), QLatin1String("%20"));
    return info;
}

QString UpdateInfoPath(QChar drive)
{
    return QString(drive) + QStringLiteral(":\\voxa\\manager\\update2.ini");
}

std::optional<UpdateInfo> ReadUpdateInfoFile(const QString &path, UpdateInfoError *error)
{
    const std::optional<QByteArray> bytes = fs::readRegularFile(path, MaxUpdateInfoBytes + 1);
    if (!bytes) {
        if (error)
            *error = UpdateInfoError::CannotOpen;
        return std::nullopt;
    }
    std::optional<UpdateInfo> info;
    if (bytes->size() <= MaxUpdateInfoBytes)
        info = ParseUpdateInfo(*bytes);
    if (error)
        *error = info ? UpdateInfoError::None : UpdateInfoError::Invalid;
    return info;
}

std::optional<UpdateInfo> ReadUpdateInfo(QChar drive, Placement placement)
{
    UpdateInfoError error = UpdateInfoError::None;
    std::optional<UpdateInfo> info = ReadUpdateInfoFile(UpdateInfoPath(drive), &error);
    if (error == UpdateInfoError::CannotOpen)
        prompts().warning(msg(Msg::CannotOpenUpdateInfo), placement);
    else if (error == UpdateInfoError::Invalid)
        prompts().warning(msg(Msg::UpdateInfoInvalid), placement);
    return info;
}

QString ReadInstalledFirmware(QChar drive, const QString &recordFile, const QString &identifier)
{
    const QString unknown = QString::fromLatin1(UnknownFirmwareVersion);
    if (drive.isNull())
        return unknown;
    const QString path = QString(drive) + QStringLiteral(":\\voxa\\") + recordFile;
    const std::optional<QByteArray> record = fs::readRegularFile(path, 9);
    if (!record || record->size() < 9)
        return unknown;
    const QByteArray id = toCodePage(identifier);
    if (id.isEmpty() || id.size() > 9 || !record->startsWith(id))
        return unknown;
    return fromCodePage(record->mid(5, 4));
}

QString InstalledVersion(QChar drive, int row)
{
    const UpdateRowDef &def = updateRowDef(row);
    if (!def.recordFile)
        return QString::fromLatin1(ManagerVersionText);
    const QString file = QString::fromLatin1(def.recordFile);
    QString version = ReadInstalledFirmware(drive, file, QString::fromLatin1(def.identifier));
    if (def.fallbackIdentifier && version == QLatin1String(UnknownFirmwareVersion))
        version = ReadInstalledFirmware(drive, file, QString::fromLatin1(def.fallbackIdentifier));
    return version;
}

int CompareVersions(const QString &a, const QString &b)
{
    const QByteArray x = toCodePage(a);
    const QByteArray y = toCodePage(b);
    const qsizetype n = std::min(x.size(), y.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto cx = static_cast<unsigned char>(x[i]);
        const auto cy = static_cast<unsigned char>(y[i]);
        if (cx != cy)
            return cx < cy ? -1 : 1;
    }
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

bool IsNewerVersion(const std::optional<QString> &offered, const QString &installed)
{
    return offered && CompareVersions(*offered, installed) > 0;
}

bool IsSafeFileName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
        if (QStringView(u"\\/:*?\"<>|").contains(c))
            return false;
    }
    return true;
}

std::optional<QString> TargetFileName(const QString &url)
{
    const QString name = url.mid(url.lastIndexOf(QLatin1Char('/')) + 1);
    if (!IsSafeFileName(name))
        return std::nullopt;
    return name;
}

std::optional<QString> UpdateTargetPath(QChar drive, int row, const QString &url)
{
    const std::optional<QString> name = TargetFileName(url);
    if (!name)
        return std::nullopt;
    const QString folder = QString(drive) + QStringLiteral(":\\") + QString::fromLatin1(updateRowDef(row).folder);
    return platform::joinDevice(folder, *name);
}

bool IsInstallationFileName(const QString &name)
{
    QString n = name;
    while (n.endsWith(QLatin1Char('.')) || n.endsWith(QLatin1Char(' ')))
        n.chop(1);
    if (n.endsWith(QLatin1String(".lng"), Qt::CaseInsensitive) ||
        n.endsWith(QLatin1String(".chm"), Qt::CaseInsensitive))
        return true;
    QStringList own = {QStringLiteral("voxam2.ini"), QStringLiteral("copy.his"), QStringLiteral("play.m3u"),
                       QStringLiteral("Language")};
    for (const InstallFile &f : InstallFileList())
        own << f.name;
    // A drive may carry the other platform's installation too.
    for (const ManagerFileNames &m : {windowsManagerFiles(), linuxManagerFiles()})
        own << m.program << m.runtime << m.olderRuntime;
    for (const QString &o : own)
        if (!o.isEmpty() && n.compare(o, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool IsInstallationFile(const QString &target)
{
    if (IsInstallationFileName(platform::fileNameOf(target)))
        return true;
    const QString native = platform::isDevicePath(target) ? platform::toNative(target) : target;
    struct stat t {};
    if (native.isEmpty() || ::lstat(QFile::encodeName(native).constData(), &t) != 0)
        return false;  // nothing there yet to be another name of
    const QString folder = QFileInfo(native).absolutePath();
    for (const fs::Entry &e : fs::listDir(folder)) {
        if (!IsInstallationFileName(e.name))
            continue;
        struct stat o {};
        if (::lstat(QFile::encodeName(QDir(folder).filePath(e.name)).constData(), &o) == 0 && o.st_dev == t.st_dev &&
            o.st_ino == t.st_ino)
            return true;
    }
    return false;
}

QString UpdateSettingsFile()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/voxa/update");
}

QString UpdateServerAddress()
{
    QString configured = qEnvironmentVariable(UpdateServerVariable).trimmed();
    if (configured.isEmpty()) {
        // Lines "Update Server = http://host:8080"; others are ignored.
        const std::optional<QByteArray> text = fs::readRegularFile(UpdateSettingsFile(), 64 * 1024);
        for (const QByteArray &line : text.value_or(QByteArray()).split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0 && line.left(eq).trimmed().compare(UpdateServerKey, Qt::CaseInsensitive) == 0)
                configured = QString::fromUtf8(line.mid(eq + 1)).trimmed();
        }
    }
    return configured.isEmpty() ? QString::fromLatin1(DefaultUpdateServer) : configured;
}

QString UpdateInfoUrl(const QString &server)
{
    QString base = server;
    while (base.endsWith(QLatin1Char('/')))
        base.chop(1);
    return base + QStringLiteral("/update/update2.ini");
}

}  // namespace voxa

#include "support/testdrives.h"

#include "platform/fileops.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace voxa::test {

TestDriveTable::TestDriveTable()
{
    platform::setDriveTable(this);
    // The drives' made-up free space stands in for their folders' volume.
    fs::setFreeSpaceStandIn([this](const QString &path) -> std::optional<qint64> {
        if (!platform::isDevicePath(path))
            return std::nullopt;
        for (const auto &d : m_drives)
            if (d.letter == path[0].toUpper())
                return d.freeBytes;
        return std::nullopt;
    });
}

TestDriveTable::~TestDriveTable()
{
    fs::setFreeSpaceStandIn({});
    platform::setDriveTable(nullptr);
}

QString TestDriveTable::add(QChar letter, platform::DriveType type, const QString &fileSystem,
                            const QString &label, qint64 freeBytes, qint64 totalBytes)
{
    auto dir = std::make_unique<QTemporaryDir>();
    const QString root = QFileInfo(dir->path()).canonicalFilePath();
    m_dirs.push_back(std::move(dir));
    addFolder(letter, root, type, fileSystem, label, freeBytes, totalBytes);
    return root;
}

void TestDriveTable::addFolder(QChar letter, const QString &root, platform::DriveType type,
                               const QString &fileSystem, const QString &label, qint64 freeBytes,
                               qint64 totalBytes)
{
    remove(letter);
    platform::DriveInfo d;
    d.letter = letter.toUpper();
    d.type = type;
    d.fileSystem = fileSystem;
    d.label = label;
    d.freeBytes = freeBytes;
    d.totalBytes = totalBytes;
    d.root = root;
    m_drives.append(d);
    std::sort(m_drives.begin(), m_drives.end(),
              [](const auto &a, const auto &b) { return a.letter < b.letter; });
}

void TestDriveTable::remove(QChar letter)
{
    m_drives.removeIf([&](const platform::DriveInfo &d) { return d.letter == letter.toUpper(); });
}

void TestDriveTable::setFree(QChar letter, qint64 freeBytes)
{
    for (auto &d : m_drives)
        if (d.letter == letter.toUpper())
            d.freeBytes = freeBytes;
}

void TestDriveTable::setDevice(QChar letter, const QString &device)
{
    for (auto &d : m_drives)
        if (d.letter == letter.toUpper())
            d.device = device;
}

QString TestDriveTable::root(QChar letter) const
{
    for (const auto &d : m_drives)
        if (d.letter == letter.toUpper())
            return d.root;
    return {};
}

bool TestDriveTable::writeFile(const QString &devicePath, const QByteArray &content)
{
    const QString native = platform::toNative(devicePath);
    if (native.isEmpty() || !QDir().mkpath(QFileInfo(native).path()))
        return false;
    QFile f(native);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

QByteArray TestDriveTable::readFile(const QString &devicePath)
{
    QFile f(platform::toNative(devicePath));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QList<platform::DriveInfo> TestDriveTable::drives()
{
    return m_drives;
}

QString TestDriveTable::rootOf(QChar letter)
{
    return root(letter);
}

std::optional<platform::DriveInfo> TestDriveTable::drive(QChar letter)
{
    for (const auto &d : m_drives)
        if (d.letter == letter.toUpper())
            return d;
    return std::nullopt;
}

}  // namespace voxa::test

#pragma once
// A drive table of temporary folders for tests. Creating one installs it;
// destroying it restores the system's table and removes the folders.
#include "platform/drives.h"

#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace voxa::test {

class TestDriveTable : public platform::DriveTable {
public:
    TestDriveTable();
    ~TestDriveTable() override;

    // Adds a drive backed by a fresh temporary folder; returns its root.
    QString add(QChar letter, platform::DriveType type = platform::DriveType::Removable,
                const QString &fileSystem = QStringLiteral("FAT32"),
                const QString &label = QStringLiteral("VOXA"), qint64 freeBytes = 1LL << 30,
                qint64 totalBytes = 1LL << 34);
    // Adds a drive backed by an existing folder.
    void addFolder(QChar letter, const QString &root,
                   platform::DriveType type = platform::DriveType::Removable,
                   const QString &fileSystem = QStringLiteral("FAT32"),
                   const QString &label = QStringLiteral("VOXA"), qint64 freeBytes = 1LL << 30,
                   qint64 totalBytes = 1LL << 34);
    void remove(QChar letter);
    void setFree(QChar letter, qint64 freeBytes);
    // The block device mounted there (a disk rather than a folder).
    void setDevice(QChar letter, const QString &device);
    QString root(QChar letter) const;

    // Creates a file (with its folders) at a device path.
    static bool writeFile(const QString &devicePath, const QByteArray &content = {});
    static QByteArray readFile(const QString &devicePath);

    QList<platform::DriveInfo> drives() override;
    QString rootOf(QChar letter) override;
    std::optional<platform::DriveInfo> drive(QChar letter) override;

private:
    QList<platform::DriveInfo> m_drives;
    std::vector<std::unique_ptr<QTemporaryDir>> m_dirs;
};

}  // namespace voxa::test

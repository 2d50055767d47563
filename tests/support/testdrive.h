#pragma once
// The player drive most tests start from: a fresh table of temporary drives,
// installed as the program's, whose first drive holds the given folders
// ("voxa/config", ...). Set up in init(), torn down in cleanup(); the
// destructor tears down what is left. The table itself is reached with ->.
#include "support/testdrives.h"

#include <QStringList>

#include <memory>

namespace voxa::test {

class TestDrive {
public:
    TestDrive() = default;
    TestDrive(const TestDrive &) = delete;
    TestDrive &operator=(const TestDrive &) = delete;
    ~TestDrive();

    // A fresh table with drive `letter` (removable, FAT32) holding `folders`
    // below its root; an earlier table is torn down first. False, with the
    // running test failed, when a folder cannot be made.
    bool setUp(QChar letter = QLatin1Char('E'), const QStringList &folders = {});
    // One more drive of the same kind in the table, with its folders.
    bool addDrive(QChar letter, const QStringList &folders = {});
    // Restores the system's table and removes the folders.
    void tearDown();

    // The first drive's folder on this machine.
    const QString &root() const { return m_root; }
    TestDriveTable *table() const { return m_table.get(); }
    TestDriveTable *operator->() const { return m_table.get(); }

private:
    std::unique_ptr<TestDriveTable> m_table;
    QString m_root;
};

}  // namespace voxa::test

#include "support/testdrive.h"

#include <QDir>
#include <QTest>

namespace voxa::test {

namespace {

bool makeFolders(const QString &root, const QStringList &folders)
{
    for (const QString &folder : folders) {
        if (!QDir(root).mkpath(folder)) {
            QTest::qFail(qPrintable(QStringLiteral("cannot make %1 on the test drive").arg(folder)), __FILE__,
                         __LINE__);
            return false;
        }
    }
    return true;
}

}  // namespace

TestDrive::~TestDrive()
{
    tearDown();
}

bool TestDrive::setUp(QChar letter, const QStringList &folders)
{
    // The old table goes first: it restores the system's table, which the
    // new one then replaces.
    tearDown();
    m_table = std::make_unique<TestDriveTable>();
    m_root = m_table->add(letter);
    return makeFolders(m_root, folders);
}

bool TestDrive::addDrive(QChar letter, const QStringList &folders)
{
    return makeFolders(m_table->add(letter), folders);
}

void TestDrive::tearDown()
{
    m_table.reset();
    m_root.clear();
}

}  // namespace voxa::test

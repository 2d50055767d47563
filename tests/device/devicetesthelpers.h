#pragma once
#include "app/appstate.h"
#include "app/settings.h"
#include "app/version.h"
#include "device/installer.h"
#include "device/managerdrive.h"
#include "platform/fileops.h"
#include "support/testdrives.h"

#include <QStringList>

namespace voxa::test {

// Records what the device logic asks of the main window.
struct FakeHost : DeviceHost {
    TIniFileHandler ini;
    QStringList calls;
    TIniFileHandler &settings() override { return ini; }
    void setMenusEnabled(bool e) override { calls << (e ? QStringLiteral("menus on") : QStringLiteral("menus off")); }
    void showMenuBar() override { calls << QStringLiteral("menubar"); }
    void showChooser() override { calls << QStringLiteral("chooser"); }
    void loadWindowSettings() override { calls << QStringLiteral("window settings"); }
    void writeInstallSettings() override
    {
        calls << QStringLiteral("install settings");
        ini.SetDrive(appState().DriveLetter);
        ini.setVersion(ManagerVersion);
        ini.setLanguage(ini.language());
        ini.setWindowPosition(10, 20);
        ini.SaveFile();
    }
    void removeActivationHandler() override { calls << QStringLiteral("no activation"); }
    void quit() override { calls << QStringLiteral("quit"); }
    void paintInstallText() override {}
    void setInstallText(const QString &t) override { calls << QStringLiteral("text ") + t; }
};

// A complete installation on a drive, with the given version in voxam2.ini.
inline void makeManagerDrive(QChar d, int version, bool withDefaultMgs = true,
                             const QString &runtime = QString())
{
    const QString root = QString(d) + QStringLiteral(":\\voxa\\");
    TestDriveTable::writeFile(root + QStringLiteral("config\\a.cfg"));
    TestDriveTable::writeFile(root + QStringLiteral("myradio\\a.mra"));
    TestDriveTable::writeFile(root + QStringLiteral("manager\\") + managerFiles().program, "program");
    TestDriveTable::writeFile(root + QStringLiteral("manager\\voxam2.ini"),
                              "[VOXA Manager Ini File]\r\nVersion = " + QByteArray::number(version));
    TestDriveTable::writeFile(root + QStringLiteral("manager\\defaultskin.bmp"), "BM");
    if (withDefaultMgs)
        TestDriveTable::writeFile(root + QStringLiteral("manager\\default.mgs"), "R7MGS");
    if (!runtime.isEmpty())
        TestDriveTable::writeFile(root + QStringLiteral("manager\\") + runtime, "dll");
}

}  // namespace voxa::test

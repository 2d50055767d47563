#pragma once
// The settings file voxa\manager\voxam2.ini of a drive. The whole file is
// held as one text; reading a key searches it, writing a key edits it, and
// only SaveFile touches the disk. Files in the older binary layout are still
// read; the next write replaces them with the text layout.
#include <QByteArray>
#include <QChar>
#include <QPoint>
#include <QString>
#include <functional>

namespace voxa {

class TIniFileHandler {
public:
    static constexpr const char *Header = "[VOXA Manager Ini File]";  // any letter case
    static constexpr qint64 MaxFileSize = 1 << 20;
    // Versions are six digits at most ("12.34.56"); anything else reads as 0.
    static constexpr int MaxVersion = 999999;

    TIniFileHandler();

    // Where a missing window position comes from: the main window's current
    // top-left corner. Without a source it is (0, 0).
    void setWindowPositionSource(std::function<QPoint()> source);

    // Selecting another drive drops everything cached (without saving);
    // the same drive again keeps the edits.
    void SetDrive(QChar letter);
    QChar drive() const { return m_drive; }
    // The device path of the file, "E:\voxa\manager\voxam2.ini".
    QString filePath() const;

    int version();
    QString language();
    QPoint windowPosition();  // x = left, y = top
    bool useProxy();
    QString proxyServer();
    int proxyPort();
    quint8 displayType();
    QString quarantineDir();

    void setVersion(int v);
    void setLanguage(const QString &language);
    void setWindowPosition(int left, int top);
    void setDisplayType(quint8 type);
    void setUseProxy(bool use);
    void setProxyServer(const QString &server);
    void setProxyPort(int port);
    void setQuarantineDir(const QString &dir);

    // Writes the file whole; on failure SaveError() holds the system's text.
    bool SaveFile();
    QString SaveError() const { return m_saveError; }

    QByteArray GetKey(const QByteArray &key);
    void SetKey(const QByteArray &key, const QByteArray &value);
    void ParseSettings();

    const QByteArray &SettingsText() const { return m_text; }
    bool HasHeader() const { return m_hasHeader; }

private:
    void reset();
    void LoadText();
    void CheckHeader();
    void parseText();
    void parseLegacy();
    QPoint currentWindowPosition() const;

    QChar m_drive;
    QByteArray m_text;
    QString m_saveError;
    bool m_loaded = false;
    bool m_hasHeader = false;
    int m_version = -1;
    QString m_language;
    int m_left = -1;
    int m_top = -1;
    bool m_useProxy = false;
    QString m_proxyServer;
    int m_proxyPort = -1;
    quint8 m_displayType = 0;
    QString m_quarantineDir;
    std::function<QPoint()> m_windowSource;
};

// The version of the manager installed on a drive; 0 when there is none.
int ReadDriveVersion(TIniFileHandler &settings, QChar letter);

}  // namespace voxa

#include "app/settings.h"

#include "app/version.h"
#include "platform/codepage.h"
#include "platform/fileops.h"
#include "platform/paths.h"

#include <QtEndian>

namespace voxa {
namespace {

bool isBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

bool isBlankOrLineEnd(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

QByteArray trimmed(QByteArray v)
{
    qsizetype b = 0, e = v.size();
    while (b < e && isBlankOrControl(v[b]))
        ++b;
    while (e > b && isBlankOrControl(v[e - 1]))
        --e;
    return v.mid(b, e - b);
}

// Decimal integer, or the fallback for anything else (the format allows
// nothing else).
int toInt(const QByteArray &v, int fallback)
{
    bool ok = false;
    const int n = v.toInt(&ok, 10);
    return ok ? n : fallback;
}

qint32 readInt32(const QByteArray &data, qsizetype offset)
{
    return qFromLittleEndian<qint32>(data.constData() + offset);
}

}  // namespace

TIniFileHandler::TIniFileHandler() = default;

void TIniFileHandler::setWindowPositionSource(std::function<QPoint()> source)
{
    m_windowSource = std::move(source);
}

QPoint TIniFileHandler::currentWindowPosition() const
{
    return m_windowSource ? m_windowSource() : QPoint(0, 0);
}

void TIniFileHandler::reset()
{
    m_text.clear();
    m_hasHeader = false;
    m_version = -1;
    m_language.clear();
    m_left = m_top = -1;
    m_useProxy = false;
    m_proxyServer.clear();
    m_proxyPort = -1;
    m_displayType = 0;
    m_quarantineDir.clear();
}

void TIniFileHandler::SetDrive(QChar letter)
{
    letter = letter.toUpper();
    if (letter == m_drive)
        return;
    m_drive = letter;
    reset();
}

QString TIniFileHandler::filePath() const
{
    return QString(m_drive) + QStringLiteral(":\\voxa\\manager\\voxam2.ini");
}

void TIniFileHandler::LoadText()
{
    if (!m_text.isEmpty() || m_drive.isNull())
        return;
    // A settings file is a few hundred bytes; anything far larger is not one.
    auto bytes = fs::readRegularFile(filePath(), MaxFileSize);
    if (!bytes)
        return;
    m_text = *bytes;
    // Editors that save as UTF-8 put a byte-order mark first; it belongs to
    // the text layout, not to the older binary one.
    if (m_text.startsWith("\xEF\xBB\xBF"))
        m_text.remove(0, 3);
}

void TIniFileHandler::CheckHeader()
{
    LoadText();
    m_hasHeader = m_text.size() >= qsizetype(qstrlen(Header))
                  && qstrnicmp(m_text.constData(), Header, qstrlen(Header)) == 0;
}

QByteArray TIniFileHandler::GetKey(const QByteArray &key)
{
    LoadText();
    const qsizetype p = m_text.toLower().indexOf(key.toLower());
    if (p < 0)
        return {};
    const QByteArray rest = m_text.mid(p);
    const qsizetype eq = rest.indexOf('=');
    const qsizetype lf = rest.indexOf('\n');
    if (eq < 0 || (lf >= 0 && lf < eq))
        return {};
    const QByteArray value = lf < 0 ? rest.mid(eq + 1) : rest.mid(eq + 1, lf - eq - 1);
    return trimmed(value);
}

void TIniFileHandler::SetKey(const QByteArray &key, const QByteArray &value)
{
    CheckHeader();
    if (!m_hasHeader) {
        m_text = Header;
        m_hasHeader = true;
    }
    const QByteArray line = key + " = " + value;
    const qsizetype p = m_text.toLower().indexOf(key.toLower());
    if (p >= 0) {
        qsizetype headEnd = p;
        while (headEnd > 0 && isBlankOrLineEnd(m_text[headEnd - 1]))
            --headEnd;
        QByteArray tail;
        const qsizetype lf = m_text.indexOf('\n', p);
        if (lf >= 0) {
            qsizetype t = lf + 1;
            while (t < m_text.size() && isBlankOrLineEnd(m_text[t]))
                ++t;
            tail = m_text.mid(t);
        }
        m_text = m_text.left(headEnd) + "\r\n" + line + "\r\n" + tail;
    } else {
        qsizetype end = m_text.size();
        while (end > 0 && isBlankOrLineEnd(m_text[end - 1]))
            --end;
        m_text = m_text.left(end) + "\r\n" + line;
    }
}

void TIniFileHandler::ParseSettings()
{
    CheckHeader();
    if (m_hasHeader)
        parseText();
    else
        parseLegacy();
    if (m_quarantineDir.isEmpty())
        m_quarantineDir = QStringLiteral("Quarantine");
}

void TIniFileHandler::parseText()
{
    const QPoint here = currentWindowPosition();
    m_version = toInt(GetKey("Version"), 0);
    if (m_version < 0 || m_version > MaxVersion)
        m_version = 0;
    m_language = fromCodePage(GetKey("Language"));
    if (m_language.isEmpty())
        m_language = QStringLiteral("English");
    m_left = toInt(GetKey("Window.LEFT"), here.x());
    m_top = toInt(GetKey("Window.TOP"), here.y());
    m_displayType = GetKey("Display Type").toUpper() == "VA-DA" ? 2 : 1;
    m_useProxy = GetKey("Use Proxy").toUpper() == "TRUE";
    m_proxyServer = fromCodePage(GetKey("Proxy Server"));
    m_proxyPort = toInt(GetKey("Proxy Port"), 8080);
    m_quarantineDir = fromCodePage(GetKey("Quarantine Dir"));
}

// Version, language length and name, window top and left, display type; each
// part only if the file holds it whole.
void TIniFileHandler::parseLegacy()
{
    const QPoint here = currentWindowPosition();
    const QByteArray &d = m_text;
    m_version = 0;
    m_language = QStringLiteral("English");
    m_left = here.x();
    m_top = here.y();
    m_displayType = 1;
    m_useProxy = false;
    m_proxyServer.clear();
    m_proxyPort = 8080;
    m_quarantineDir.clear();

    if (d.size() >= 4)
        m_version = readInt32(d, 0);
    // Text without the header reads as a huge or negative number here; such a
    // version would make every copy look newer than the running one.
    if (m_version < 0 || m_version > MaxVersion)
        m_version = 0;
    if (d.size() < 8)
        return;
    const qint32 len = readInt32(d, 4);
    // A longer name breaks the layout; nothing after it can be trusted.
    if (len < 0 || len > 255 || d.size() < 8 + len)
        return;
    if (len > 0)
        m_language = fromCodePage(QByteArrayView(d).sliced(8, len));
    const qsizetype at = 8 + len;
    if (d.size() >= at + 4)
        m_top = readInt32(d, at);
    if (d.size() >= at + 8)
        m_left = readInt32(d, at + 4);
    if (d.size() >= at + 9)
        m_displayType = static_cast<unsigned char>(d[at + 8]) == 2 ? 2 : 1;
}

int TIniFileHandler::version()
{
    if (m_version == -1)
        ParseSettings();
    return m_version;
}

QString TIniFileHandler::language()
{
    if (m_language.isEmpty())
        ParseSettings();
    return m_language;
}

QPoint TIniFileHandler::windowPosition()
{
    if (m_left == -1 && m_top == -1)
        ParseSettings();
    return QPoint(m_left, m_top);
}

bool TIniFileHandler::useProxy()
{
    if (m_proxyPort == -1)
        ParseSettings();
    return m_useProxy;
}

QString TIniFileHandler::proxyServer()
{
    if (m_proxyPort == -1)
        ParseSettings();
    return m_proxyServer;
}

int TIniFileHandler::proxyPort()
{
    if (m_proxyPort == -1)
        ParseSettings();
    return m_proxyPort;
}

quint8 TIniFileHandler::displayType()
{
    if (m_displayType == 0)
        ParseSettings();
    return m_displayType;
}

QString TIniFileHandler::quarantineDir()
{
    if (m_quarantineDir.isEmpty())
        ParseSettings();
    return m_quarantineDir;
}

void TIniFileHandler::setVersion(int v)
{
    m_version = v;
    SetKey("Version", QByteArray::number(v));
}

void TIniFileHandler::setLanguage(const QString &language)
{
    m_language = language;
    SetKey("Language", toCodePage(language));
}

void TIniFileHandler::setWindowPosition(int left, int top)
{
    m_left = left;
    m_top = top;
    SetKey("Window.LEFT", QByteArray::number(left));
    SetKey("Window.TOP", QByteArray::number(top));
}

void TIniFileHandler::setDisplayType(quint8 type)
{
    m_displayType = type;
    SetKey("Display Type", type == 2 ? "VA-DA" : "VOXA-A");
}

void TIniFileHandler::setUseProxy(bool use)
{
    m_useProxy = use;
    SetKey("Use Proxy", use ? "true" : "false");
}

void TIniFileHandler::setProxyServer(const QString &server)
{
    m_proxyServer = server;
    SetKey("Proxy Server", toCodePage(server));
}

void TIniFileHandler::setProxyPort(int port)
{
    m_proxyPort = port;
    SetKey("Proxy Port", QByteArray::number(port));
}

void TIniFileHandler::setQuarantineDir(const QString &dir)
{
    m_quarantineDir = dir;
    SetKey("Quarantine Dir", toCodePage(dir));
}

bool TIniFileHandler::SaveFile()
{
    if (m_drive.isNull()) {
        m_saveError = QStringLiteral("No drive");
        return false;
    }
    // Written whole: a crash in the middle leaves the old file.
    m_saveError = fs::writeWholeFile(filePath(), m_text);
    return m_saveError.isEmpty();
}

int ReadDriveVersion(TIniFileHandler &settings, QChar letter)
{
    settings.SetDrive(letter);
    return settings.version();
}

}  // namespace voxa

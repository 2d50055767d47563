#pragma once
// A real HTTP proxy for the tests: tinyproxy on a free loopback port, started
// in the foreground with a configuration of its own and stopped at the end.
#include "httptestserver.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace voxa::test {

class TinyProxy {
public:
    // Empty when tinyproxy is not installed.
    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("tinyproxy")); }

    bool start()
    {
        if (program().isEmpty() || !m_dir.isValid())
            return false;
        m_port = freeLoopbackPort();
        QFile conf(m_dir.filePath(QStringLiteral("tinyproxy.conf")));
        if (!conf.open(QIODevice::WriteOnly))
            return false;
        conf.write("Port " + QByteArray::number(m_port) +
                   "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nAllow 127.0.0.1\nLogLevel Info\n");
        conf.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program(), {QStringLiteral("-d"), QStringLiteral("-c"), conf.fileName()});
        if (!m_process.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 10000) {
            QTcpSocket probe;
            probe.connectToHost(QStringLiteral("127.0.0.1"), m_port);
            if (probe.waitForConnected(200))
                return true;
            if (m_process.state() != QProcess::Running)
                return false;
            QThread::msleep(50);
        }
        return false;
    }

    ~TinyProxy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(3000))
                m_process.kill();
            m_process.waitForFinished(3000);
        }
    }

    quint16 port() const { return m_port; }
    QByteArray output() { return m_process.readAll(); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

}  // namespace voxa::test

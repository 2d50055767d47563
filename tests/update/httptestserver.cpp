#include "httptestserver.h"

#include <QTcpServer>
#include <QTcpSocket>

namespace voxa::test {

namespace {
QByteArray reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 302: return "Found";
    case 404: return "Not Found";
    default: return "Status";
    }
}
}  // namespace

HttpTestServer::HttpTestServer()
{
    start();
    // run() publishes the port and the context object before it enters its loop.
    while (true) {
        QMutexLocker lock(&m_mutex);
        if (m_context)
            break;
        lock.unlock();
        QThread::msleep(2);
    }
}

HttpTestServer::~HttpTestServer()
{
    quit();
    wait();
}

QString HttpTestServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path);
}

void HttpTestServer::serve(const QByteArray &path, const HttpResponse &response)
{
    QMutexLocker lock(&m_mutex);
    m_routes.insert(path, response);
}

void HttpTestServer::release()
{
    QMetaObject::invokeMethod(m_context, [this] {
        QList<QPair<QPointer<QTcpSocket>, QByteArray>> held;
        {
            QMutexLocker lock(&m_mutex);
            held.swap(m_held);
        }
        for (auto &[socket, rest] : held) {
            if (!socket)
                continue;
            socket->write(rest);
            socket->disconnectFromHost();
        }
    });
}

QList<HttpRequest> HttpTestServer::requests() const
{
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

int HttpTestServer::requestCount() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_requests.size());
}

int HttpTestServer::holdsStarted() const
{
    QMutexLocker lock(&m_mutex);
    return m_holdsStarted;
}

qint64 HttpTestServer::endlessBytesSent() const
{
    QMutexLocker lock(&m_mutex);
    return m_endlessSent;
}

void HttpTestServer::run()
{
    QTcpServer server;
    QObject context;
    server.listen(QHostAddress::LocalHost);
    connect(&server, &QTcpServer::newConnection, &context, [this, &server] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { handle(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    {
        QMutexLocker lock(&m_mutex);
        m_port = server.serverPort();
        m_context = &context;
    }
    exec();
    QMutexLocker lock(&m_mutex);
    m_held.clear();
}

void HttpTestServer::handle(QTcpSocket *socket)
{
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        socket->setProperty("buffer", buffer);
        return;
    }
    socket->setProperty("buffer", QByteArray());
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    HttpRequest request;
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    request.path = request.target;
    if (request.path.startsWith("http://"))
        request.path = request.path.mid(request.path.indexOf('/', 7));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }

    HttpResponse response;
    {
        QMutexLocker lock(&m_mutex);
        m_requests.append(request);
        response = m_routes.value(request.path, HttpResponse{404, "not here", true, -1});
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " " + reason(response.status) + "\r\n";
    if (response.endless) {
        socket->write(head + "Connection: close\r\n\r\n");
        // Another piece whenever the last one has left, while the client reads.
        const qsizetype copies = qMax<qsizetype>(1, 65536 / qMax<qsizetype>(1, response.body.size()));
        const QByteArray piece = response.body.repeated(copies);
        auto more = [this, socket, piece] {
            if (socket->state() != QAbstractSocket::ConnectedState || socket->bytesToWrite() > 0)
                return;
            QMutexLocker lock(&m_mutex);
            if (m_endlessSent >= EndlessLimit) {
                lock.unlock();
                socket->disconnectFromHost();
                return;
            }
            m_endlessSent += piece.size();
            lock.unlock();
            socket->write(piece);
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
        return;
    }
    if (response.announceSize)
        head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    if (response.holdAfter >= 0 && response.holdAfter < response.body.size()) {
        socket->write(head + response.body.left(response.holdAfter));
        socket->flush();
        {
            QMutexLocker lock(&m_mutex);
            m_held.append({socket, response.body.mid(response.holdAfter)});
            ++m_holdsStarted;
        }
        // A client that gives up is held no longer.
        connect(socket, &QTcpSocket::disconnected, socket, [this, socket] {
            QMutexLocker lock(&m_mutex);
            m_held.removeIf([socket](const auto &h) { return h.first == socket; });
        });
        return;
    }
    socket->write(head + response.body);
    socket->disconnectFromHost();
}

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

}  // namespace voxa::test

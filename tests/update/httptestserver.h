#pragma once
// A loopback HTTP server for the update tests, on a thread of its own so
// that blocking transfers on the test's thread can talk to it. It serves
// fixed responses by path, records every request, and can hold a body
// half-way until the test releases it.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QThread>

class QTcpServer;
class QTcpSocket;

namespace voxa::test {

struct HttpResponse {
    int status = 200;
    QByteArray body;
    bool announceSize = true;   // Content-Length, else the body ends with the connection
    qint64 holdAfter = -1;      // send this many body bytes, then wait for release()
    bool endless = false;       // send the body again and again, without a size, until the client
                                // leaves (or EndlessLimit bytes have gone)
};

inline constexpr qint64 EndlessLimit = qint64(64) << 20;

struct HttpRequest {
    QByteArray method;
    QByteArray target;          // as sent: "/a" or "http://host:port/a"
    QByteArray path;            // the path alone
    QHash<QByteArray, QByteArray> headers;  // names in lower case
};

class HttpTestServer : public QThread {
    Q_OBJECT
public:
    HttpTestServer();
    ~HttpTestServer() override;

    quint16 port() const { return m_port; }
    QString url(const QString &path) const;

    void serve(const QByteArray &path, const HttpResponse &response);
    // Sends the rest of every held body.
    void release();
    QList<HttpRequest> requests() const;
    int requestCount() const;
    // How many responses have been held half-way so far (it never goes
    // down, so a test can wait for the next one).
    int holdsStarted() const;
    // Body bytes of endless responses sent so far.
    qint64 endlessBytesSent() const;

protected:
    void run() override;

private:
    void handle(QTcpSocket *socket);

    mutable QMutex m_mutex;
    QHash<QByteArray, HttpResponse> m_routes;
    QList<HttpRequest> m_requests;
    QObject *m_context = nullptr;  // lives in the server thread
    QList<QPair<QPointer<QTcpSocket>, QByteArray>> m_held;
    quint16 m_port = 0;
    int m_holdsStarted = 0;
    qint64 m_endlessSent = 0;
};

// A free loopback port at the moment of asking.
quint16 freeLoopbackPort();

}  // namespace voxa::test

// A tiny HTTP server on 127.0.0.1 for the download tests: each request goes to a handler that
// answers (or doesn't) however the test needs.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <functional>

class QTcpSocket;

namespace quendle::test {

class TestHttpServer : public QObject {
public:
    // Called once per request, with the connection and the request's path.
    using Handler = std::function<void(QTcpSocket* connection, const QByteArray& path)>;

    explicit TestHttpServer(Handler handler);
    QUrl url(const QString& path) const;
    QList<QByteArray> requestedPaths;

    // Writes a status line and headers; Content-Length only when length >= 0.
    static void writeHead(QTcpSocket* connection, int status, qint64 length);
    // A whole answer, then the connection is closed.
    static void answer(QTcpSocket* connection, int status, const QByteArray& body);

    // A port on 127.0.0.1 where nothing listens (a refused connection).
    static quint16 closedPort();

private:
    QTcpServer mServer;
    Handler mHandler;
};

} // namespace quendle::test

// A tiny HTTP server on 127.0.0.1 for the download tests.
#include "download/TestHttpServer.h"

#include <QTcpSocket>

namespace quendle::test {

TestHttpServer::TestHttpServer(Handler handler)
    : mHandler(std::move(handler))
{
    mServer.listen(QHostAddress::LocalHost);
    connect(&mServer, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* connection = mServer.nextPendingConnection()) {
            connection->setParent(this);
            connect(connection, &QTcpSocket::readyRead, this, [this, connection] {
                // One request per connection: its head ends with an empty line.
                if (connection->property("answered").toBool())
                    return;
                QByteArray head = connection->property("head").toByteArray() + connection->readAll();
                connection->setProperty("head", head);
                if (!head.contains("\r\n\r\n"))
                    return;
                connection->setProperty("answered", true);
                const QByteArray path = head.left(head.indexOf("\r\n")).split(' ').value(1);
                requestedPaths.append(path);
                mHandler(connection, path);
            });
        }
    });
}

QUrl TestHttpServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(mServer.serverPort()).arg(path));
}

void TestHttpServer::writeHead(QTcpSocket* connection, int status, qint64 length)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + (status == 200 ? " OK" : " Error")
        + "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
    if (length >= 0)
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    connection->write(head + "\r\n");
    connection->flush();
}

void TestHttpServer::answer(QTcpSocket* connection, int status, const QByteArray& body)
{
    writeHead(connection, status, body.size());
    connection->write(body);
    connection->disconnectFromHost();
}

quint16 TestHttpServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

} // namespace quendle::test

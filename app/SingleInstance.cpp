// One Quendle per user: a later launch hands its files to the running one over a local socket.
#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace quendle {

namespace {

// What a launch sends: the byte count (32 bits, big-endian), then the paths in the file
// system's encoding, each ended by a NUL (which no path contains). The answer is one byte.
constexpr char kTaken = 'K';
constexpr quint32 kLargestMessage = 16u << 20;
constexpr int kConnectTimeoutMs = 1000;
// The running instance answers from its event loop, which keeps turning while it lists or checks
// a password, but a question asked on its terminal (no display) holds it until it is answered.
// A launch that gave up would expand its archive beside the running one, so it waits for as
// long as that instance lives, and says so on the terminal after a moment.
constexpr int kWaitNoticeMs = 2000;

// Only a real folder of ours that nobody else can enter may hold the socket: anything else
// could be someone else's socket waiting for our file names.
bool isPrivateFolder(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

QByteArray encodeMessage(const QStringList& files)
{
    QByteArray payload;
    for (const QString& file : files) {
        payload += QFile::encodeName(file);
        payload += '\0';
    }
    QByteArray message(4, '\0');
    qToBigEndian<quint32>(quint32(payload.size()), message.data());
    return message + payload;
}

} // namespace

SingleInstance::SingleInstance(QObject* parent)
    : QObject(parent)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::socketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime + QStringLiteral("/quendle.socket");
    const QString own = QDir::tempPath() + QStringLiteral("/quendle-%1").arg(::getuid());
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateFolder(own) ? own + QStringLiteral("/quendle.socket") : QString();
}

bool SingleInstance::handOver(const QStringList& files)
{
    const QString path = socketPath();
    if (path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(encodeMessage(files));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(-1))
            return false;
    }
    // Only the end of the running instance (the connection closes) ends the wait without an
    // answer; this launch may then go on by itself, since nobody else is expanding.
    bool noticed = false;
    while (socket.bytesAvailable() < 1) {
        if (socket.waitForReadyRead(noticed ? -1 : kWaitNoticeMs))
            continue;
        if (socket.state() != QLocalSocket::ConnectedState)
            return false;
        if (!noticed && !files.isEmpty())
            std::fprintf(stderr, "quendle: waiting for the running Quendle to take %s\n",
                QFile::encodeName(files.first()).constData());
        noticed = true;
    }
    char answer = 0;
    return socket.getChar(&answer) && answer == kTaken;
}

bool SingleInstance::listen()
{
    const QString path = socketPath();
    if (path.isEmpty())
        return false;
    if (!mServer) {
        // No socket options: with them Qt binds elsewhere and renames the socket into place,
        // which would silently take the name from a live instance. The folder is private anyway.
        mServer = new QLocalServer(this);
        connect(mServer, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = mServer->nextPendingConnection()) {
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                readFrom(socket);
            }
        });
    }
    if (mServer->listen(path))
        return true;
    if (mServer->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // The name is taken. A live instance answers a connection; a socket left by a crashed
    // one refuses it and may be removed.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(kConnectTimeoutMs))
        return false;
    QLocalServer::removeServer(path);
    return mServer->listen(path);
}

bool SingleInstance::isListening() const
{
    return mServer && mServer->isListening();
}

void SingleInstance::readFrom(QLocalSocket* socket)
{
    if (socket->bytesAvailable() < 4)
        return;
    const QByteArray head = socket->peek(4);
    const quint32 length = qFromBigEndian<quint32>(head.constData());
    if (length > kLargestMessage) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < qint64(4) + length)
        return;
    socket->skip(4);
    const QByteArray payload = socket->read(length);
    QStringList files;
    for (const QByteArray& piece : payload.split('\0')) {
        if (!piece.isEmpty())
            files.append(QFile::decodeName(piece));
    }
    socket->putChar(kTaken);
    socket->flush();
    socket->disconnectFromServer();
    // The other launch is answered first: what the files lead to may be a modal alert.
    QMetaObject::invokeMethod(this, [this, files] { emit filesReceived(files); }, Qt::QueuedConnection);
}

} // namespace quendle

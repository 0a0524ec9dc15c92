// One Quendle per user: a later launch hands its files to the running one over a local socket.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace quendle {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // The per-user socket: "$XDG_RUNTIME_DIR/quendle.socket", else a folder of our own in the
    // temporary folder ("quendle-<uid>"). Empty when no private place can be had.
    static QString socketPath();

    // Hands the files (absolute paths; none is fine) to a running instance and waits until it
    // has taken them. False when no instance answers.
    static bool handOver(const QStringList& files);

    // Becomes the instance that later launches talk to. A socket left behind by a crashed
    // instance is removed first. False when no socket could be opened (launches then run
    // side by side, as without this class).
    bool listen();
    bool isListening() const;

signals:
    // Files handed over by another launch (possibly none), delivered from the event loop
    // after the other launch has been answered.
    void filesReceived(const QStringList& files);

private:
    void readFrom(QLocalSocket* socket);

    QLocalServer* mServer = nullptr;
};

} // namespace quendle

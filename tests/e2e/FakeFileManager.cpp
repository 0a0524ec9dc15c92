// A stand-in desktop file manager for the end-to-end tests: owns org.freedesktop.FileManager1 on
// the session bus and records every call it gets, one JSON object per line, in a file.
//
// Usage: quendle_fake_file_manager RECORD_FILE [ANSWER_DELAY_MS]
// It prints "ready" on standard output once the name is owned, and runs until it is killed. With
// a delay, each call is recorded at once and answered that much later (a file manager starting).
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>
#include <QThread>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace {

class FileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    FileManager(QString recordPath, int answerDelayMs)
        : mRecordPath(std::move(recordPath))
        , mAnswerDelayMs(answerDelayMs)
    {
    }

public slots:
    void ShowItems(const QStringList& uris, const QString& startupId) { record(QStringLiteral("ShowItems"), uris, startupId); }
    void ShowFolders(const QStringList& uris, const QString& startupId) { record(QStringLiteral("ShowFolders"), uris, startupId); }
    void ShowItemProperties(const QStringList& uris, const QString& startupId)
    {
        record(QStringLiteral("ShowItemProperties"), uris, startupId);
    }

private:
    // Whether each item existed when the call came tells the order of reveal and Trash apart.
    void record(const QString& method, const QStringList& uris, const QString& startupId)
    {
        QJsonArray list;
        QJsonArray existed;
        for (const QString& uri : uris) {
            list.append(uri);
            const QUrl url(uri);
            existed.append(url.isLocalFile() && QFileInfo::exists(url.toLocalFile()));
        }
        const QJsonObject call {{QStringLiteral("method"), method}, {QStringLiteral("uris"), list},
            {QStringLiteral("existed"), existed}, {QStringLiteral("startupId"), startupId}};
        QFile file(mRecordPath);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write(QJsonDocument(call).toJson(QJsonDocument::Compact) + '\n');
        file.close();
        QThread::msleep(mAnswerDelayMs);
    }

    QString mRecordPath;
    int mAnswerDelayMs = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s RECORD_FILE [ANSWER_DELAY_MS]\n", argv[0]);
        return 2;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no session bus: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    FileManager manager(QString::fromLocal8Bit(argv[1]), argc == 3 ? std::atoi(argv[2]) : 0);
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &manager, QDBusConnection::ExportAllSlots)
        || !bus.registerService(QStringLiteral("org.freedesktop.FileManager1"))) {
        std::fprintf(stderr, "cannot own org.freedesktop.FileManager1: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "FakeFileManager.moc"

// A session bus of the end-to-end tests' own, with the stand-in file manager on it.
#include "e2e/PrivateSessionBus.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace quendle::e2e {

PrivateSessionBus::PrivateSessionBus(QString folder)
    : mFolder(std::move(folder))
{
}

PrivateSessionBus::~PrivateSessionBus()
{
    for (QProcess* process : {&mFileManager, &mDaemon}) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(10000);
        }
    }
}

bool PrivateSessionBus::start(QString* error)
{
    QDir().mkpath(mFolder);
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        *error = QStringLiteral("dbus-daemon is not installed");
        return false;
    }
    mDaemon.setStandardInputFile(QProcess::nullDevice());
    mDaemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                              QStringLiteral("--print-address"), QStringLiteral("--address=unix:path=") + mFolder + QStringLiteral("/bus")});
    if (!mDaemon.waitForStarted(30000)) {
        *error = QStringLiteral("dbus-daemon did not start: ") + mDaemon.errorString();
        return false;
    }
    while (!mDaemon.canReadLine()) {
        if (!mDaemon.waitForReadyRead(30000)) {
            *error = QStringLiteral("dbus-daemon printed no address: ") + QString::fromUtf8(mDaemon.readAllStandardError());
            return false;
        }
    }
    mAddress = QString::fromUtf8(mDaemon.readLine()).trimmed();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), mAddress);
    environment.remove(QStringLiteral("DISPLAY"));
    mFileManager.setProcessEnvironment(environment);
    mFileManager.setStandardInputFile(QProcess::nullDevice());
    mFileManager.start(QStringLiteral(QUENDLE_E2E_FAKE_FILE_MANAGER), {recordFile(), QString::number(mAnswerDelayMs)});
    if (!mFileManager.waitForStarted(30000)) {
        *error = QStringLiteral("the stand-in file manager did not start: ") + mFileManager.errorString();
        return false;
    }
    while (!mFileManager.canReadLine()) {
        if (!mFileManager.waitForReadyRead(30000)) {
            *error = QStringLiteral("the stand-in file manager is not ready: ")
                + QString::fromUtf8(mFileManager.readAllStandardError());
            return false;
        }
    }
    if (mFileManager.readLine().trimmed() != "ready") {
        *error = QStringLiteral("the stand-in file manager did not say it was ready");
        return false;
    }
    return true;
}

QList<PrivateSessionBus::Call> PrivateSessionBus::calls() const
{
    QList<Call> calls;
    const QList<QByteArray> lines = readFile(recordFile()).split('\n');
    for (const QByteArray& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        Call call;
        call.method = object.value(QStringLiteral("method")).toString();
        for (const QJsonValue& uri : object.value(QStringLiteral("uris")).toArray())
            call.uris.append(uri.toString());
        for (const QJsonValue& existed : object.value(QStringLiteral("existed")).toArray())
            call.existed.append(existed.toBool());
        calls.append(call);
    }
    return calls;
}

} // namespace quendle::e2e

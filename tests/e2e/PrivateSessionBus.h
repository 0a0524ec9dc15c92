// A session bus of the end-to-end tests' own, with the stand-in file manager on it; and the
// shared harness the end-to-end tests run quendle with.
#pragma once

#include "support/QtPrinters.h"
#include "support/Sandbox.h"

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quendle::e2e {

using namespace quendle::test;

// A dbus-daemon of our own and, on it, the stand-in file manager recording its calls.
class PrivateSessionBus {
public:
    explicit PrivateSessionBus(QString folder);
    ~PrivateSessionBus();
    // Before start: the file manager answers each call this much later (it records it at once).
    void setAnswerDelayMs(int delayMs) { mAnswerDelayMs = delayMs; }
    bool start(QString* error);
    QString address() const { return mAddress; }
    QString recordFile() const { return mFolder + QStringLiteral("/file-manager-calls.jsonl"); }

    struct Call {
        QString method;
        QStringList uris;
        QList<bool> existed; // per URI: whether the item existed when the call came
    };
    QList<Call> calls() const;

private:
    QString mFolder;
    QString mAddress;
    int mAnswerDelayMs = 0;
    QProcess mDaemon;
    QProcess mFileManager;
};

} // namespace quendle::e2e

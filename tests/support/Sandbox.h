// One test's own world and the real quendle run in it: HOME, the XDG folders and a work folder
// under a fresh temporary folder, quendle started headless (on the offscreen platform or with
// no display at all, answering on a terminal, or as an unprivileged user when a test needs it).
#pragma once

#include "support/TestEnvironment.h"

#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <optional>
#include <sys/types.h>

namespace quendle::test {

// How a run sees the screen: Qt's offscreen platform asked for by name, or no display at all
// (neither DISPLAY nor WAYLAND_DISPLAY nor QT_QPA_PLATFORM).
enum class Display { Offscreen, None };

// An account without privileges to run quendle as, so that permissions hold even though the
// tests (and CI) may run as root.
struct Account {
    uid_t uid = 0;
    gid_t gid = 0;
    bool isSelf = true; // the tests already run unprivileged: no change of user needed
};
// Nothing, with the reason in whyNot, when no such account can run the build's quendle.
std::optional<Account> unprivilegedAccount(QString* whyNot);

class Sandbox {
public:
    Sandbox();
    bool isValid() const { return mRoot.isValid(); }

    QString root() const { return mRoot.path(); }
    QString work() const { return root() + QStringLiteral("/work"); }
    QString home() const { return root() + QStringLiteral("/home"); }
    QString configHome() const { return root() + QStringLiteral("/config"); }
    QString dataHome() const { return root() + QStringLiteral("/data"); }
    QString cacheHome() const { return root() + QStringLiteral("/cache"); }
    QString runtimeDir() const { return root() + QStringLiteral("/run"); }
    QString settingsFile() const { return configHome() + QStringLiteral("/quendle/quendle.conf"); }
    QString homeTrash() const { return dataHome() + QStringLiteral("/Trash"); }
    QString trashFiles() const { return homeTrash() + QStringLiteral("/files"); }
    QString trashInfo() const { return homeTrash() + QStringLiteral("/info"); }

    // Writes the preferences file as the application reads it ([General] group, string values).
    void writePreferences(const QMap<QString, QString>& values) const;
    // Preferences that keep every run away from the desktop's file manager.
    void writePreferencesBeside() const;
    void writePreferencesCustom(const QString& customFolder) const;
    // Hands every folder and file of the sandbox to the account (a no-op for oneself).
    void giveTo(const Account& account) const;

    // The session bus the runs talk to; by default one that does not exist, so that nothing
    // reaches the desktop's real file manager.
    void setSessionBus(const QString& address) { mBusAddress = address; }
    // A session without a runtime folder (a root shell, a container); the temporary folder,
    // where the fallbacks then go, stays inside the sandbox.
    void setWithoutRuntimeDir() { mWithoutRuntimeDir = true; }

    QProcessEnvironment environment(Display display = Display::Offscreen) const;

private:
    QTemporaryDir mRoot;
    QString mBusAddress;
    bool mWithoutRuntimeDir = false;
};

struct RunOptions {
    Display display = Display::Offscreen;
    int timeoutMs = 120000;
    // Lines typed on a terminal, one per question; with none, standard input is /dev/null and
    // every question takes its Cancel (or only) answer.
    QStringList typedAnswers {};
    std::optional<Account> as {};
    QMap<QString, QString> environment {}; // added to the sandbox's
    // Called every few milliseconds while quendle runs, with its process id; returns false
    // when it needs no more calls.
    std::function<bool(pid_t)> whileRunning {};
};

using QuendleRun = ProgramRun;

QString quendleBinary();
QString resourcePath();
// Runs the build's quendle in the sandbox's work folder.
QuendleRun runQuendle(const Sandbox& sandbox, const QStringList& arguments, const RunOptions& options = {});
// Runs another program there the same way: one that starts quendle itself, as a file
// manager's menu entry does.
ProgramRun runInSandbox(const Sandbox& sandbox, const QString& program, const QStringList& arguments,
    const RunOptions& options = {});

// The longest gap between two ticks of the event loop's probe that quendle noted on standard
// error when run with QUENDLE_PROBE_EVENT_LOOP set; nothing when it noted none.
std::optional<double> probedLongestGapMs(const QString& err);

// The alert lines a headless quendle wrote: the lines from the message text on, up to the
// answer it took. Empty when the message text does not appear.
QStringList alertOnStandardError(const QString& err, const QString& messageText);

} // namespace quendle::test

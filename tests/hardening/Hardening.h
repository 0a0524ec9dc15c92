// What the hardening tests share: a sandbox per test, the real quendle run headless (as an
// unprivileged user, or answering on a terminal, when a test needs it), snapshots of folders
// to prove nothing changed, processes and their memory, and mounts that clean up after
// themselves.
#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include <functional>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace quendle::hardening {

// An account without privileges to run quendle as, so that permissions hold even though the
// tests (and CI) may run as root.
struct Account {
    uid_t uid = 0;
    gid_t gid = 0;
    bool isSelf = true; // the tests already run unprivileged: no change of user needed
};
// Nothing, with the reason in whyNot, when no such account can run the build's quendle.
std::optional<Account> unprivilegedAccount(QString* whyNot);

// One test's own world under a fresh temporary folder: HOME, the XDG folders, a work folder.
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

    // The [General] group of the settings file, every value a string.
    void writePreferences(const QMap<QString, QString>& values) const;
    // Hands every folder and file of the sandbox to the account (a no-op for oneself).
    void giveTo(const Account& account) const;

    QProcessEnvironment environment() const;

private:
    QTemporaryDir mRoot;
};

struct RunOptions {
    // Lines typed on a terminal, one per question; with none, standard input is /dev/null and
    // every question takes its Cancel (or only) answer.
    QStringList typedAnswers;
    std::optional<Account> as;
    int timeoutMs = 120000;
    QMap<QString, QString> environment; // added to the sandbox's
    // Called every few milliseconds while quendle runs, with its process id; returns false
    // when it needs no more calls.
    std::function<bool(pid_t)> whileRunning;
};

struct QuendleRun {
    bool started = false;
    bool finished = false; // false: still running at the time-out, then killed
    bool crashed = false;
    int exitCode = -1;
    QString out;
    QString err;
    QString describe() const;
    // What quendle said on standard error (its alerts, with no display), on one line.
    QString alerts() const;
};

QString quendleBinary();
QString resourcePath();
QuendleRun runQuendle(const Sandbox& sandbox, const QStringList& arguments, const RunOptions& options = {});

// A folder's state, entry by entry: type, size, contents digest, mode, link target. Keys are
// the relative paths' bytes, percent-encoded but for "/" and spaces, so that names that are
// not UTF-8 count like any other.
using Snapshot = QMap<QString, QString>;
// Every entry below root except those at or below the excluded relative paths.
Snapshot snapshot(const QString& root, const QStringList& excluded = {});
// Readable differences ("changed: x", "gone: y", "new: z"); empty when both are the same.
QStringList differences(const Snapshot& before, const Snapshot& after);

// Processes.
std::vector<pid_t> childrenOf(pid_t parent);
QString commandName(pid_t pid);
// VmRSS and VmHWM from /proc/<pid>/status, in KiB; -1 when the process is gone.
qint64 residentKiB(pid_t pid);
qint64 peakResidentKiB(pid_t pid);
// Forgets this process's peak, so that the next VmHWM measures what follows.
bool resetPeakResident();
int openDescriptorCount();

// A mount that is undone (lazily, so a busy one cannot stay behind) when the object goes.
class Mount {
public:
    Mount() = default;
    ~Mount();
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;
    // False with the system's reason when the machine refuses (no privilege, no tmpfs...).
    bool tmpfs(const QString& target, const QString& options, QString* whyNot);
    bool bindReadOnly(const QString& source, const QString& target, QString* whyNot);
    void unmount();

private:
    QString mTarget;
};

// Runs a helper program to completion (no shell); output and error merged into *output.
int run(const QString& program, const QStringList& arguments, QString* output = nullptr,
    const QString& workingDirectory = {});
// python3 -c script with its arguments; true when it exits 0.
bool runPython(const QString& script, const QStringList& arguments, QString* output = nullptr);
QString sevenZip();

// Writes a single-entry gzip file named entryName holding `gigabytes` GiB of zeros, in a few
// seconds and a few megabytes (one compressed block, repeated).
bool writeZerosGzip(const QString& path, const QString& entryName, int gigabytes, QString* output = nullptr);

// How much a file system has free, in bytes.
qint64 freeBytes(const QString& path);

} // namespace quendle::hardening

// What the end-to-end tests share: a sandbox per test, running the real quendle, building
// archives with the real 7-Zip, and a stand-in file manager on a private session bus.
#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

namespace quendle::e2e {

// How a run sees the screen: Qt's offscreen platform asked for by name, or no display at all
// (neither DISPLAY nor WAYLAND_DISPLAY nor QT_QPA_PLATFORM).
enum class Display { Offscreen, None };

struct QuendleRun {
    bool started = false;
    bool finished = false; // false: still running at the time-out, then killed
    bool crashed = false;
    int exitCode = -1;
    QString out;
    QString err;
    // For failure messages.
    QString describe() const;
};

// One test's own world: HOME, XDG folders and a work folder under a fresh temporary folder, and
// the environment a quendle started from it gets.
class Sandbox {
public:
    Sandbox();
    bool isValid() const { return mRoot.isValid(); }

    QString root() const { return mRoot.path(); }
    QString work() const { return root() + QStringLiteral("/work"); }
    QString home() const { return root() + QStringLiteral("/home"); }
    QString configHome() const { return root() + QStringLiteral("/config"); }
    QString dataHome() const { return root() + QStringLiteral("/data"); }
    QString runtimeDir() const { return root() + QStringLiteral("/run"); }
    QString trashFiles() const { return dataHome() + QStringLiteral("/Trash/files"); }
    QString trashInfo() const { return dataHome() + QStringLiteral("/Trash/info"); }

    // Writes the preferences file as the application reads it ([General] group, string values).
    void writePreferences(const QMap<QString, QString>& values) const;
    // Preferences that keep every run away from the desktop's file manager.
    void writePreferencesBeside() const;
    void writePreferencesCustom(const QString& customFolder) const;

    // The session bus the runs talk to; by default one that does not exist, so that nothing
    // reaches the desktop's real file manager.
    void setSessionBus(const QString& address) { mBusAddress = address; }
    // A session without a runtime folder (a root shell, a container); the temporary folder,
    // where the fallbacks then go, stays inside the sandbox.
    void setWithoutRuntimeDir() { mWithoutRuntimeDir = true; }

    QProcessEnvironment environment(Display display) const;
    // Runs quendle with standard input from /dev/null; kills it after timeoutMs.
    QuendleRun runQuendle(const QStringList& arguments, Display display = Display::Offscreen, int timeoutMs = 120000) const;

private:
    QTemporaryDir mRoot;
    QString mBusAddress;
    bool mWithoutRuntimeDir = false;
};

QString quendleBinary();

// A tree of files and folders by relative path: a file maps to its contents, a folder to a key
// ending in "/" with no contents.
using Tree = QMap<QString, QByteArray>;
void writeTree(const QString& root, const Tree& tree);
// Everything below root (hidden items too); symbolic links are listed as "-> target".
Tree readTree(const QString& root);
// The names directly inside a folder, sorted.
QStringList entryNames(const QString& folder);
// Every path below root (hidden items too) whose name contains the text.
QStringList findNamesContaining(const QString& root, const QString& text, bool recursive);

// Runs 7-Zip (no shell) in a working folder; the output is kept for failure messages.
bool runSevenZip(const QStringList& arguments, const QString& workingDirectory, QString* output = nullptr);
// Runs python3 -c script with its arguments.
bool runPython(const QString& script, const QStringList& arguments, QString* output = nullptr);

// An archive format the tests build with 7-Zip: "zip", "7z", "tar", "tar.gz", "tar.bz2".
struct Format {
    const char* extension;
};
// Builds archive (an absolute path whose name ends in the format's extension) from the named
// items of workingDirectory.
bool buildArchive(const Format& format, const QString& archive, const QString& workingDirectory,
    const QStringList& items, QString* output = nullptr);

// A dbus-daemon of our own and, on it, the stand-in file manager recording its calls.
class PrivateSessionBus {
public:
    explicit PrivateSessionBus(QString folder);
    ~PrivateSessionBus();
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
    QProcess mDaemon;
    QProcess mFileManager;
};

// The alert lines a headless quendle wrote: the lines from the message text on, up to the
// answer it took. Empty when the message text does not appear.
QStringList alertOnStandardError(const QString& err, const QString& messageText);

} // namespace quendle::e2e

// Readable failure messages for the Qt strings the tests compare.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << '"' << bytes.left(200).toStdString() << (bytes.size() > 200 ? "\"..." : "\"");
}

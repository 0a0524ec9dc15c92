// Temporary HOME and XDG folders for one test, files and trees of files, and runs of helper
// programs (7-Zip, python3, tar...) to make what a test needs.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace quendle::test {

// Points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR into a fresh temporary folder
// for the lifetime of the object, and puts the old values back afterwards. A quendle started
// meanwhile has its own single-instance socket, so it never hands its files to another test's.
class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
    bool isValid() const { return mDir.isValid(); }
    QString root() const { return mDir.path(); }
    QString home() const { return mDir.path() + QStringLiteral("/home"); }
    QString configHome() const { return mDir.path() + QStringLiteral("/config"); }
    QString dataHome() const { return mDir.path() + QStringLiteral("/data"); }
    QString runtimeDir() const { return mDir.path() + QStringLiteral("/run"); }

private:
    QTemporaryDir mDir;
    QByteArray mOld[4];
    bool mHad[4] {};
};

// Writes a file, creating its folders, and gives it the permissions when some are named;
// false when it could not be written.
bool writeFile(const QString& path, const QByteArray& contents, QFile::Permissions permissions = {});
QByteArray readFile(const QString& path);

// A tree of files and folders by relative path: a file maps to its contents, a folder to a key
// ending in "/" with no contents.
using Tree = QMap<QString, QByteArray>;
void writeTree(const QString& root, const Tree& tree);
// Everything below root (hidden items too); symbolic links are listed as "-> target".
Tree readTree(const QString& root);
// Everything below root, one line per item in path order, with what an extraction decides
// about it: its kind, permission bits, modification time (to the nanosecond), link count,
// contents (a digest) or a symbolic link's own target. Two extractions agree when these agree.
QStringList describeTree(const QString& root);
// The names directly inside a folder, sorted.
QStringList entryNames(const QString& folder);
// Every path below root (hidden items too) whose name contains the text.
QStringList findNamesContaining(const QString& root, const QString& text, bool recursive);

// How a program run by a test ended, and what it wrote.
struct ProgramRun {
    bool started = false;
    bool finished = false; // false: still running at the time-out, then killed
    bool crashed = false;
    int exitCode = -1;
    QString out; // with mergeChannels, both outputs
    QString err;
    bool ok() const { return started && finished && !crashed && exitCode == 0; }
    // For failure messages.
    QString describe() const;
    // What a headless quendle said on standard error (its alerts), on one line.
    QString alerts() const;
};

struct ProgramOptions {
    QString workingDirectory {};
    QString outputFile {}; // standard output goes into this file
    bool mergeChannels = false;
    int timeoutMs = 300000;
    QMap<QString, QString> environment {}; // added to this process's
};

// Runs a program to completion (no shell) with standard input from /dev/null; kills it at
// the time-out.
ProgramRun runProgram(const QString& program, const QStringList& arguments, const ProgramOptions& options = {});
bool haveProgram(const QString& name);
// The installed 7-Zip ("7zz", else "7z"), or empty when none is installed.
QString sevenZip();
// Run 7-Zip in a working folder, or python3 -c script with its arguments; true when they exit
// 0. The command and what it printed go into *output, for failure messages.
bool runSevenZip(const QStringList& arguments, const QString& workingDirectory, QString* output = nullptr);
bool runPython(const QString& script, const QStringList& arguments, QString* output = nullptr);

// An archive format the tests build with 7-Zip: "zip", "7z", "tar", "tar.gz", "tar.bz2".
struct Format {
    const char* extension;
};
// Builds archive (an absolute path whose name ends in the format's extension) from the named
// items of workingDirectory.
bool buildArchive(const Format& format, const QString& archive, const QString& workingDirectory,
    const QStringList& items, QString* output = nullptr);
// Builds archive with 7-Zip ("7z a", its type from the name unless a switch says) from a tree
// written to a folder of its own; every top-level item of the tree goes in.
bool makeArchive(const QString& archive, const Tree& files, const QStringList& switches = {},
    QString* output = nullptr);

// Runs the event loop until the condition holds; the deadline only keeps a broken test from
// hanging the run, nothing is measured. Whether the condition holds in the end.
bool spinUntil(const std::function<bool()>& condition, int safetyMs = 60000);

// The build's resource folder and its archiver, as the tests' environment gives them.
QString testToolPath();
QString testDataPath(const QString& name);

} // namespace quendle::test

// Skip the calling test when a program it needs is missing. Macros, so that the skip returns
// from the test body itself: GTEST_SKIP in a helper function only returns from the helper.
#define QUENDLE_REQUIRE_SEVEN_ZIP()                                                                   \
    do {                                                                                              \
        if (::quendle::test::sevenZip().isEmpty())                                                    \
            GTEST_SKIP() << "7-Zip is not installed";                                                 \
    } while (false)
#define QUENDLE_REQUIRE_UNAR()                                                                        \
    do {                                                                                              \
        if (!::quendle::test::haveProgram(QStringLiteral("lsar"))                                     \
            || !::quendle::test::haveProgram(QStringLiteral("unar")))                                 \
            GTEST_SKIP() << "lsar and unar (package unar) are not installed";                         \
    } while (false)

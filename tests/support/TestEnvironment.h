// Temporary HOME and XDG folders for one test, and small file helpers.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace quendle::test {

// Points HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_RUNTIME_DIR into a fresh temporary folder
// for the lifetime of the object, and puts the old values back afterwards. A quendle started
// meanwhile has its own single-instance socket, so it never hands its files to another test's.
class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
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

// Writes a file, creating its folders.
void writeFile(const QString& path, const QByteArray& contents);
QByteArray readFile(const QString& path);
// Runs a program to completion (no shell); returns its exit status, -1 when it did not start.
int runProgram(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
    const QString& workingDirectory = {});
// The installed 7-Zip ("7zz", else "7z"), or empty when none is installed.
QString sevenZip();
// The build's resource folder and its archiver, as the tests' environment gives them.
QString testToolPath();
QString testDataPath(const QString& name);

} // namespace quendle::test

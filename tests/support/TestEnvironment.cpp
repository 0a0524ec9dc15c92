// Temporary HOME and XDG folders for one test, and small file helpers.
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cstdlib>

namespace quendle::test {

namespace {
const char* const kVariables[4] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"};
}

TemporaryHome::TemporaryHome()
{
    const QString values[4] = {home(), configHome(), dataHome(), runtimeDir()};
    for (int i = 0; i < 4; ++i) {
        mHad[i] = qEnvironmentVariableIsSet(kVariables[i]);
        mOld[i] = qgetenv(kVariables[i]);
        QDir().mkpath(values[i]);
        qputenv(kVariables[i], QFile::encodeName(values[i]));
    }
    // The runtime folder must be the user's alone, or nothing is put there.
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TemporaryHome::~TemporaryHome()
{
    for (int i = 0; i < 4; ++i) {
        if (mHad[i])
            qputenv(kVariables[i], mOld[i]);
        else
            qunsetenv(kVariables[i]);
    }
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int runProgram(const QString& program, const QStringList& arguments, QByteArray* output,
    const QString& workingDirectory)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    if (!process.waitForStarted(30000))
        return -1;
    process.waitForFinished(-1);
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

QString sevenZip()
{
    for (const char* name : {"7zz", "7z"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString testToolPath()
{
    return qEnvironmentVariable("QUENDLE_RESOURCE_PATH") + QStringLiteral("/.utility/7z");
}

QString testDataPath(const QString& name)
{
    return qEnvironmentVariable("QUENDLE_TEST_DATA") + u'/' + name;
}

} // namespace quendle::test

// Temporary HOME and XDG folders for one test, files and trees of files, and runs of helper
// programs to make what a test needs.
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace quendle::test {

namespace {
const char* const kVariables[4] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"};

// Runs a helper and says how it went: the command line and its merged output.
bool runHelper(const QString& program, const QStringList& arguments, const QString& workingDirectory, QString* output)
{
    ProgramOptions options;
    options.workingDirectory = workingDirectory;
    options.mergeChannels = true;
    const ProgramRun run = runProgram(program, arguments, options);
    if (output)
        *output = program + u' ' + arguments.join(u' ') + u'\n' + run.out;
    return run.ok();
}
} // namespace

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

bool writeFile(const QString& path, const QByteArray& contents, QFile::Permissions permissions)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size())
        return false;
    file.close();
    return !permissions || file.setPermissions(permissions);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeTree(const QString& root, const Tree& tree)
{
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        if (it.key().endsWith(u'/'))
            QDir().mkpath(root + u'/' + it.key());
        else
            writeFile(root + u'/' + it.key(), it.value());
    }
}

Tree readTree(const QString& root)
{
    Tree tree;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        const QString relative = QDir(root).relativeFilePath(info.filePath());
        if (info.isSymLink())
            tree.insert(relative, "-> " + QFile::encodeName(info.symLinkTarget()));
        else if (info.isDir())
            tree.insert(relative + u'/', {});
        else
            tree.insert(relative, readFile(info.filePath()));
    }
    return tree;
}

QStringList describeTree(const QString& root)
{
    QStringList lines;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat info {};
        if (lstat(QFile::encodeName(path).constData(), &info) != 0) {
            lines.append(path + QStringLiteral(" (gone)"));
            continue;
        }
        QString line = QDir(root).relativeFilePath(path)
            + QStringLiteral(" mode %1 mtime %2.%3 links %4")
                  .arg(info.st_mode, 0, 8)
                  .arg(qint64(info.st_mtim.tv_sec))
                  .arg(qint64(info.st_mtim.tv_nsec), 9, 10, QLatin1Char('0'))
                  .arg(S_ISDIR(info.st_mode) ? 0 : qint64(info.st_nlink));
        if (S_ISLNK(info.st_mode)) {
            char target[4096];
            const ssize_t size = readlink(QFile::encodeName(path).constData(), target, sizeof target);
            line += QStringLiteral(" -> ") + QString::fromUtf8(target, size < 0 ? 0 : size);
        } else if (S_ISREG(info.st_mode)) {
            line += u' ' + QString::fromLatin1(QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha256).toHex());
        }
        lines.append(line);
    }
    lines.sort();
    return lines;
}

QStringList entryNames(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QStringList findNamesContaining(const QString& root, const QString& text, bool recursive)
{
    QStringList found;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
        recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        if (info.fileName().contains(text))
            found.append(info.filePath());
    }
    return found;
}

QString ProgramRun::describe() const
{
    QString text;
    if (!started)
        text += QStringLiteral("did not start\n");
    else if (!finished)
        text += QStringLiteral("was still running at the time-out and was killed\n");
    else if (crashed)
        text += QStringLiteral("crashed\n");
    else
        text += QStringLiteral("exit status %1\n").arg(exitCode);
    return text + QStringLiteral("--- standard error:\n") + err + QStringLiteral("--- standard output:\n") + out.left(4000);
}

QString ProgramRun::alerts() const
{
    QStringList kept;
    for (const QString& line : err.split(u'\n')) {
        // Qt's own notes about the environment are not quendle's.
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1String("QStandardPaths")))
            kept << line.trimmed();
    }
    return kept.join(QStringLiteral(" | "));
}

ProgramRun runProgram(const QString& program, const QStringList& arguments, const ProgramOptions& options)
{
    ProgramRun run;
    QProcess process;
    if (options.mergeChannels)
        process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!options.outputFile.isEmpty())
        process.setStandardOutputFile(options.outputFile);
    if (!options.workingDirectory.isEmpty())
        process.setWorkingDirectory(options.workingDirectory);
    if (!options.environment.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (auto it = options.environment.cbegin(); it != options.environment.cend(); ++it)
            environment.insert(it.key(), it.value());
        process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
    run.started = process.waitForStarted(30000);
    if (!run.started)
        return run;
    run.finished = process.waitForFinished(options.timeoutMs);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

bool haveProgram(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
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

bool runSevenZip(const QStringList& arguments, const QString& workingDirectory, QString* output)
{
    const QString program = sevenZip();
    if (program.isEmpty()) {
        if (output)
            *output = QStringLiteral("7-Zip is not installed");
        return false;
    }
    return runHelper(program, arguments, workingDirectory, output);
}

bool runPython(const QString& script, const QStringList& arguments, QString* output)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        if (output)
            *output = QStringLiteral("python3 is not installed");
        return false;
    }
    return runHelper(python, QStringList {QStringLiteral("-c"), script} + arguments, QString(), output);
}

bool buildArchive(const Format& format, const QString& archive, const QString& workingDirectory,
    const QStringList& items, QString* output)
{
    const QString extension = QString::fromLatin1(format.extension);
    QFile::remove(archive);
    if (extension == u"tar.gz" || extension == u"tar.bz2") {
        // A compressed tar is a tar inside a one-file gzip or bzip2 stream.
        QTemporaryDir staging;
        const QString tar = staging.path() + u'/' + QFileInfo(archive).completeBaseName();
        if (!runSevenZip(QStringList {QStringLiteral("a"), QStringLiteral("-ttar"), tar} + items, workingDirectory, output))
            return false;
        const QString type = extension == u"tar.gz" ? QStringLiteral("-tgzip") : QStringLiteral("-tbzip2");
        return runSevenZip({QStringLiteral("a"), type, archive, QFileInfo(tar).fileName()}, staging.path(), output);
    }
    return runSevenZip(QStringList {QStringLiteral("a"), QStringLiteral("-t") + extension, archive} + items,
        workingDirectory, output);
}

bool makeArchive(const QString& archive, const Tree& files, const QStringList& switches, QString* output)
{
    QTemporaryDir source;
    writeTree(source.path(), files);
    QStringList tops;
    for (auto it = files.cbegin(); it != files.cend(); ++it) {
        const QString top = it.key().section(u'/', 0, 0);
        if (!tops.contains(top))
            tops.append(top);
    }
    return runSevenZip(QStringList {QStringLiteral("a"), archive} + switches + QStringList {QStringLiteral("--")} + tops,
        source.path(), output);
}

bool spinUntil(const std::function<bool()>& condition, int safetyMs)
{
    QDeadlineTimer deadline(safetyMs);
    while (!condition() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
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

// What the end-to-end tests share: a sandbox per test, running the real quendle, building
// archives with the real 7-Zip, and a stand-in file manager on a private session bus.
#include "e2e/EndToEnd.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>

namespace quendle::e2e {

namespace {

constexpr int kToolTimeoutMs = 300000;

bool runTool(const QString& program, const QStringList& arguments, const QString& workingDirectory, QString* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    bool ok = process.waitForStarted(30000);
    if (ok && !process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        ok = false;
    }
    if (output)
        *output = program + u' ' + arguments.join(u' ') + u'\n' + QString::fromUtf8(process.readAll());
    return ok && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

QString QuendleRun::describe() const
{
    QString text;
    if (!started)
        text += QStringLiteral("quendle did not start\n");
    else if (!finished)
        text += QStringLiteral("quendle was still running at the time-out and was killed\n");
    else if (crashed)
        text += QStringLiteral("quendle crashed\n");
    else
        text += QStringLiteral("exit status %1\n").arg(exitCode);
    return text + QStringLiteral("--- standard error:\n") + err + QStringLiteral("--- standard output:\n") + out;
}

Sandbox::Sandbox()
{
    for (const QString& folder : {work(), home(), configHome(), dataHome(), runtimeDir()})
        QDir().mkpath(folder);
    // The runtime folder must be the user's alone (the single-instance socket lives there).
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void Sandbox::writePreferences(const QMap<QString, QString>& values) const
{
    QSettings settings(configHome() + QStringLiteral("/quendle/quendle.conf"), QSettings::IniFormat);
    for (auto it = values.begin(); it != values.end(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
}

void Sandbox::writePreferencesBeside() const
{
    writePreferences({{QStringLiteral("IsUsedCustomFolder"), QStringLiteral("0")},
        {QStringLiteral("IsRevealInFinder"), QStringLiteral("0")},
        {QStringLiteral("ActionAfterExpanding"), QStringLiteral("0")}});
}

void Sandbox::writePreferencesCustom(const QString& customFolder) const
{
    writePreferences({{QStringLiteral("IsUsedCustomFolder"), QStringLiteral("1")},
        {QStringLiteral("CustomFolder"), customFolder}, {QStringLiteral("IsRevealInFinder"), QStringLiteral("0")},
        {QStringLiteral("ActionAfterExpanding"), QStringLiteral("0")}});
}

QProcessEnvironment Sandbox::environment(Display display) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"})
        environment.remove(QString::fromLatin1(name));
    if (display == Display::Offscreen)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    if (mWithoutRuntimeDir) {
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        QDir().mkpath(root() + QStringLiteral("/tmp"));
        environment.insert(QStringLiteral("TMPDIR"), root() + QStringLiteral("/tmp"));
    }
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), root() + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
        mBusAddress.isEmpty() ? QStringLiteral("unix:path=") + root() + QStringLiteral("/no-session-bus") : mBusAddress);
    return environment;
}

QuendleRun Sandbox::runQuendle(const QStringList& arguments, Display display, int timeoutMs) const
{
    QuendleRun run;
    QProcess process;
    process.setProcessEnvironment(environment(display));
    process.setStandardInputFile(QProcess::nullDevice());
    process.setWorkingDirectory(work());
    process.start(quendleBinary(), arguments);
    run.started = process.waitForStarted(30000);
    if (run.started) {
        run.finished = process.waitForFinished(timeoutMs);
        if (!run.finished) {
            process.kill();
            process.waitForFinished();
        }
        run.crashed = process.exitStatus() != QProcess::NormalExit;
        run.exitCode = process.exitCode();
    }
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString quendleBinary()
{
    const QString fromEnvironment = qEnvironmentVariable("QUENDLE_BINARY");
    return fromEnvironment.isEmpty() ? QStringLiteral(QUENDLE_E2E_BINARY) : fromEnvironment;
}

void writeTree(const QString& root, const Tree& tree)
{
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        if (it.key().endsWith(u'/'))
            QDir().mkpath(root + u'/' + it.key());
        else
            quendle::test::writeFile(root + u'/' + it.key(), it.value());
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
            tree.insert(relative, quendle::test::readFile(info.filePath()));
    }
    return tree;
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

bool runSevenZip(const QStringList& arguments, const QString& workingDirectory, QString* output)
{
    const QString sevenZip = quendle::test::sevenZip();
    if (sevenZip.isEmpty()) {
        if (output)
            *output = QStringLiteral("7-Zip is not installed");
        return false;
    }
    return runTool(sevenZip, arguments, workingDirectory, output);
}

bool runPython(const QString& script, const QStringList& arguments, QString* output)
{
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        if (output)
            *output = QStringLiteral("python3 is not installed");
        return false;
    }
    return runTool(python, QStringList {QStringLiteral("-c"), script} + arguments, QString(), output);
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
    mFileManager.start(QStringLiteral(QUENDLE_E2E_FAKE_FILE_MANAGER), {recordFile()});
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
    const QList<QByteArray> lines = quendle::test::readFile(recordFile()).split('\n');
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

QStringList alertOnStandardError(const QString& err, const QString& messageText)
{
    const QStringList lines = err.split(u'\n');
    const qsizetype first = lines.indexOf(messageText);
    if (first < 0)
        return {};
    QStringList alert;
    for (qsizetype i = first; i < lines.size(); ++i) {
        alert.append(lines.at(i));
        if (lines.at(i).startsWith(QLatin1String("(no display and no terminal: answered")))
            break;
    }
    return alert;
}

} // namespace quendle::e2e

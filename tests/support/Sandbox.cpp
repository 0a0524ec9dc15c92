// One test's own world and the real quendle run in it.
#include "support/Sandbox.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>

#include <filesystem>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>

namespace quendle::test {

namespace {
QByteArray bytes(const QString& path) { return QFile::encodeName(path); }
} // namespace

std::optional<Account> unprivilegedAccount(QString* whyNot)
{
    if (geteuid() != 0)
        return Account {getuid(), getgid(), true};
    const passwd* nobody = getpwnam("nobody");
    if (!nobody) {
        *whyNot = QStringLiteral("there is no account \"nobody\" to run quendle as");
        return std::nullopt;
    }
    Account account {nobody->pw_uid, nobody->pw_gid, false};
    if (!haveProgram(QStringLiteral("setpriv"))) {
        *whyNot = QStringLiteral("setpriv is not installed");
        return std::nullopt;
    }
    // The build folder must be reachable by that account.
    ProgramOptions merged;
    merged.mergeChannels = true;
    const ProgramRun check = runProgram(QStringLiteral("setpriv"),
        {QStringLiteral("--reuid=%1").arg(account.uid), QStringLiteral("--regid=%1").arg(account.gid),
            QStringLiteral("--clear-groups"), QStringLiteral("--"), QStringLiteral("/bin/sh"), QStringLiteral("-c"),
            QStringLiteral("test -x \"$0\" && test -x \"$1/.utility/7z\""), quendleBinary(), resourcePath()},
        merged);
    if (!check.ok()) {
        *whyNot = QStringLiteral("the account \"nobody\" cannot run the build's quendle (%1): %2")
                      .arg(quendleBinary(), check.out.trimmed());
        return std::nullopt;
    }
    return account;
}

Sandbox::Sandbox()
{
    // Another account must be able to enter the sandbox when a test hands it over.
    QFile::setPermissions(root(), QFile::permissions(root()) | QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
    for (const QString& folder : {work(), home(), configHome(), dataHome(), cacheHome(), runtimeDir()})
        QDir().mkpath(folder);
    // The runtime folder must be the user's alone (the single-instance socket lives there).
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void Sandbox::writePreferences(const QMap<QString, QString>& values) const
{
    QSettings settings(settingsFile(), QSettings::IniFormat);
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

void Sandbox::giveTo(const Account& account) const
{
    if (account.isSelf)
        return;
    namespace fs = std::filesystem;
    const fs::path top(bytes(root()).toStdString());
    if (::lchown(top.c_str(), account.uid, account.gid) != 0)
        return;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(top, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        [[maybe_unused]] const int ignored = ::lchown(it->path().c_str(), account.uid, account.gid);
}

QProcessEnvironment Sandbox::environment(Display display) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SESSION_MANAGER", "DBUS_SESSION_BUS_ADDRESS"})
        environment.remove(QString::fromLatin1(name));
    if (display == Display::Offscreen)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    // Quendle speaks English here whatever the language of the machine that runs the tests;
    // a test of another language names it in its run's environment.
    environment.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
    if (mWithoutRuntimeDir) {
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        QDir().mkpath(root() + QStringLiteral("/tmp"));
        environment.insert(QStringLiteral("TMPDIR"), root() + QStringLiteral("/tmp"));
    }
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
        mBusAddress.isEmpty() ? QStringLiteral("unix:path=") + root() + QStringLiteral("/no-bus") : mBusAddress);
    return environment;
}

QString quendleBinary()
{
    const QString fromEnvironment = qEnvironmentVariable("QUENDLE_BINARY");
    return fromEnvironment.isEmpty() ? QStringLiteral(QUENDLE_TEST_BINARY) : fromEnvironment;
}

QString resourcePath() { return qEnvironmentVariable("QUENDLE_RESOURCE_PATH"); }

QuendleRun runQuendle(const Sandbox& sandbox, const QStringList& arguments, const RunOptions& options)
{
    return runInSandbox(sandbox, quendleBinary(), arguments, options);
}

ProgramRun runInSandbox(const Sandbox& sandbox, const QString& programPath, const QStringList& arguments,
    const RunOptions& options)
{
    ProgramRun result;
    QProcess process;
    QProcessEnvironment environment = sandbox.environment(options.display);
    for (auto it = options.environment.cbegin(); it != options.environment.cend(); ++it)
        environment.insert(it.key(), it.value());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(sandbox.work());

    // Answers are typed on a pseudo-terminal, which quendle reads when it has no display.
    int terminal = -1;
    int typingEnd = -1;
    if (!options.typedAnswers.isEmpty()) {
        terminal = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (terminal < 0 || grantpt(terminal) != 0 || unlockpt(terminal) != 0)
            return result;
        const QString name = QString::fromLocal8Bit(ptsname(terminal));
        // Held open here too, so the typed lines wait in the terminal until quendle reads them.
        typingEnd = ::open(bytes(name).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (options.as && !options.as->isSelf)
            [[maybe_unused]] const int ignored = ::chown(bytes(name).constData(), options.as->uid, options.as->gid);
        const QByteArray typed = options.typedAnswers.join(u'\n').toUtf8() + '\n';
        if (::write(terminal, typed.constData(), size_t(typed.size())) != typed.size())
            return result;
        process.setStandardInputFile(name);
    } else {
        process.setStandardInputFile(QProcess::nullDevice());
    }

    QString program = programPath;
    QStringList programArguments = arguments;
    if (options.as && !options.as->isSelf) {
        programArguments = QStringList {QStringLiteral("--reuid=%1").arg(options.as->uid),
                               QStringLiteral("--regid=%1").arg(options.as->gid), QStringLiteral("--clear-groups"),
                               QStringLiteral("--"), program}
            + arguments;
        program = QStringLiteral("setpriv");
    }
    process.start(program, programArguments);
    result.started = process.waitForStarted(30000);
    if (result.started) {
        const pid_t pid = pid_t(process.processId());
        bool polling = bool(options.whileRunning);
        QDeadlineTimer deadline(options.timeoutMs);
        result.finished = true;
        while (process.state() != QProcess::NotRunning && !process.waitForFinished(polling ? 5 : 100)) {
            if (process.state() == QProcess::NotRunning)
                break;
            if (deadline.hasExpired()) {
                result.finished = false;
                process.kill();
                process.waitForFinished(10000);
                break;
            }
            if (polling)
                polling = options.whileRunning(pid);
        }
        result.crashed = result.finished && process.exitStatus() == QProcess::CrashExit;
        result.exitCode = process.exitCode();
    }
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    if (typingEnd >= 0)
        ::close(typingEnd);
    if (terminal >= 0)
        ::close(terminal);
    return result;
}

std::optional<double> probedLongestGapMs(const QString& err)
{
    const QRegularExpressionMatch line
        = QRegularExpression(QStringLiteral("event loop probe: longest gap between ticks ([0-9.]+) ms")).match(err);
    if (!line.hasMatch())
        return std::nullopt;
    return line.captured(1).toDouble();
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

} // namespace quendle::test

// What the hardening tests share: sandboxes, runs of the real quendle, snapshots, processes, mounts.
#include "Hardening.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <pwd.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace quendle::hardening {

namespace {

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QByteArray bytes(const QString& path) { return QFile::encodeName(path); }

// The status line of /proc/<pid>/status that starts with key, as a number of KiB.
qint64 statusValue(pid_t pid, const QByteArray& key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// One entry's state: type, mode, size, contents digest and modification time, or link target.
QString describeEntry(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return QStringLiteral("unreadable");
    const QString mode = QString::number(info.st_mode & 07777, 8);
    if (S_ISLNK(info.st_mode)) {
        std::error_code error;
        return QStringLiteral("link -> ") + QString::fromLatin1(
            QByteArray::fromStdString(std::filesystem::read_symlink(path, error).string()).toPercentEncoding("/ "));
    }
    if (S_ISDIR(info.st_mode))
        return QStringLiteral("folder ") + mode;
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("special %1").arg(info.st_mode, 0, 8);
    QCryptographicHash digest(QCryptographicHash::Sha1);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0) {
        char buffer[1 << 16];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            digest.addData(QByteArrayView(buffer, n));
        ::close(fd);
    }
    return QStringLiteral("file %1 %2 %3 mtime %4.%5")
        .arg(mode)
        .arg(info.st_size)
        .arg(QString::fromLatin1(digest.result().toHex()))
        .arg(info.st_mtim.tv_sec)
        .arg(info.st_mtim.tv_nsec);
}

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
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
        *whyNot = QStringLiteral("setpriv is not installed");
        return std::nullopt;
    }
    // The build folder must be reachable by that account.
    QString output;
    const int status = run(QStringLiteral("setpriv"),
        {QStringLiteral("--reuid=%1").arg(account.uid), QStringLiteral("--regid=%1").arg(account.gid),
            QStringLiteral("--clear-groups"), QStringLiteral("--"), QStringLiteral("/bin/sh"), QStringLiteral("-c"),
            QStringLiteral("test -x \"$0\" && test -x \"$1/.utility/7z\""), quendleBinary(), resourcePath()},
        &output);
    if (status != 0) {
        *whyNot = QStringLiteral("the account \"nobody\" cannot run the build's quendle (%1): %2")
                      .arg(quendleBinary(), output.trimmed());
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
    // The runtime folder must be the user's alone, or nothing is put there.
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void Sandbox::writePreferences(const QMap<QString, QString>& values) const
{
    QDir().mkpath(QFileInfo(settingsFile()).absolutePath());
    QByteArray text = "[General]\n";
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        text += it.key().toUtf8() + '=' + it.value().toUtf8() + '\n';
    QFile file(settingsFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
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

QProcessEnvironment Sandbox::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "SESSION_MANAGER"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome());
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    // A bus that does not exist: nothing reaches the desktop's real file manager.
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=%1/no-bus").arg(root()));
    environment.insert(QStringLiteral("QUENDLE_RESOURCE_PATH"), resourcePath());
    return environment;
}

QString quendleBinary() { return qEnvironmentVariable("QUENDLE_BINARY"); }
QString resourcePath() { return qEnvironmentVariable("QUENDLE_RESOURCE_PATH"); }

QString QuendleRun::describe() const
{
    return QStringLiteral("started %1, finished %2, crashed %3, exit code %4\n--- standard output:\n%5\n--- standard error:\n%6")
        .arg(started).arg(finished).arg(crashed).arg(exitCode).arg(out, err);
}

QString QuendleRun::alerts() const
{
    QStringList kept;
    for (const QString& line : err.split(u'\n')) {
        // Qt's own notes about the environment are not quendle's.
        if (!line.trimmed().isEmpty() && !line.startsWith(QLatin1String("QStandardPaths")))
            kept << line.trimmed();
    }
    return kept.join(QStringLiteral(" | "));
}

QuendleRun runQuendle(const Sandbox& sandbox, const QStringList& arguments, const RunOptions& options)
{
    QuendleRun result;
    QProcess process;
    QProcessEnvironment environment = sandbox.environment();
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

    QString program = quendleBinary();
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

Snapshot snapshot(const QString& root, const QStringList& excluded)
{
    // Walked on bytes, not on Qt's decoded names: an entry whose name is not valid UTF-8 must
    // count like any other.
    namespace fs = std::filesystem;
    Snapshot entries;
    const fs::path base(bytes(root).toStdString());
    QList<QByteArray> left;
    for (const QString& out : excluded)
        left << bytes(out);
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(base, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        const QByteArray relative = QByteArray::fromStdString(it->path().lexically_relative(base).string());
        bool skip = false;
        for (const QByteArray& out : left)
            skip = skip || relative == out || relative.startsWith(out + '/');
        if (skip) {
            if (it->is_directory(error) && !it->is_symlink(error))
                it.disable_recursion_pending();
            continue;
        }
        entries.insert(QString::fromLatin1(relative.toPercentEncoding("/ ")), describeEntry(it->path().string()));
    }
    if (error)
        entries.insert(QStringLiteral("(walk)"), QString::fromStdString(error.message()));
    return entries;
}

QStringList differences(const Snapshot& before, const Snapshot& after)
{
    QStringList found;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key()))
            found << QStringLiteral("gone: ") + it.key();
        else if (after.value(it.key()) != it.value())
            found << QStringLiteral("changed: %1 (%2 -> %3)").arg(it.key(), it.value(), after.value(it.key()));
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()))
            found << QStringLiteral("new: %1 (%2)").arg(it.key(), it.value());
    }
    return found;
}

std::vector<pid_t> childrenOf(pid_t parent)
{
    std::vector<pid_t> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isNumber = false;
        const pid_t pid = entry.toInt(&isNumber);
        if (!isNumber)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == parent)
            children.push_back(pid);
    }
    return children;
}

QString commandName(pid_t pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromUtf8(comm.readAll()).trimmed() : QString();
}

qint64 residentKiB(pid_t pid) { return statusValue(pid, "VmRSS:"); }
qint64 peakResidentKiB(pid_t pid) { return statusValue(pid, "VmHWM:"); }

bool resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

int openDescriptorCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

Mount::~Mount() { unmount(); }

void Mount::unmount()
{
    if (mTarget.isEmpty())
        return;
    if (::umount2(bytes(mTarget).constData(), 0) != 0)
        ::umount2(bytes(mTarget).constData(), MNT_DETACH);
    mTarget.clear();
}

bool Mount::tmpfs(const QString& target, const QString& options, QString* whyNot)
{
    const QByteArray data = options.toUtf8();
    if (::mount("tmpfs", bytes(target).constData(), "tmpfs", MS_NOSUID | MS_NODEV, data.constData()) != 0) {
        *whyNot = QStringLiteral("mount -t tmpfs -o %1 was refused: %2").arg(options, errnoText(errno));
        return false;
    }
    mTarget = target;
    return true;
}

bool Mount::bindReadOnly(const QString& source, const QString& target, QString* whyNot)
{
    if (::mount(bytes(source).constData(), bytes(target).constData(), nullptr, MS_BIND, nullptr) != 0) {
        *whyNot = QStringLiteral("a bind mount was refused: %1").arg(errnoText(errno));
        return false;
    }
    mTarget = target;
    // A bind mount is made read-only by remounting it.
    if (::mount(nullptr, bytes(target).constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        *whyNot = QStringLiteral("making the bind mount read-only was refused: %1").arg(errnoText(errno));
        unmount();
        return false;
    }
    return true;
}

int run(const QString& program, const QStringList& arguments, QString* output, const QString& workingDirectory)
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
        *output = QString::fromUtf8(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool runPython(const QString& script, const QStringList& arguments, QString* output)
{
    return run(QStringLiteral("python3"), QStringList {QStringLiteral("-c"), script} + arguments, output) == 0;
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

bool writeZerosGzip(const QString& path, const QString& entryName, int gigabytes, QString* output)
{
    // After a full flush the compressor starts afresh, so every further MiB of zeros compresses
    // to the same bytes: one block is compressed and written again and again.
    static const char* const script = R"(
import struct, sys, zlib
path, name, gib = sys.argv[1], sys.argv[2].encode(), int(sys.argv[3])
mib = bytes(1 << 20)
count = 1024 * gib
deflate = zlib.compressobj(1, zlib.DEFLATED, -15)
first = deflate.compress(mib) + deflate.flush(zlib.Z_FULL_FLUSH)
again = deflate.compress(mib) + deflate.flush(zlib.Z_FULL_FLUSH)
crc = 0
for _ in range(count):
    crc = zlib.crc32(mib, crc)
with open(path, 'wb') as out:
    out.write(b'\x1f\x8b\x08\x08\x00\x00\x00\x00\x00\x03' + name + b'\x00')
    out.write(first)
    for _ in range(count - 1):
        out.write(again)
    out.write(deflate.flush())
    out.write(struct.pack('<II', crc, (count << 20) & 0xffffffff))
)";
    return runPython(QString::fromLatin1(script), {path, entryName, QString::number(gigabytes)}, output);
}

qint64 freeBytes(const QString& path)
{
    struct statvfs info {};
    if (::statvfs(bytes(path).constData(), &info) != 0)
        return -1;
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

} // namespace quendle::hardening

// What the hardening tests add to the shared harness: snapshots, mounts, large archives.
#include "Hardening.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace quendle::hardening {

namespace {

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QByteArray bytes(const QString& path) { return QFile::encodeName(path); }

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

// Every process below this one, alive or zombie.
std::vector<pid_t> descendants()
{
    std::vector<pid_t> found;
    std::vector<pid_t> pending {::getpid()};
    while (!pending.empty()) {
        const pid_t parent = pending.back();
        pending.pop_back();
        for (const pid_t child : childrenOf(parent)) {
            found.push_back(child);
            pending.push_back(child);
        }
    }
    return found;
}

} // namespace quendle::hardening

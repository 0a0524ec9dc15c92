// What the Trash tests share: a fixed clock, file-system probes, and `gio trash --list`.
#include "trash/TrashTestSupport.h"

#include "support/TestEnvironment.h"

#include <QFile>

#include <unistd.h>

namespace quendle::test {

std::optional<struct stat> entryAt(const QString& path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    return st;
}

bool isLink(const QString& path)
{
    const auto st = entryAt(path);
    return st && S_ISLNK(st->st_mode);
}

bool isFolderEntry(const QString& path)
{
    const auto st = entryAt(path);
    return st && S_ISDIR(st->st_mode);
}

bool isPlainFile(const QString& path)
{
    const auto st = entryAt(path);
    return st && S_ISREG(st->st_mode);
}

QString linkTarget(const QString& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buffer, sizeof buffer);
    return n < 0 ? QString() : QFile::decodeName(QByteArray(buffer, n));
}

bool makeLink(const QString& target, const QString& link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
}

unsigned permissions(const QString& path)
{
    const auto st = entryAt(path);
    return st ? unsigned(st->st_mode & 07777) : 0u;
}

QString gioUnavailableReason()
{
    QStringList missing;
    for (const QString& program : {QStringLiteral("gio"), QStringLiteral("dbus-run-session")}) {
        if (!haveProgram(program))
            missing << program;
    }
    if (missing.isEmpty())
        return {};
    return QStringLiteral("not installed: %1 (Debian's libglib2.0-bin and dbus-bin)").arg(missing.join(u", "));
}

namespace {

// Runs `gio trash ARGUMENTS` and returns its standard output.
std::optional<QByteArray> runGioTrash(const QStringList& arguments, QString* error)
{
    ProgramOptions options;
    options.timeoutMs = 60000;
    options.environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    // gio reaches the Trash through the gvfs daemon, which a private session bus starts on demand.
    const ProgramRun gio = runProgram(QStringLiteral("dbus-run-session"),
        QStringList {QStringLiteral("--"), QStringLiteral("gio"), QStringLiteral("trash")} + arguments, options);
    if (!gio.ok()) {
        if (error)
            *error = gio.err;
        return std::nullopt;
    }
    // gio writes every byte outside printable ASCII as \xNN: nothing is lost in the text.
    return gio.out.toUtf8();
}

} // namespace

std::optional<QList<GioTrashEntry>> gioTrashList(QString* error)
{
    const std::optional<QByteArray> output = runGioTrash({QStringLiteral("--list")}, error);
    if (!output)
        return std::nullopt;
    QList<GioTrashEntry> entries;
    for (const QByteArray& line : output->split('\n')) {
        const qsizetype tab = line.indexOf('\t');
        if (tab > 0)
            entries.append({line.left(tab), line.mid(tab + 1)});
    }
    return entries;
}

bool gioRestore(const QByteArray& uri, QString* error)
{
    return runGioTrash({QStringLiteral("--restore"), QString::fromLatin1(uri)}, error).has_value();
}

QByteArray gioEscaped(const QByteArray& path)
{
    static const char digits[] = "0123456789abcdef";
    QByteArray escaped;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\' || c < 32 || c > 126) {
            escaped += "\\x";
            escaped += digits[c >> 4];
            escaped += digits[c & 0xF];
        } else {
            escaped += ch;
        }
    }
    return escaped;
}

} // namespace quendle::test

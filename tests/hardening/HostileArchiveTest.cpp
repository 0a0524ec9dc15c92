// Hostile archives through the real quendle and 7-Zip: names that climb out of the destination,
// absolute names, links that point outside with files written through them, names with line
// breaks or bytes that are not UTF-8, FIFOs and device nodes. Nothing may be written outside
// the destination, no link made there may lead out of it, and quendle must end normally.
#include "Hardening.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

using namespace quendle::hardening;

namespace {

// Helpers for the scripts that build the archives: argv[1] is the archive to write, argv[2]
// the sandbox (for absolute names that would land in it).
const char* const kPrelude = R"(
import io, sys, tarfile, zipfile
out, root = sys.argv[1], sys.argv[2]
kinds = {'file': tarfile.REGTYPE, 'dir': tarfile.DIRTYPE, 'symlink': tarfile.SYMTYPE,
         'hardlink': tarfile.LNKTYPE, 'fifo': tarfile.FIFOTYPE, 'chr': tarfile.CHRTYPE,
         'blk': tarfile.BLKTYPE}
def entry(name, kind='file', data=b'', link='', dev=(0, 0)):
    if isinstance(name, bytes):
        name = name.decode('utf-8', 'surrogateescape')
    info = tarfile.TarInfo(name)
    info.type, info.mode, info.mtime, info.linkname = kinds[kind], 0o644, 0, link
    info.size = len(data) if kind == 'file' else 0
    info.devmajor, info.devminor = dev
    return info, (io.BytesIO(data) if kind == 'file' else None)
def tar(*entries):
    with tarfile.open(out, 'w', format=tarfile.GNU_FORMAT, encoding='utf-8',
                      errors='surrogateescape') as archive:
        for info, data in entries:
            archive.addfile(info, data)
def zip_(*entries):
    with zipfile.ZipFile(out, 'w') as archive:
        for name, data, *kind in entries:
            if kind == ['symlink']:
                info = zipfile.ZipInfo(name)
                info.create_system, info.external_attr = 3, 0o120777 << 16
                archive.writestr(info, data)
            else:
                archive.writestr(name, data)
)";

struct Hostile {
    const char* name;
    const char* extension;
    const char* script; // after the prelude
};
void PrintTo(const Hostile& value, std::ostream* out) { *out << value.name; }


// The archive sits in <sandbox>/work/deep/deeper, which is also the destination; the sandbox
// holds outside/target, a file that links in the archives point at.
const Hostile kHostile[] = {
    {"ZipParentEntry", "zip", "zip_(('../x', b'one'), ('inside/ok', b'ok'))"},
    {"ZipGrandparentEntry", "zip", "zip_(('../../x', b'two'))"},
    {"ZipAbsoluteEntries", "zip", "zip_((root + '/absolute-x', b'abs'), ('/tmp/x', b'tmp'))"},
    {"TarClimbingEntries", "tar",
        "tar(entry('a/../../../middle-x', data=b'mid'), entry('../tar-x', data=b'up'), entry('/tmp/x', data=b'tmp'))"},
    {"TarAbsoluteLinkThenFileThroughIt", "tar",
        "tar(entry('l', 'symlink', link=root + '/outside'), entry('l/evil', data=b'evil'))"},
    {"TarRelativeLinkThenFileThroughIt", "tar",
        "tar(entry('l', 'symlink', link='../../../outside'), entry('l/evil', data=b'evil'))"},
    {"TarLinkToAFileThenTheFile", "tar",
        "tar(entry('f', 'symlink', link=root + '/outside/target'), entry('f', data=b'evil'))"},
    {"TarChainedLinks", "tar",
        "tar(entry('x/l1', 'symlink', link='..'), entry('x/l1/l2', 'symlink', link='..'),"
        " entry('x/l1/l2/evil', data=b'evil'))"},
    {"TarHardLinksOutThenWrittenThrough", "tar",
        "tar(entry('h', 'hardlink', link=root + '/outside/target'),"
        " entry('h2', 'hardlink', link='../../../outside/target'), entry('h', data=b'evil'), entry('h2', data=b'evil'))"},
    {"ZipLinkThenFileThroughIt", "zip",
        "zip_(('zl', (root + '/outside').encode(), 'symlink'), ('zl/evil', b'evil'))"},
    {"ZipNamesWithLineBreaks", "zip", "zip_(('line\\nbreak/file.txt', b'nl'), ('Path = x\\nPath = y', b'p'))"},
    {"TarNamesNotUtf8", "tar", "tar(entry(b'caf\\xe9/\\xff\\xfe.txt', data=b'latin'), entry(b'\\xc3(', data=b'bad'))"},
    {"TarFifoAndDeviceNodes", "tar",
        "tar(entry('fifo', 'fifo'), entry('null', 'chr', dev=(1, 3)), entry('disk', 'blk', dev=(8, 0)),"
        " entry('ok.txt', data=b'ok'))"},
};

// Where a link made in the destination leads, read as the system would (without following
// further links); empty when it stays inside.
QString linkLeadingOut(const QByteArray& link, const QString& destination)
{
    QByteArray target(4096, '\0');
    const ssize_t size = ::readlink(link.constData(), target.data(), size_t(target.size()));
    if (size < 0)
        return QStringLiteral("(unreadable link)");
    const QByteArray raw = target.left(size);
    const QByteArray folder = link.left(link.lastIndexOf('/'));
    const QString resolved = QDir::cleanPath(QFile::decodeName(raw.startsWith('/') ? raw : folder + '/' + raw));
    return resolved == destination || resolved.startsWith(destination + u'/') ? QString() : resolved;
}

class HostileArchive : public testing::TestWithParam<Hostile> { };

} // namespace

TEST_P(HostileArchive, NothingIsWrittenOutsideTheDestination)
{
    const Hostile& hostile = GetParam();
    Sandbox box;
    box.writePreferences({{QStringLiteral("IsRevealInFinder"), QStringLiteral("0")}});
    const QString destination = box.work() + QStringLiteral("/deep/deeper");
    QDir().mkpath(destination);
    QDir().mkpath(box.root() + QStringLiteral("/outside"));
    {
        QFile target(box.root() + QStringLiteral("/outside/target"));
        ASSERT_TRUE(target.open(QIODevice::WriteOnly));
        target.write("the user's own");
    }
    const QString archive = destination + QStringLiteral("/hostile.") + QString::fromLatin1(hostile.extension);
    QString output;
    ASSERT_TRUE(runPython(QString::fromLatin1(kPrelude) + QString::fromLatin1(hostile.script), {archive, box.root()}, &output))
        << output.toStdString();
    // /tmp/x is outside every sandbox; it is only watched when no one else has made it.
    const bool watchTmpX = !QFileInfo::exists(QStringLiteral("/tmp/x")) && !QFileInfo(QStringLiteral("/tmp/x")).isSymLink();
    const QStringList outsideTheDestination {QStringLiteral("work/deep/deeper"), QStringLiteral("run"), QStringLiteral("cache")};
    const Snapshot before = snapshot(box.root(), outsideTheDestination);
    const Snapshot archiveBefore = snapshot(destination);

    const QuendleRun run = runQuendle(box, {archive});

    ASSERT_TRUE(run.finished) << run.describe().toStdString();
    EXPECT_FALSE(run.crashed) << run.describe().toStdString();
    // 7-Zip's refusals are failures, and the status says so.
    EXPECT_EQ(run.exitCode, run.err.contains(QLatin1String("Cannot Expand Archive.")) ? 2 : 0) << run.describe().toStdString();
    EXPECT_EQ(differences(before, snapshot(box.root(), outsideTheDestination)), QStringList());
    if (watchTmpX) {
        EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/tmp/x")) || QFileInfo(QStringLiteral("/tmp/x")).isSymLink());
    }
    EXPECT_EQ(snapshot(destination).value(QFileInfo(archive).fileName()), archiveBefore.value(QFileInfo(archive).fileName()))
        << "the archive changed";

    // What was made in the destination: no special files, no link that leads out. Walked on
    // bytes, so that names that are not UTF-8 are seen too.
    namespace fs = std::filesystem;
    QStringList made;
    const fs::path base(QFile::encodeName(destination).toStdString());
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(base, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        const QByteArray path = QByteArray::fromStdString(it->path().string());
        if (path == QFile::encodeName(archive))
            continue;
        const QString relative = QString::fromLatin1(
            QByteArray::fromStdString(it->path().lexically_relative(base).string()).toPercentEncoding("/ "));
        struct stat info {};
        ASSERT_EQ(::lstat(path.constData(), &info), 0);
        EXPECT_TRUE(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode) || S_ISLNK(info.st_mode))
            << "a special file was made: " << relative.toStdString();
        if (S_ISLNK(info.st_mode)) {
            EXPECT_EQ(linkLeadingOut(path, destination), QString()) << "the link " << relative.toStdString() << " leads out";
            made << relative + QStringLiteral(" (link)");
        } else {
            made << relative + (S_ISDIR(info.st_mode) ? QStringLiteral("/") : QString());
        }
    }
    EXPECT_FALSE(error) << error.message();
    made.sort();
    // One line per archive for the record of what quendle did with it.
    const QString record = QStringLiteral("%1: exit %2; made [%3]; said: %4")
                               .arg(QString::fromLatin1(hostile.name))
                               .arg(run.exitCode)
                               .arg(made.join(QStringLiteral(", ")), run.alerts());
    RecordProperty("outcome", record.toStdString());
    std::cout << "[ outcome  ] " << record.toStdString() << std::endl;
}

INSTANTIATE_TEST_SUITE_P(Archives, HostileArchive, testing::ValuesIn(kHostile),
    [](const testing::TestParamInfo<Hostile>& info) { return std::string(info.param.name); });

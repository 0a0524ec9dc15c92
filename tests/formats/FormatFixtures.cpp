// Archives of every format Quendle's adapter handles, made by the tests with the real tools
// (tar, gzip, bzip2, xz, zstd, compress, Python).
#include "formats/FormatFixtures.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace quendle::formats {

Tree sampleTree()
{
    QByteArray binary;
    for (int i = 0; i < 3000; ++i)
        binary.append(char((i * 37) & 0xFF));
    return {{QStringLiteral("top/"), {}}, {QStringLiteral("top/readme.txt"), "read me\n"},
        {QStringLiteral("top/with space.txt"), "spaced\n"},
        {QStringLiteral("top/\u00dcn\u00efc\u00f8d\u00e9.txt"), "unicode\n"}, {QStringLiteral("top/empty/"), {}},
        {QStringLiteral("top/sub/"), {}}, {QStringLiteral("top/sub/inner.txt"), "inner\n"},
        {QStringLiteral("top/sub/deeper/"), {}}, {QStringLiteral("top/sub/deeper/data.bin"), binary}};
}

void writeRichTree(const QString& source)
{
    writeTree(source, sampleTree());
    const QByteArray top = QFile::encodeName(source + QStringLiteral("/top"));
    chmod(top + "/readme.txt", 0755);
    chmod(top + "/with space.txt", 0600);
    EXPECT_EQ(symlink("readme.txt", top + "/link"), 0);
    EXPECT_EQ(symlink("nowhere", top + "/sub/dangling"), 0);
    EXPECT_EQ(link(top + "/sub/inner.txt", top + "/sub/hard.txt"), 0);
    const timeval old[2] = {{1000000000, 0}, {1000000000, 0}};
    utimes(top + "/sub/inner.txt", old);
    utimes(top + "/sub/deeper", old);
}

const QList<CompressedTar>& compressedTars()
{
    static const QList<CompressedTar> kinds {{"tar.gz", "gzip"}, {"tgz", "gzip"}, {"tar.bz2", "bzip2"},
        {"tbz2", "bzip2"}, {"tar.xz", "xz"}, {"txz", "xz"}, {"tar.zst", "zstd"}, {"tar.Z", "compress"}};
    return kinds;
}

bool compressFile(const char* compressor, const QString& input, const QString& output, QString* why)
{
    const QString program = QString::fromLatin1(compressor);
    if (!haveProgram(program)) {
        *why = program + QStringLiteral(" is not installed");
        return false;
    }
    QStringList arguments {QStringLiteral("-c")};
    if (program == u"zstd")
        arguments << QStringLiteral("-q");
    arguments << input;
    test::ProgramOptions options;
    options.outputFile = output;
    const test::ProgramRun run = test::runProgram(program, arguments, options);
    if (!run.ok()) {
        *why = program + QStringLiteral(" failed: ") + run.describe();
        return false;
    }
    return true;
}

QString makeCompressedTar(const CompressedTar& kind, const QString& source, const QString& archive, QString* why)
{
    if (!haveProgram(QStringLiteral("tar"))) {
        *why = QStringLiteral("tar is not installed");
        return {};
    }
    QTemporaryDir staging;
    const QString tar = staging.path() + QStringLiteral("/inner.tar");
    const test::ProgramRun made = test::runProgram(QStringLiteral("tar"), {QStringLiteral("-cf"), tar, QStringLiteral("top")}, {.workingDirectory = source});
    if (!made.ok()) {
        *why = QStringLiteral("tar failed: ") + made.describe();
        return {};
    }
    QFile::remove(archive);
    if (!compressFile(kind.compressor, tar, archive, why))
        return {};
    return archive;
}

namespace {

QString script(const char* name)
{
    return QStringLiteral(QUENDLE_FORMATS_SOURCE_DIR "/") + QString::fromLatin1(name);
}

bool runPython(const QStringList& arguments, QString* why)
{
    if (!haveProgram(QStringLiteral("python3"))) {
        *why = QStringLiteral("python3 is not installed");
        return false;
    }
    const test::ProgramRun run = test::runProgram(QStringLiteral("python3"), arguments);
    if (!run.ok()) {
        *why = QStringLiteral("python3 failed: ") + run.describe();
        return false;
    }
    return true;
}

} // namespace

bool makeRar(const QString& kind, const QString& archive, const std::optional<QString>& password,
    const QStringList& items, QString* why)
{
    QStringList arguments {script("make_rar.py"), kind, archive};
    if (password)
        arguments << QStringLiteral("--password") << *password;
    return runPython(arguments + items, why);
}

bool makeStuffIt(const QString& archive, const QStringList& items, QString* why)
{
    return runPython(QStringList {script("make_sit.py"), archive} + items, why);
}

bool makeVolumes(const QString& kind, const QString& folder, const QString& stem, const QStringList& items, QString* why)
{
    return runPython(QStringList {script("make_volumes.py"), kind, folder, stem} + items, why);
}

bool makePackage(const QString& kind, const QString& archive, const QString& compression, const QStringList& items,
    QString* why)
{
    return runPython(QStringList {script("make_packages.py"), kind, archive, QStringLiteral("--compression"), compression}
            + items,
        why);
}

bool makeZipWithNames(const QString& archive, const QString& encoding, bool utf8Flag, const QStringList& items,
    QString* why)
{
    // zipfile writes non-ASCII names as UTF-8 with the flag that says so; old DOS and Windows
    // tools wrote the code page's bytes and no flag, and said the entry was made on DOS.
    static const char* const kScript = R"(
import sys, zipfile
archive, encoding, flag = sys.argv[1], sys.argv[2], sys.argv[3] == '1'
if not flag:
    zipfile.ZipInfo._encodeFilenameFlags = lambda self: (self.filename.encode(encoding), self.flag_bits & ~0x800)
with zipfile.ZipFile(archive, 'w') as z:
    for item in sys.argv[4:]:
        name, _, contents = item.partition('=')
        info = zipfile.ZipInfo(name)
        if not flag:
            info.create_system = 0
        z.writestr(info, contents.encode())
)";
    return runPython(QStringList {QStringLiteral("-c"), QString::fromLatin1(kScript), archive, encoding,
                         utf8Flag ? QStringLiteral("1") : QStringLiteral("0")}
            + items,
        why);
}

bool makeLegacyZip(const QString& archive, QString* why)
{
    return makeZipWithNames(archive, QStringLiteral("cp437"), false,
        {QStringLiteral("B\u00fccher/"), QStringLiteral("B\u00fccher/\u00dcber.txt=uber\n"), QStringLiteral("B\u00fccher/plain.txt=plain\n")},
        why);
}

} // namespace quendle::formats

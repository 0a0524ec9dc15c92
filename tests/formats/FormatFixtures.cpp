// Archives of every format Quendle's adapter handles, made by the tests with the real tools
// (tar, gzip, bzip2, xz, zstd, compress, 7-Zip, Python), and runs of the adapter and of quendle.
#include "formats/FormatFixtures.h"

#include "support/TestEnvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace quendle::formats {

QString Command::describe() const
{
    QString text = !started ? QStringLiteral("did not start\n")
        : crashed           ? QStringLiteral("crashed\n")
                            : QStringLiteral("exit status %1\n").arg(exitCode);
    return text + QStringLiteral("--- standard error:\n") + QString::fromUtf8(err)
        + QStringLiteral("--- standard output:\n") + QString::fromUtf8(out.left(4000));
}

Command runCommand(const QString& program, const QStringList& arguments, const QString& workingDirectory,
    const QString& outputFile)
{
    Command command;
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(program, arguments);
    command.started = process.waitForStarted(30000);
    if (!command.started)
        return command;
    process.waitForFinished(-1);
    command.crashed = process.exitStatus() != QProcess::NormalExit;
    command.exitCode = process.exitCode();
    command.out = process.readAllStandardOutput();
    command.err = process.readAllStandardError();
    return command;
}

bool haveProgram(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

void writeTree(const QString& root, const Tree& tree)
{
    for (auto it = tree.begin(); it != tree.end(); ++it) {
        if (it.key().endsWith(u'/'))
            QDir().mkpath(root + u'/' + it.key());
        else
            test::writeFile(root + u'/' + it.key(), it.value());
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
        if (info.isDir() && !info.isSymLink())
            tree.insert(relative + u'/', {});
        else
            tree.insert(relative, test::readFile(info.filePath()));
    }
    return tree;
}

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

int entryCount(const Tree& tree)
{
    return int(tree.size());
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
    const Command run = runCommand(program, arguments, {}, output);
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
    const Command made = runCommand(QStringLiteral("tar"), {QStringLiteral("-cf"), tar, QStringLiteral("top")}, source);
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
    const Command run = runCommand(QStringLiteral("python3"), arguments);
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

QString adapterPath()
{
    return test::testToolPath();
}

Command runQuendle(const QString& root, const QString& archive)
{
    const QString home = root + QStringLiteral("/home");
    const QString config = root + QStringLiteral("/config");
    const QString runtime = root + QStringLiteral("/run");
    for (const QString& folder : {home, config + QStringLiteral("/quendle"), root + QStringLiteral("/data"), runtime})
        QDir().mkpath(folder);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    test::writeFile(config + QStringLiteral("/quendle/quendle.conf"),
        "[General]\nIsRevealInFinder=0\nIsUsedCustomFolder=0\nActionAfterExpanding=0\n");

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
    // A bus that does not exist: nothing reaches a desktop of the machine running the tests.
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + root + QStringLiteral("/no-bus"));

    Command command;
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setWorkingDirectory(root);
    process.start(qEnvironmentVariable("QUENDLE_BINARY"), {archive});
    command.started = process.waitForStarted(30000);
    if (!command.started)
        return command;
    if (!process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished();
        command.err = "killed after four minutes\n";
    }
    command.crashed = process.exitStatus() != QProcess::NormalExit;
    command.exitCode = process.exitCode();
    command.out = process.readAllStandardOutput();
    command.err += process.readAllStandardError();
    return command;
}

} // namespace quendle::formats

// The archiver adapter's shortcuts against its plain way (QUENDLE_ADAPTER_NO_SHORTCUTS=1): a
// compressed tar extracted from the copy its listing kept (by GNU tar when it is plain), an
// encrypted zip or 7z extracted aside
// and moved into place, RAR and StuffIt sent straight to lsar and unar. Each must leave on disk
// exactly what the plain way leaves: names, contents, modes, times and links.
#include "core/Listing.h"
#include "support/WholeListing.h"
#include "formats/FormatFixtures.h"
#include "support/TestEnvironment.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <optional>

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace quendle;
using namespace quendle::formats;

namespace {

// Runs the adapter as Quendle does, with a cache folder of the test's own, the shortcuts on or off.
class Adapter {
public:
    Adapter(const QString& cacheHome, bool shortcuts)
    {
        mOptions.environment = {{"XDG_CACHE_HOME", QFile::encodeName(cacheHome)},
            {"QUENDLE_ADAPTER_NO_SHORTCUTS", shortcuts ? std::nullopt : std::optional<QByteArray>("1")}};
    }
    void setPath(const QString& bin) { mOptions.environment.push_back({"PATH", QFile::encodeName(bin)}); }

    test::ToolRun list(const QString& archive, const std::optional<QString>& password = std::nullopt) const
    {
        QStringList arguments {QStringLiteral("l"), archive, QStringLiteral("-slt")};
        if (password)
            arguments << QStringLiteral("-p") + *password;
        return test::runTool(test::testToolPath(), arguments, mOptions);
    }
    test::ToolRun extract(const QString& archive, const QString& destination,
        const std::optional<QString>& password = std::nullopt) const
    {
        QStringList arguments {QStringLiteral("x"), archive, QStringLiteral("-o") + destination, QStringLiteral("-aoa")};
        if (password)
            arguments << QStringLiteral("-p") + *password;
        return test::runTool(test::testToolPath(), arguments, mOptions);
    }

private:
    test::ToolRunOptions mOptions;
};

QString describe(const test::ToolRun& run)
{
    return QStringLiteral("status %1\n--- out:\n%2\n--- err:\n%3")
        .arg(run.exitCode())
        .arg(QString::fromUtf8(run.out.left(3000)), QString::fromUtf8(run.err.left(3000)));
}


QStringList tarCopies(const QString& cacheHome)
{
    return QDir(cacheHome + QStringLiteral("/quendle")).entryList({QStringLiteral("tar-*.tar")}, QDir::Files);
}

// ---------------------------------------------------------------------------------------------
// Compressed tars: decompressed once.

class TarAgreement : public ::testing::TestWithParam<CompressedTar> {
protected:
    void SetUp() override
    {
        QUENDLE_REQUIRE_SEVEN_ZIP();
        writeRichTree(mDir.path() + QStringLiteral("/source"));
        QString why;
        mArchive = makeCompressedTar(GetParam(), mDir.path() + QStringLiteral("/source"),
            mDir.path() + QStringLiteral("/album.") + QString::fromLatin1(GetParam().suffix), &why);
        if (mArchive.isEmpty())
            GTEST_SKIP() << qPrintable(why);
    }
    QString cache() const { return mDir.path() + QStringLiteral("/cache"); }

    QTemporaryDir mDir;
    QString mArchive;
};

TEST_P(TarAgreement, TheListingsCopyGivesWhatTheSecondDecompressionGave)
{
    const Adapter plain(cache(), false);
    const test::ToolRun plainListing = plain.list(mArchive);
    EXPECT_TRUE(tarCopies(cache()).isEmpty()) << "the plain way keeps nothing";
    ASSERT_EQ(plain.extract(mArchive, mDir.path() + QStringLiteral("/plain")).exitCode(), 0);

    const Adapter shortcut(cache(), true);
    const test::ToolRun listing = shortcut.list(mArchive);
    // The same facts: the shortcut's listing comes from the tar's headers, in fewer words.
    EXPECT_EQ(readListing(decodeListing(listing.out)), readListing(decodeListing(plainListing.out)));
    EXPECT_EQ(tarCopies(cache()).size(), 1) << "the listing kept the decompressed tar";
    const test::ToolRun run = shortcut.extract(mArchive, mDir.path() + QStringLiteral("/short"));
    EXPECT_EQ(run.exitCode(), 0) << qPrintable(describe(run));
    EXPECT_TRUE(tarCopies(cache()).isEmpty()) << "the extraction took the copy and removed it";

    const QStringList expected = test::describeTree(mDir.path() + QStringLiteral("/plain"));
    EXPECT_EQ(expected.size(), int(sampleTree().size()) + 3);
    EXPECT_EQ(test::describeTree(mDir.path() + QStringLiteral("/short")), expected);
}

INSTANTIATE_TEST_SUITE_P(Kinds, TarAgreement, ::testing::ValuesIn(compressedTars()), caseName);

TEST(TarCopy, IsNeverTakenForAnotherArchiveOrALaterOne)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir dir;
    const QString cache = dir.path() + QStringLiteral("/cache");
    const Adapter adapter(cache, true);
    const auto make = [&](const QString& archive, const QByteArray& text) {
        writeTree(dir.path() + QStringLiteral("/source"), {{QStringLiteral("top/a.txt"), text}});
        QString why;
        EXPECT_FALSE(makeCompressedTar({"tar.gz", "gzip"}, dir.path() + QStringLiteral("/source"), archive, &why).isEmpty())
            << qPrintable(why);
    };
    const QString first = dir.path() + QStringLiteral("/first.tar.gz");
    const QString second = dir.path() + QStringLiteral("/second.tar.gz");
    make(first, "first\n");
    make(second, "second\n");

    // A copy no extraction took goes with the next listing; the extraction of another archive
    // does not take it.
    adapter.list(first);
    adapter.list(second);
    EXPECT_EQ(tarCopies(cache).size(), 1);
    EXPECT_EQ(adapter.extract(first, dir.path() + QStringLiteral("/one")).exitCode(), 0);
    EXPECT_EQ(test::readFile(dir.path() + QStringLiteral("/one/top/a.txt")), "first\n");

    // The archive replaced between listing and extraction: the new one is extracted.
    adapter.list(second);
    make(second, "replaced\n");
    EXPECT_EQ(adapter.extract(second, dir.path() + QStringLiteral("/two")).exitCode(), 0);
    EXPECT_EQ(test::readFile(dir.path() + QStringLiteral("/two/top/a.txt")), "replaced\n");

    // The copy of a Quendle that has ended is removed by the next listing.
    const QString orphan = cache + QStringLiteral("/quendle/tar-999999999-1-2-3-4.5-6.7.tar");
    test::writeFile(orphan, "old");
    adapter.list(first);
    EXPECT_FALSE(QFile::exists(orphan));

    // A damaged stream leaves no copy, and its extraction still fails.
    QByteArray bytes = test::readFile(first);
    bytes[bytes.size() - 6] = char(bytes[bytes.size() - 6] ^ 0x55);
    test::writeFile(first, bytes);
    adapter.list(first);
    EXPECT_TRUE(tarCopies(cache).isEmpty());
    EXPECT_NE(adapter.extract(first, dir.path() + QStringLiteral("/three")).exitCode(), 0);
}

// A plain tar (files and folders with short ASCII names, permission bits alone, whole-second
// times) is written by GNU tar; anything else still by 7-Zip. Either way the result is 7-Zip's,
// under the user's umask too. Entries: name, mode, seconds, contents (a name ending in "/" is a
// folder, "->" in the contents makes a symbolic link).
const char* const kCraftTarGz = R"(
import gzip, io, json, sys, tarfile
archive, form, entries = sys.argv[1], sys.argv[2], json.loads(sys.argv[3])
buffer = io.BytesIO()
with tarfile.open(fileobj=buffer, mode="w", format=tarfile.PAX_FORMAT if form == "pax" else tarfile.GNU_FORMAT) as t:
    for name, mode, seconds, data in entries:
        info = tarfile.TarInfo(name.rstrip("/"))
        info.mode, info.mtime = mode, seconds
        if name.endswith("/"):
            info.type = tarfile.DIRTYPE
            t.addfile(info)
        elif data.startswith("->"):
            info.type, info.linkname = tarfile.SYMTYPE, data[2:]
            t.addfile(info)
        else:
            info.size = len(data.encode())
            t.addfile(info, io.BytesIO(data.encode()))
    end = t.offset
data = buffer.getvalue()
# "noend": no zero blocks after the last entry, other bytes instead
with open(archive, "wb") as f:
    f.write(gzip.compress(data[:end] + b"\x01" * 1000 if form == "noend" else data))
)";

struct PlainTarCase {
    const char* name;
    const char* entries; // JSON, for kCraftTarGz
    const char* form;
    mode_t umask;
    bool byGnuTar;
};

void PrintTo(const PlainTarCase& c, std::ostream* out) { *out << c.name; }

const char* const kPlainEntries = R"([["top/", 493, 1000000000, ""], ["top/a", 384, 1000000001, "a"],
    ["top/b c", 509, 1000000002, "b"], ["top/sub/", 488, 1000000003, ""], ["top/sub/d", 420, 1000000004, "d"],
    ["top/empty/", 511, 1000000005, ""]])";

const PlainTarCase kPlainTars[] = {
    {"Plain", kPlainEntries, "gnu", 022, true},
    {"PlainUnderAStrictUmask", kPlainEntries, "gnu", 077, true},
    {"FilesBeforeTheirFolder", R"([["top/sub/d", 420, 1000000004, "d"], ["top/sub/", 456, 1000000003, ""],
        ["top/", 493, 1000000000, ""]])", "gnu", 027, true},
    {"SymbolicLink", R"([["top/", 493, 1000000000, ""], ["top/a", 420, 1000000001, "a"], ["top/l", 511, 1000000002, "->a"]])",
        "gnu", 022, false},
    {"SetUserId", R"([["top/", 493, 1000000000, ""], ["top/a", 2541, 1000000001, "a"]])", "gnu", 022, false},
    {"BackslashInAName", R"([["top/", 493, 1000000000, ""], ["top/a\\b", 420, 1000000001, "a"]])", "gnu", 022, false},
    {"PlainUstar", kPlainEntries, "pax", 022, true},
    {"OtherBytesWhereTheEndShouldBe", kPlainEntries, "noend", 022, false},
    {"PaxTimesInFractionsOfASecond", R"([["top/", 493, 1000000000.25, ""], ["top/a", 420, 1000000001.5, "a"]])", "pax", 022,
        false},
};

class PlainTarAgreement : public ::testing::TestWithParam<PlainTarCase> {};

TEST_P(PlainTarAgreement, GnuTarWritesWhat7ZipWrites)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    const PlainTarCase& c = GetParam();
    QTemporaryDir dir;
    const QString archive = dir.path() + QStringLiteral("/album.tar.gz");
    QString made;
    ASSERT_TRUE(test::runPython(QString::fromLatin1(kCraftTarGz),
        {archive, QString::fromLatin1(c.form), QString::fromLatin1(c.entries)}, &made)) << qPrintable(made);
    // GNU tar through a stand-in that leaves a mark when it is run.
    const QString bin = dir.path() + QStringLiteral("/bin");
    const QString mark = dir.path() + QStringLiteral("/tar-ran");
    test::writeFile(bin + QStringLiteral("/tar"),
        QStringLiteral("#!/bin/sh\n[ \"$1\" = --version ] || : > '%1'\nexec '%2' \"$@\"\n").arg(mark, QStandardPaths::findExecutable(QStringLiteral("tar"))).toUtf8(),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::link(test::sevenZip(), bin + u'/' + QFileInfo(test::sevenZip()).fileName());

    const QString cache = dir.path() + QStringLiteral("/cache");
    Adapter plain(cache, false);
    Adapter shortcut(cache, true);
    plain.setPath(bin);
    shortcut.setPath(bin);
    const mode_t before = ::umask(c.umask);
    const test::ToolRun plainRun = plain.extract(archive, dir.path() + QStringLiteral("/plain"));
    shortcut.list(archive);
    const test::ToolRun run = shortcut.extract(archive, dir.path() + QStringLiteral("/short"));
    ::umask(before);

    ASSERT_EQ(plainRun.exitCode(), 0) << qPrintable(describe(plainRun));
    EXPECT_EQ(run.exitCode(), 0) << qPrintable(describe(run));
    EXPECT_EQ(QFile::exists(mark), c.byGnuTar);
    EXPECT_EQ(test::describeTree(dir.path() + QStringLiteral("/short")), test::describeTree(dir.path() + QStringLiteral("/plain")));
    EXPECT_EQ(QDir(cache + QStringLiteral("/quendle")).entryList(QDir::Files), QStringList())
        << "the extraction took the copy and its note";
}

// GNU tar's failure reaches the alert as 7-Zip's would: its reason on an "ERROR:" line.
TEST(PlainTar, AFailureOfGnuTarIsToldIn7ZipsWords)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir dir;
    const QString archive = dir.path() + QStringLiteral("/album.tar.gz");
    QString made;
    ASSERT_TRUE(test::runPython(QString::fromLatin1(kCraftTarGz), {archive, QStringLiteral("gnu"), QString::fromLatin1(kPlainEntries)},
        &made)) << qPrintable(made);
    const QString bin = dir.path() + QStringLiteral("/bin");
    test::writeFile(bin + QStringLiteral("/tar"),
        "#!/bin/sh\n[ \"$1\" = --version ] && echo 'tar (GNU tar) 1.34' && exit 0\n"
        "echo 'tar: top/a: Cannot write: No space left on device' >&2\n"
        "echo 'tar: Exiting with failure status due to previous errors' >&2\nexit 2\n",
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::link(test::sevenZip(), bin + u'/' + QFileInfo(test::sevenZip()).fileName());
    Adapter adapter(dir.path() + QStringLiteral("/cache"), true);
    adapter.setPath(bin);
    adapter.list(archive);
    const test::ToolRun run = adapter.extract(archive, dir.path() + QStringLiteral("/out"));
    EXPECT_NE(run.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(run.out + run.err).trimmed(), QStringLiteral("ERROR: top/a: Cannot write: No space left on device"));
}

INSTANTIATE_TEST_SUITE_P(Trees, PlainTarAgreement, ::testing::ValuesIn(kPlainTars),
    [](const ::testing::TestParamInfo<PlainTarCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Encrypted zips and 7z: extracted aside, then moved into place.

struct PasswordCase {
    const char* name;
    const char* archive;
    QStringList switches;
};

void PrintTo(const PasswordCase& c, std::ostream* out)
{
    *out << c.name;
}

class PasswordAgreement : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(PasswordAgreement, ARightPasswordGivesWhatThePlainWayGives)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir dir;
    writeRichTree(dir.path() + QStringLiteral("/source"));
    const QString archive = dir.path() + u'/' + QString::fromLatin1(GetParam().archive);
    ASSERT_TRUE(test::runSevenZip(QStringList {QStringLiteral("a"), QStringLiteral("-pRight"), QStringLiteral("-snl")}
            + GetParam().switches + QStringList {archive, QStringLiteral("top")},
        dir.path() + QStringLiteral("/source")));
    const QString cache = dir.path() + QStringLiteral("/cache");
    // The output folder is Quendle's own folder for the archive, not made yet.
    const QString plainOut = dir.path() + QStringLiteral("/plain/album");
    const QString shortOut = dir.path() + QStringLiteral("/short/album");
    const test::ToolRun plain = Adapter(cache, false).extract(archive, plainOut, QStringLiteral("Right"));
    ASSERT_EQ(plain.exitCode(), 0) << qPrintable(describe(plain));
    const test::ToolRun run = Adapter(cache, true).extract(archive, shortOut, QStringLiteral("Right"));
    EXPECT_EQ(run.exitCode(), 0) << qPrintable(describe(run));
    const QStringList expected = test::describeTree(plainOut);
    EXPECT_GE(expected.size(), int(sampleTree().size()));
    EXPECT_EQ(test::describeTree(shortOut), expected) << "nothing is left aside either";
}

const PasswordCase kPasswordCases[] {{"ZipCrypto", "a.zip", {QStringLiteral("-mem=ZipCrypto")}},
    {"ZipAes", "a.zip", {QStringLiteral("-mem=AES256")}}, {"SevenZipSolid", "a.7z", {QStringLiteral("-t7z")}},
    {"SevenZipNotSolid", "a.7z", {QStringLiteral("-t7z"), QStringLiteral("-ms=off")}},
    {"SevenZipStored", "a.7z", {QStringLiteral("-t7z"), QStringLiteral("-m0=Copy")}},
    {"SevenZipEncryptedHeaders", "a.7z", {QStringLiteral("-t7z"), QStringLiteral("-mhe=on")}}};

std::string passwordCaseName(const ::testing::TestParamInfo<PasswordCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Archives, PasswordAgreement, ::testing::ValuesIn(kPasswordCases), passwordCaseName);

// The verifying listing answered from what the opening listing kept: the same facts and the
// same verdict on a password as 7-Zip's second reading, and never for an archive that changed.
class KeptListingAgreement : public ::testing::TestWithParam<PasswordCase> {};

TEST_P(KeptListingAgreement, AnswersAsASecondListingWould)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir dir;
    const QString archive = dir.path() + u'/' + QString::fromLatin1(GetParam().archive);
    const auto make = [&](const QByteArray& text) {
        QFile::remove(archive);
        writeTree(dir.path() + QStringLiteral("/source"), {{QStringLiteral("top/a.txt"), text}, {QStringLiteral("top/b.txt"), "b\n"}});
        ASSERT_TRUE(test::runSevenZip(QStringList {QStringLiteral("a"), QStringLiteral("-pRight")} + GetParam().switches
                + QStringList {archive, QStringLiteral("top")},
            dir.path() + QStringLiteral("/source")));
    };
    make("first\n");
    const Adapter plain(dir.path() + QStringLiteral("/cache"), false);
    const Adapter shortcut(dir.path() + QStringLiteral("/cache"), true);
    const auto agree = [&](const QString& password) {
        const test::ToolRun expected = plain.list(archive, password);
        const test::ToolRun run = shortcut.list(archive, password);
        EXPECT_EQ(run.exitCode(), expected.exitCode()) << qPrintable(password) << qPrintable(describe(run));
        // The same facts, whether 7-Zip or the archive's header gave the kept text.
        const ArchiveListing facts = readListing(decodeListing(run.out));
        EXPECT_EQ(facts, readListing(decodeListing(expected.out))) << qPrintable(password);
        EXPECT_EQ(facts.passwordRuleCount(), readListing(decodeListing(expected.out)).passwordRuleCount());
    };
    const auto kept = [&] {
        return QDir(dir.path() + QStringLiteral("/cache/quendle")).entryList({QStringLiteral("list-*")}, QDir::Files);
    };
    // A zip's opening listing comes from its directory, and encrypted headers list nothing.
    const bool keeps = archive.endsWith(QStringLiteral(".7z")) && !GetParam().switches.contains(QStringLiteral("-mhe=on"));
    shortcut.list(archive);
    EXPECT_EQ(kept().size(), keeps ? 1 : 0);
    agree(QStringLiteral("Wrong"));
    agree(QStringLiteral("Right"));

    // Replaced between the listings: the new archive is listed, not the old one's text.
    make("the second archive holds more\n");
    agree(QStringLiteral("Right"));

    // The extraction takes nothing kept along, and leaves nothing behind.
    shortcut.list(archive);
    EXPECT_EQ(shortcut.extract(archive, dir.path() + QStringLiteral("/out"), QStringLiteral("Right")).exitCode(), 0);
    EXPECT_TRUE(kept().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Archives, KeptListingAgreement, ::testing::ValuesIn(kPasswordCases), passwordCaseName);

// A wrong password that passes the zip's one-byte check, on a stored file: only the checksum at
// the file's end tells, and the extraction fails there.
TEST(PasswordAside, AWrongPasswordThatGetsPastTheCheckLeavesTheOutputAsItWas)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QTemporaryDir dir;
    QByteArray noise(3 << 20, '\0');
    quint32 seed = 11;
    for (char& byte : noise) {
        seed = seed * 1664525u + 1013904223u;
        byte = char(seed >> 24);
    }
    writeTree(dir.path() + QStringLiteral("/source"), {{QStringLiteral("top/big.bin"), noise}});
    const QString archive = dir.path() + QStringLiteral("/stored.zip");
    ASSERT_TRUE(test::runSevenZip({QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-mx=0"),
                                      QStringLiteral("-mem=ZipCrypto"), QStringLiteral("-pRight"), archive, QStringLiteral("top")},
        dir.path() + QStringLiteral("/source")));
    // Python's zip reader checks the same byte 7-Zip checks before it decrypts.
    QString found;
    ASSERT_TRUE(test::runPython(QStringLiteral(R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
for i in range(100000):
    try:
        z.open('top/big.bin', pwd=b'wrong%d' % i).close()
    except RuntimeError:
        continue
    except Exception:
        pass
    print('wrong%d' % i)
    break
)"),
        {archive}, &found));
    const QString wrong = found.trimmed().section(u'\n', -1);
    ASSERT_TRUE(wrong.startsWith(QStringLiteral("wrong"))) << qPrintable(found);

    // The listing decodes a big stored ZipCrypto file whole, since nothing else tells; the
    // extraction must hold on its own all the same.
    const Adapter adapter(dir.path() + QStringLiteral("/cache"), true);
    EXPECT_TRUE(readListing(decodeListing(adapter.list(archive, wrong).out)).isWrongPassword);

    const QString out = dir.path() + QStringLiteral("/out");
    writeTree(out, {{QStringLiteral("top/big.bin"), "the user's own\n"}, {QStringLiteral("mine.txt"), "mine\n"}});
    const QStringList before = test::describeTree(out);
    const test::ToolRun run = adapter.extract(archive, out, wrong);
    EXPECT_NE(run.exitCode(), 0) << qPrintable(describe(run));
    EXPECT_TRUE(run.err.contains("Wrong password")) << "the alert quotes 7-Zip's reason" << qPrintable(describe(run));
    EXPECT_TRUE(run.err.contains("nothing was extracted")) << qPrintable(describe(run));
    EXPECT_EQ(test::describeTree(out), before);

    // Into a folder that was not there, nothing is left either.
    const QString fresh = dir.path() + QStringLiteral("/new/stored");
    EXPECT_NE(adapter.extract(archive, fresh, wrong).exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/new")));
}

// ---------------------------------------------------------------------------------------------
// RAR and StuffIt: straight to lsar and unar.


const QStringList kItems {QStringLiteral("top/"), QStringLiteral("top/a.txt=alpha\n"), QStringLiteral("top/sub/"),
    QStringLiteral("top/sub/b b.txt=beta\n"), QStringLiteral("top/\u00e9t\u00e9.txt=summer\n")};

class UnarAgreement : public ::testing::TestWithParam<const char*> {};

TEST_P(UnarAgreement, StraightToUnarGivesWhatTryingSevenZipFirstGave)
{
    QUENDLE_REQUIRE_SEVEN_ZIP();
    QUENDLE_REQUIRE_UNAR();
    QTemporaryDir dir;
    const QString kind = QString::fromLatin1(GetParam());
    const QString archive = dir.path() + (kind == u"sit" ? QStringLiteral("/a.sit") : QStringLiteral("/a.rar"));
    QString why;
    // StuffIt's writer opens a folder with its name and closes it with a lone "/".
    const QStringList sitItems {QStringLiteral("top/"), QStringLiteral("a.txt=alpha\n"), QStringLiteral("sub/"),
        QStringLiteral("b b.txt=beta\n"), QStringLiteral("/"), QStringLiteral("/")};
    ASSERT_TRUE(kind == u"sit" ? makeStuffIt(archive, sitItems, &why) : makeRar(kind, archive, std::nullopt, kItems, &why))
        << qPrintable(why);
    const QString cache = dir.path() + QStringLiteral("/cache");
    const Adapter plain(cache, false);
    const Adapter shortcut(cache, true);
    // A RAR's opening listing may come from its headers, which say so in a line of their own
    // (RarHeadersTest compares them with lsar's in detail).
    const QByteArray shortListing = shortcut.list(archive).out;
    EXPECT_EQ(QByteArray(shortListing).replace("Quendle's RAR header reader, in lsar's listing layout\n", ""), plain.list(archive).out);
    ASSERT_EQ(plain.extract(archive, dir.path() + QStringLiteral("/plain")).exitCode(), 0);
    EXPECT_EQ(shortcut.extract(archive, dir.path() + QStringLiteral("/short")).exitCode(), 0);
    EXPECT_EQ(test::describeTree(dir.path() + QStringLiteral("/short")),
        test::describeTree(dir.path() + QStringLiteral("/plain")));

    // 7-Zip is not even tried: one that cannot run changes nothing.
    const QString bin = dir.path() + QStringLiteral("/bin");
    QDir().mkpath(bin);
    QFile::link(QStringLiteral("/bin/false"), bin + QStringLiteral("/7zz"));
    for (const char* tool : {"lsar", "unar"})
        QFile::link(QStandardPaths::findExecutable(QString::fromLatin1(tool)), bin + u'/' + QString::fromLatin1(tool));
    Adapter without(cache, true);
    without.setPath(bin);
    const test::ToolRun listed = without.list(archive);
    EXPECT_EQ(listed.exitCode(), 0) << qPrintable(describe(listed));
    EXPECT_EQ(readListing(decodeListing(listed.out)).topLevelName, QStringLiteral("top"));
    EXPECT_EQ(without.extract(archive, dir.path() + QStringLiteral("/alone")).exitCode(), 0);
    EXPECT_EQ(test::describeTree(dir.path() + QStringLiteral("/alone")),
        test::describeTree(dir.path() + QStringLiteral("/plain")));
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnarAgreement, ::testing::Values("rar4", "rar5", "sit"));

} // namespace

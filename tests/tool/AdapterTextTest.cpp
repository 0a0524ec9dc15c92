// The adapter's byte and text work on its own: the UTF-8 fixer, signatures, arguments, the
// listing head, and lsar's JSON (real lsar 1.10.1 transcripts under tests/data/formats).
#include "tool/AdapterText.h"
#include "tool/LsarListing.h"

#include "core/Listing.h"
#include "support/WholeListing.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <string>
#include <vector>

using namespace quendle;
using namespace quendle::adapter;

namespace {

std::string fixed(std::string_view bytes, std::size_t chunk = 0)
{
    Utf8Fixer fixer;
    std::string out;
    if (chunk == 0)
        chunk = std::max<std::size_t>(bytes.size(), 1);
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        fixer.feed(bytes.substr(at, chunk), out);
    fixer.finish(out);
    return out;
}

const std::string kBad = "\xEF\xBF\xBD";

struct FixCase {
    const char* name;
    std::string in;
    std::string out;
};

void PrintTo(const FixCase& c, std::ostream* out)
{
    *out << c.name;
}

class Utf8FixerCases : public ::testing::TestWithParam<FixCase> {};

TEST_P(Utf8FixerCases, GivesTheSameInEveryChunking)
{
    const FixCase& c = GetParam();
    for (std::size_t chunk = 0; chunk <= c.in.size(); ++chunk)
        EXPECT_EQ(fixed(c.in, chunk), c.out) << "chunk " << chunk;
    // Whatever the fixer gives, the listing reader takes as a text.
    EXPECT_TRUE(decodeListing(QByteArray::fromStdString(fixed(c.in))).has_value());
}

INSTANTIATE_TEST_SUITE_P(Bytes, Utf8FixerCases,
    ::testing::Values(FixCase {"Ascii", "Path = top/a.txt\n", "Path = top/a.txt\n"},
        FixCase {"EveryLength", "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF", "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF"},
        FixCase {"Cp437Name", "B\x81" "cher/\x9A" "ber.txt", "B" + kBad + "cher/" + kBad + "ber.txt"},
        FixCase {"Latin1Name", "caf\xE9\n", "caf" + kBad + "\n"},
        FixCase {"StrayContinuations", "\x80\xBF", kBad + kBad},
        FixCase {"OverlongTwoBytes", "\xC0\xAF", kBad + kBad},
        FixCase {"OverlongThreeBytes", "\xE0\x80\xAF", kBad + kBad + kBad},
        FixCase {"Surrogate", "\xED\xA0\x80", kBad + kBad + kBad},
        FixCase {"AboveUnicode", "\xF4\x90\x80\x80", kBad + kBad + kBad + kBad},
        FixCase {"NeverALead", "\xF5\xFF\xFE", kBad + kBad + kBad},
        // A broken sequence gives up only its own bytes: what follows is read afresh.
        FixCase {"CutShortByAscii", "\xE2\x82" "A", kBad + kBad + "A"},
        FixCase {"CutShortByALead", "\xE2\xC3\xA9", kBad + "\xC3\xA9"},
        FixCase {"CutShortAtTheEnd", "ok\xF0\x9F\x98", "ok" + kBad + kBad + kBad},
        FixCase {"Nul", std::string("a\0b", 3), std::string("a\0b", 3)}),
    [](const ::testing::TestParamInfo<FixCase>& info) { return std::string(info.param.name); });

TEST(Utf8Fixer, SaysWhetherItReplacedAnything)
{
    Utf8Fixer clean;
    std::string out;
    clean.feed("\xC3\xA9t\xC3\xA9", out);
    clean.finish(out);
    EXPECT_FALSE(clean.replacedAny());
    Utf8Fixer dirty;
    dirty.feed("\xC3", out);
    dirty.finish(out);
    EXPECT_TRUE(dirty.replacedAny());
}

TEST(Signatures, CompressionsByTheirFirstBytes)
{
    EXPECT_EQ(compressionOf(std::string("\x1F\x8B\x08\x00", 4)), Compression::Gzip);
    EXPECT_EQ(compressionOf(std::string("\x1F\x9D\x90", 3)), Compression::Compress);
    EXPECT_EQ(compressionOf("BZh91AY&SY"), Compression::Bzip2);
    EXPECT_EQ(compressionOf("BZh0"), Compression::None);
    EXPECT_EQ(compressionOf(std::string("\xFD" "7zXZ\0\0", 7)), Compression::Xz);
    EXPECT_EQ(compressionOf("\x28\xB5\x2F\xFD"), Compression::Zstd);
    EXPECT_EQ(compressionOf("PK\x03\x04"), Compression::None);
    EXPECT_EQ(compressionOf("7z\xBC\xAF\x27\x1C"), Compression::None);
    EXPECT_EQ(compressionOf("\x1F"), Compression::None);
    EXPECT_EQ(compressionOf(""), Compression::None);
}

// The first 512 bytes of a tar that GNU tar writes in the given format.
std::string firstBlockOfTar(const QString& format)
{
    QTemporaryDir dir;
    test::writeFile(dir.path() + QStringLiteral("/top/a.txt"), "a\n");
    QProcess tar;
    tar.setWorkingDirectory(dir.path());
    tar.start(QStringLiteral("tar"), {QStringLiteral("--format=") + format, QStringLiteral("-cf"), QStringLiteral("-"),
                                         QStringLiteral("top")});
    tar.waitForFinished(60000);
    return tar.readAllStandardOutput().left(512).toStdString();
}

TEST(Signatures, TarHeadersOfEveryFormatGnuTarWrites)
{
    if (QStandardPaths::findExecutable(QStringLiteral("tar")).isEmpty())
        GTEST_SKIP() << "tar is not installed";
    for (const char* format : {"v7", "oldgnu", "gnu", "ustar", "posix"}) {
        const std::string block = firstBlockOfTar(QString::fromLatin1(format));
        ASSERT_EQ(block.size(), 512u) << format;
        EXPECT_TRUE(looksLikeTar(block)) << format;
        // One byte off and an old-style header no longer adds up.
        if (std::string_view(format) == "v7") {
            std::string damaged = block;
            damaged[0] ^= 1;
            EXPECT_FALSE(looksLikeTar(damaged));
        }
    }
}

TEST(Signatures, WhatIsNoTar)
{
    EXPECT_FALSE(looksLikeTar(std::string(512, '\0'))) << "an end-of-archive block";
    EXPECT_FALSE(looksLikeTar(std::string(511, 'a')));
    std::string text(512, 'x');
    EXPECT_FALSE(looksLikeTar(text));
    std::string magicOnly(512, '\0');
    magicOnly.replace(257, 5, "ustar");
    EXPECT_TRUE(looksLikeTar(magicOnly)) << "the magic alone is enough";
}

TEST(Invocation, ReadsWhatQuendleGives)
{
    const char* listing[] = {"7z", "l", "/d/a b.zip", "-slt", "-pse cret"};
    const Invocation l = readInvocation(5, listing);
    EXPECT_TRUE(l.isList());
    EXPECT_EQ(l.archive, 2);
    EXPECT_EQ(l.nonSwitches, 1);
    EXPECT_EQ(l.password, std::optional<std::string>("se cret"));

    const char* extraction[] = {"7z", "x", "/d/a.rar", "-o/dest/-x", "-aoa", "-p"};
    const Invocation x = readInvocation(6, extraction);
    EXPECT_TRUE(x.isExtract());
    EXPECT_EQ(x.archive, 2);
    EXPECT_EQ(x.outputFolder, std::optional<std::string>("/dest/-x"));
    EXPECT_EQ(x.overwrite, 'a');
    EXPECT_EQ(x.password, std::optional<std::string>("")) << "-p alone is the empty password";

    const char* dashed[] = {"7z", "x", "-AOS", "--", "-archive.zip", "file"};
    const Invocation d = readInvocation(6, dashed);
    EXPECT_EQ(d.archive, 4);
    EXPECT_EQ(d.nonSwitches, 2);
    EXPECT_EQ(d.overwrite, 's');
    EXPECT_FALSE(d.password);

    const char* fromInput[] = {"7z", "x", "-si", "-ttar"};
    const Invocation s = readInvocation(4, fromInput);
    EXPECT_TRUE(s.readsStandardInput);
    EXPECT_EQ(s.archive, -1);

    const char* nothing[] = {"7z"};
    EXPECT_EQ(readInvocation(1, nothing).archive, -1);
}

TEST(ListingHeadNamer, NamesTheArchiveInAnyChunking)
{
    const std::string fromInput = "\n7-Zip (z) 26.02 (x64)\n\n\nListing archive: \n\n--\nPath = \nType = tar\n\n"
                                  "----------\nPath = top\nFolder = +\n\nPath = \nFolder = -\n";
    const std::string expected = "\n7-Zip (z) 26.02 (x64)\n\n\nListing archive: /d/a.tar.gz\n\n--\nPath = /d/a.tar.gz\n"
                                 "Type = tar\n\n----------\nPath = top\nFolder = +\n\nPath = \nFolder = -\n";
    for (std::size_t chunk = 1; chunk <= fromInput.size(); ++chunk) {
        ListingHeadNamer namer("/d/a.tar.gz");
        std::string out;
        for (std::size_t at = 0; at < fromInput.size(); at += chunk)
            namer.feed(std::string_view(fromInput).substr(at, chunk), out);
        namer.finish(out);
        ASSERT_EQ(out, expected) << "chunk " << chunk;
    }
}

TEST(ListingHeadNamer, LeavesAListingThatNamesItsArchive)
{
    const std::string listing = "Listing archive: x.tar\n\n--\nPath = x.tar\nType = tar\n\n----------\nPath = \n";
    ListingHeadNamer namer("/d/a.tar.gz");
    std::string out;
    namer.feed(listing, out);
    namer.finish(out);
    EXPECT_EQ(out, listing);
}

// ---------------------------------------------------------------------------------------------

struct LsarResult {
    LsarSummary summary;
    std::vector<LsarEntry> entries;
    int beginnings = 0;
    std::string listing;
};

LsarResult readJson(const std::string& json, std::size_t chunk)
{
    LsarResult result;
    std::size_t at = 0;
    const ByteSource source = [&](char* buffer, std::size_t capacity) {
        const std::size_t size = std::min({capacity, chunk, json.size() - at});
        std::copy_n(json.data() + at, size, buffer);
        at += size;
        return size;
    };
    result.summary = readLsarJson(
        source, [&] { ++result.beginnings; result.listing += lsarListingHead("/d/x"); },
        [&](const LsarEntry& entry) {
            result.entries.push_back(entry);
            result.listing += lsarListingRecord(entry);
        });
    return result;
}

std::string transcript(const char* name)
{
    return test::readFile(test::testDataPath(QStringLiteral("formats/") + QString::fromLatin1(name))).toStdString();
}

TEST(LsarJson, Rar5WithEncryptedEntriesInEveryChunking)
{
    const std::string json = transcript("lsar-1.10.1-rar5-encrypted-entries.json");
    ASSERT_FALSE(json.empty());
    const LsarResult whole = readJson(json, json.size());
    for (std::size_t chunk : {std::size_t(1), std::size_t(2), std::size_t(7), std::size_t(64), std::size_t(1000)}) {
        const LsarResult chunked = readJson(json, chunk);
        EXPECT_EQ(chunked.listing, whole.listing) << "chunk " << chunk;
    }
    EXPECT_TRUE(whole.summary.complete);
    EXPECT_TRUE(whole.summary.recognized());
    EXPECT_EQ(whole.summary.formatName, "RAR 5");
    EXPECT_EQ(whole.beginnings, 1);
    ASSERT_EQ(whole.entries.size(), 3u);
    EXPECT_EQ(whole.entries[0].name, "top");
    EXPECT_TRUE(whole.entries[0].directory);
    EXPECT_FALSE(whole.entries[0].encrypted);
    EXPECT_EQ(whole.entries[1].name, "top/a.txt");
    EXPECT_TRUE(whole.entries[1].encrypted);
    EXPECT_EQ(whole.entries[1].size, 6);
    EXPECT_EQ(whole.summary.encryptedEntries, 2u);
    // Both encrypted files pack to 16 bytes: the first of them is tried.
    EXPECT_EQ(whole.summary.passwordProbeIndex, std::optional<std::int64_t>(1));

    // What Quendle reads from it.
    const ArchiveListing listing = readListing(decodeListing(QByteArray::fromStdString(whole.listing)));
    EXPECT_EQ(listing.amountFiles, 3);
    EXPECT_EQ(listing.topLevelName, QStringLiteral("top"));
    EXPECT_TRUE(listing.isEncrypted);
    EXPECT_FALSE(listing.isWrongPassword);
}

TEST(LsarJson, StuffItResourceForkLandsBesideItsFile)
{
    const LsarResult result = readJson(transcript("lsar-1.10.1-stuffit-resource-fork.json"), 13);
    EXPECT_EQ(result.summary.formatName, "StuffIt");
    std::vector<std::string> paths;
    for (const LsarEntry& entry : result.entries)
        paths.push_back(extractedPath(entry));
    EXPECT_EQ(paths, (std::vector<std::string> {"Mac Folder", "Mac Folder/read me", "Mac Folder/Icon.rsrc",
                         "Mac Folder/Icon"}));
}

TEST(LsarJson, HostileNamesStayBelowTheDestinationAsUnarWritesThem)
{
    const LsarResult result = readJson(transcript("lsar-1.10.1-rar5-hostile-names.json"), 4096);
    std::vector<std::string> paths;
    for (const LsarEntry& entry : result.entries)
        paths.push_back(extractedPath(entry));
    EXPECT_EQ(paths, (std::vector<std::string> {"__Parent__/evil.txt", "abs/x.txt", "ok/y.txt", "__Parent__/b.txt"}));
}

TEST(LsarJson, EscapesBecomeUtf8)
{
    const LsarResult ascii = readJson(transcript("lsar-1.10.1-legacy-zip-ascii.json"), 5);
    ASSERT_EQ(ascii.entries.size(), 3u);
    EXPECT_EQ(ascii.entries[1].name, "B\xE2\x80\xA6her/\xE5\x96\x98" "er.txt");

    const LsarResult escaped = readJson(R"({"lsarContents":[{"XADFileName":"a\"b\\c\/d\n\u00e9\ud83d\ude00\ud800x\t"}],)"
                                        R"("lsarFormatName":"Zip"})",
        3);
    ASSERT_EQ(escaped.entries.size(), 1u);
    EXPECT_EQ(escaped.entries[0].name, "a\"b\\c/d\n\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBDx\t");
}

// What JSON forbids but lsar may write in a name costs that name's characters, never the listing.
TEST(LsarJson, NamesJsonForbidsAreMendedNotLost)
{
    const struct {
        const char* written;
        const char* read;
    } cases[] = {
        {"a\xFF" "b", "a\xEF\xBF\xBD" "b"},                           // a byte that is not UTF-8
        {"a\x01\tb", "a\x01\tb"},                                      // raw control characters
        {R"(\udc00x)", "\xEF\xBF\xBDx"},                               // a lone low surrogate
        {R"(\ud800\u0041)", "\xEF\xBF\xBD" "A"},                       // a high one before another escape
        {R"(x\ud800)", "x\xEF\xBF\xBD"},                               // a high one at the name's end
        {R"(\ud800\ud83d\ude00)", "\xEF\xBF\xBD\xF0\x9F\x98\x80"},     // a stray high one before a pair
    };
    for (const auto& c : cases) {
        const std::string json = std::string(R"({"lsarContents":[{"XADFileName":")") + c.written + R"("}]})";
        for (const std::size_t chunk : {std::size_t(1), json.size()}) {
            const LsarResult result = readJson(json, chunk);
            EXPECT_TRUE(result.summary.complete) << c.written;
            ASSERT_EQ(result.entries.size(), 1u) << c.written;
            EXPECT_EQ(result.entries[0].name, c.read) << c.written << " in chunks of " << chunk;
        }
    }
}

TEST(LsarJson, WhatLsarDoesNotKnow)
{
    const LsarResult notArchive = readJson(transcript("lsar-1.10.1-not-an-archive.json"), 1);
    EXPECT_TRUE(notArchive.summary.complete);
    EXPECT_FALSE(notArchive.summary.recognized());
    EXPECT_EQ(notArchive.beginnings, 0);

    const LsarResult password = readJson(R"({"lsarFormatVersion":2,"lsarError":15})", 1);
    EXPECT_TRUE(password.summary.recognized());
    EXPECT_TRUE(password.summary.needsPassword());

    const LsarResult empty = readJson(R"({"lsarContents":[],"lsarFormatName":"RAR"})", 1);
    EXPECT_TRUE(empty.summary.recognized());
    EXPECT_EQ(empty.beginnings, 1);
    EXPECT_TRUE(empty.entries.empty());
}

TEST(LsarJson, BrokenJsonEndsTheReadingCleanly)
{
    for (const char* json : {"", "{", R"({"lsarContents":[{"XADFileName":"a"},)", R"({"lsarContents":[{"XADFileName":"a\q"}]})",
             R"({"lsarContents":[{"XADFileName":"a"}]} trailing)", R"({"a":[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[)"}) {
        const LsarResult result = readJson(json, 2);
        EXPECT_FALSE(result.summary.complete) << json;
    }
    // Nesting far deeper than lsar ever writes is refused rather than followed.
    const std::string deep = R"({"a":)" + std::string(100000, '[') + std::string(100000, ']') + "}";
    EXPECT_FALSE(readJson(deep, 4096).summary.complete);
}

} // namespace

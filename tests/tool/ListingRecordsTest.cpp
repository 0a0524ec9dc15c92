// The listing read record by record: the encrypted entry a password is tried on, legacy zip
// names, the locale's code page, and the decoded names given to what 7-Zip wrote.
#include "tool/CodePage.h"
#include "tool/ListingRecords.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include <sys/stat.h>

using namespace quendle;
using namespace quendle::adapter;

namespace {

const std::string kZipHead = "Listing archive: a.zip\n\n--\nPath = a.zip\nType = zip\n\n----------\n";
const std::string k7zHead = "Listing archive: a.7z\n\n--\nPath = a.7z\nType = 7z\nSolid = +\n\n----------\n";

std::string record(const std::string& path, std::uint64_t size, bool encrypted, const char* extra = "")
{
    return "Path = " + path + "\nFolder = -\nSize = " + std::to_string(size) + "\nEncrypted = " + (encrypted ? "+" : "-")
        + "\n" + extra + "\n";
}

// The listing through the reader, in chunks of the given size (0: whole).
std::string read(ListingRecords& records, const std::string& listing, std::size_t chunk)
{
    std::string out;
    if (chunk == 0)
        chunk = listing.size();
    for (std::size_t at = 0; at < listing.size(); at += chunk)
        records.feed(std::string_view(listing).substr(at, chunk), out);
    records.finish(out);
    return out;
}

// A file whose path is bytes that are not UTF-8, which Qt cannot name.
void writeRaw(const std::string& path, const char* text)
{
    FILE* out = std::fopen(path.c_str(), "w");
    ASSERT_TRUE(out) << path;
    std::fputs(text, out);
    std::fclose(out);
}

struct ProbeCase {
    const char* name;
    std::string listing;
    std::optional<std::string> probe;
};

void PrintTo(const ProbeCase& c, std::ostream* out)
{
    *out << c.name;
}

class PasswordProbe : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(PasswordProbe, IsTheEncryptedFileCheapestToTest)
{
    for (std::size_t chunk : {std::size_t(0), std::size_t(1), std::size_t(7)}) {
        ListingRecords records(437);
        EXPECT_EQ(read(records, GetParam().listing, chunk), GetParam().listing) << "chunk " << chunk;
        EXPECT_EQ(records.passwordProbe(), GetParam().probe) << "chunk " << chunk;
    }
}

INSTANTIATE_TEST_SUITE_P(Listings, PasswordProbe,
    ::testing::Values(
        ProbeCase {"SmallestEncryptedNotSmallestPlain", kZipHead + "Path = d\nFolder = +\nEncrypted = +\n\n"
                + record("big", 100, true) + record("plain", 1, false) + record("-[x]*.txt", 10, true),
            "-[x]*.txt"},
        ProbeCase {"EmptyOnlyWhenNothingElse", kZipHead + record("empty", 0, true) + record("full", 50, true), "full"},
        ProbeCase {"EmptyAlone", kZipHead + record("empty", 0, true), "empty"},
        // 7-Zip decodes a solid block from its start up to the file it tests.
        ProbeCase {"FirstOfASolidBlock", k7zHead + record("first", 3, true, "Block = 0\n") + record("big", 1000, true, "Block = 0\n")
                + record("last", 2, true, "Block = 0\n"),
            "first"},
        ProbeCase {"SmallBlockAfterABigOne", k7zHead + record("big", 1000, true, "Block = 0\n") + record("after", 5, true, "Block = 0\n")
                + record("alone", 8, true, "Block = 1\n"),
            "alone"},
        // Of a big file only the first megabyte is decoded: the first of its block costs that
        // much, a small file behind it the whole big file.
        ProbeCase {"BigFileOnlyAsFarAsThePrefix", k7zHead + record("huge", 10 << 20, true, "Block = 0\n")
                + record("small", 10, true, "Block = 0\n"),
            "huge"},
        // A big stored file decodes without an error whatever the password: it costs its size.
        ProbeCase {"StoredFileCostsItsWholeSize", k7zHead + record("stored", 10 << 20, true, "Method = Copy 7zAES:19\nBlock = 0\n")
                + record("packed", 5 << 20, true, "Method = LZMA2:24 7zAES:19\nBlock = 1\n"),
            "packed"},
        ProbeCase {"NothingEncrypted", kZipHead + record("a", 1, false), std::nullopt},
        ProbeCase {"NoEntries", kZipHead, std::nullopt}),
    [](const ::testing::TestParamInfo<ProbeCase>& info) { return std::string(info.param.name); });

struct NameCase {
    const char* name;
    std::string head;
    std::string stored;
    const char* characteristics;
    int codePage;
    std::string shown;
};

void PrintTo(const NameCase& c, std::ostream* out)
{
    *out << c.name;
}

class LegacyNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(LegacyNames, AreDecodedOnlyInZipsWithoutTheUtf8Flag)
{
    const NameCase& c = GetParam();
    const std::string extra = std::string("Characteristics = ") + c.characteristics + "\nHost OS = FAT\n";
    const std::string listing = c.head + record(c.stored, 4, false, extra.c_str()) + record("plain.txt", 1, false);
    ListingRecords records(c.codePage);
    EXPECT_EQ(read(records, listing, 3), c.head + record(c.shown, 4, false, extra.c_str()) + record("plain.txt", 1, false));
    if (c.shown == c.stored) {
        EXPECT_TRUE(records.changes().empty());
    } else {
        ASSERT_EQ(records.changes().size(), 1u);
        EXPECT_EQ(records.changes()[0].stored, c.stored);
        EXPECT_EQ(records.changes()[0].decoded, c.shown);
    }
}

INSTANTIATE_TEST_SUITE_P(Names, LegacyNames,
    // Code pages 437, 850 and 866 and UTF-8 names with and without the flag are covered with real zips.
    ::testing::Values(NameCase {"Cp932", kZipHead, "\x93\xFA\x96\x7B/\x95\x5C.txt", "", 932, "日本/表.txt"},
        NameCase {"Utf8FlagKeepsTheBytes", kZipHead, "B\x81" "cher", "UTF8", 437, "B\x81" "cher"},
        NameCase {"Not a zip", k7zHead, "B\x81" "cher", "", 437, "B\x81" "cher"},
        NameCase {"NotDecodableStays", kZipHead, "\x81\x20", "", 932, "\x81\x20"}),
    [](const ::testing::TestParamInfo<NameCase>& info) {
        std::string name = info.param.name;
        std::erase(name, ' ');
        return name;
    });

TEST(OemCodePage, FollowsTheLocaleAsWindowsDoes)
{
    const std::pair<const char*, int> cases[] = {{"ru_RU.UTF-8", 866}, {"uk_UA.UTF-8", 866}, {"ja_JP.UTF-8", 932},
        {"de_DE.UTF-8", 850}, {"fr_CA.UTF-8", 850}, {"en_GB.UTF-8", 850}, {"en_US.UTF-8", 437}, {"en", 437},
        {"pl_PL.UTF-8", 852}, {"cs_CZ", 852}, {"el_GR.UTF-8", 737}, {"tr_TR.UTF-8", 857}, {"zh_CN.UTF-8", 936},
        {"zh_TW.UTF-8", 950}, {"ko_KR.UTF-8", 949}, {"sr_RS", 855}, {"sr_RS@latin", 852}, {"C.UTF-8", 437},
        {"POSIX", 437}, {"", 437}};
    for (const auto& [locale, page] : cases) {
        EXPECT_EQ(oemCodePage(locale), page) << locale;
        // Every page of the table can be read here.
        EXPECT_TRUE(decodeCodePage("A", page)) << page;
    }
}

TEST(OemCodePage, TakesTheFirstOfLcAllLcCtypeAndLang)
{
    const char* names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i) {
        if (const char* value = std::getenv(names[i]))
            saved[i] = value;
    }
    const auto set = [&](const char* all, const char* ctype, const char* lang) {
        const char* values[] = {all, ctype, lang};
        for (int i = 0; i < 3; ++i) {
            if (values[i])
                setenv(names[i], values[i], 1);
            else
                unsetenv(names[i]);
        }
    };
    set("ja_JP.UTF-8", "ru_RU.UTF-8", "de_DE.UTF-8");
    EXPECT_EQ(oemCodePageFromEnvironment(), 932);
    set("", "ru_RU.UTF-8", "de_DE.UTF-8");
    EXPECT_EQ(oemCodePageFromEnvironment(), 866);
    set(nullptr, nullptr, "de_DE.UTF-8");
    EXPECT_EQ(oemCodePageFromEnvironment(), 850);
    set(nullptr, nullptr, nullptr);
    EXPECT_EQ(oemCodePageFromEnvironment(), 437);
    for (int i = 0; i < 3; ++i) {
        if (saved[i])
            setenv(names[i], saved[i]->c_str(), 1);
        else
            unsetenv(names[i]);
    }
}

TEST(DecodedNames, MergeIntoWhatIsThereAndNeverLeaveTheDestination)
{
    QTemporaryDir dir;
    const std::string root = QFile::encodeName(dir.path()).toStdString();
    const std::string destination = root + "/out";
    // As 7-Zip left them: the stored bytes.
    const QByteArray stored = QFile::encodeName(dir.path()) + "/out/Gr\x81\xE1" "e";
    QDir().mkpath(QString::fromUtf8(QFile::encodeName(dir.path()) + "/out"));
    ASSERT_EQ(::mkdir(stored.constData(), 0755), 0);
    for (const char* name : {"/M\x81ller.txt", "/plain.txt"})
        writeRaw((stored + name).toStdString(), "new\n");
    // What the user had from an earlier expansion, and a file beside the destination.
    test::writeFile(dir.path() + QStringLiteral("/out/Grüße/plain.txt"), "old\n");
    test::writeFile(dir.path() + QStringLiteral("/out/Grüße/mine.txt"), "mine\n");
    writeRaw(root + "/x\x81", "outside\n");

    applyDecodedNames(destination, {{"Gr\x81\xE1" "e", "Grüße"}, {"Gr\x81\xE1" "e/M\x81ller.txt", "Grüße/Müller.txt"},
                                       {"Gr\x81\xE1" "e/plain.txt", "Grüße/plain.txt"}, {"../x\x81", "../xü"}});
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
        QStringList {QStringLiteral("Grüße")});
    EXPECT_EQ(test::readFile(dir.path() + QStringLiteral("/out/Grüße/Müller.txt")), "new\n");
    EXPECT_EQ(test::readFile(dir.path() + QStringLiteral("/out/Grüße/plain.txt")), "new\n");
    EXPECT_EQ(test::readFile(dir.path() + QStringLiteral("/out/Grüße/mine.txt")), "mine\n");
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/xü")));
}

// ---------------------------------------------------------------------------------------------
// Paths made the paths the extraction writes: packages' prefixes and "./", backslashes of DOS
// and Windows names, 7-Zip's table of contents of a xar.

struct RewriteCase {
    const char* name;
    std::string head;
    std::string records;
    PathRewrite rewrite;
    std::string expected; // the records as the reader gives them
};

void PrintTo(const RewriteCase& c, std::ostream* out)
{
    *out << c.name;
}

class PathRewrites : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(PathRewrites, GiveTheWrittenPathsInEveryChunking)
{
    const RewriteCase& c = GetParam();
    for (std::size_t chunk : {std::size_t(0), std::size_t(1), std::size_t(7)}) {
        ListingRecords records(437, c.rewrite);
        const std::string out = read(records, c.head + c.records, chunk);
        EXPECT_EQ(out, (c.rewrite.dropHead ? std::string() : c.head) + c.expected) << "chunk " << chunk;
    }
}

const std::string kTarHead = "Listing archive: \n\n--\nPath = \nType = tar\n\n----------\n";

INSTANTIATE_TEST_SUITE_P(Listings, PathRewrites,
    ::testing::Values(
        RewriteCase {"PackageTarBelowItsFolder", kTarHead, "Path = .\nFolder = +\n\nPath = ./usr\nFolder = +\n\nPath = ./usr/a b\nFolder = -\n\n",
            {"pkg/", true, {}, true}, "Path = pkg/usr\nFolder = +\n\nPath = pkg/usr/a b\nFolder = -\n\n"},
        RewriteCase {"PayloadWithoutDotSlash", kTarHead, "Path = ./usr\nFolder = +\n\nPath = ./\nFolder = +\n\nPath = etc/x\nFolder = -\n\n",
            {"", true, {}, false}, "Path = usr\nFolder = +\n\nPath = etc/x\nFolder = -\n\n"},
        RewriteCase {"OmittedEntry", k7zHead, "Path = [TOC].xml\nFolder = -\n\nPath = top/[TOC].xml\nFolder = -\n\n",
            {"", false, {"[TOC].xml"}, false}, "Path = top/[TOC].xml\nFolder = -\n\n"},
        RewriteCase {"DosBackslashesAreFolders", kZipHead, "Path = top\\sub\\a.txt\nFolder = -\nHost OS = FAT\n\n",
            {}, "Path = top/sub/a.txt\nFolder = -\nHost OS = FAT\n\n"},
        RewriteCase {"NtfsBackslashesAreFolders", kZipHead, "Path = top\\a.txt\nHost OS = NTFS\n\n", {}, "Path = top/a.txt\nHost OS = NTFS\n\n"},
        RewriteCase {"UnixBackslashStays", kZipHead, "Path = top\\a.txt\nHost OS = Unix\n\n", {}, "Path = top\\a.txt\nHost OS = Unix\n\n"},
        RewriteCase {"BackslashOutOfTheDestinationStays", kZipHead, "Path = ..\\up.txt\nHost OS = FAT\n\nPath = \\root.txt\nHost OS = FAT\n\n",
            {}, "Path = ..\\up.txt\nHost OS = FAT\n\nPath = \\root.txt\nHost OS = FAT\n\n"},
        RewriteCase {"NotAZipKeepsBackslashes", k7zHead, "Path = top\\a.txt\nHost OS = FAT\n\n", {}, "Path = top\\a.txt\nHost OS = FAT\n\n"}),
    [](const ::testing::TestParamInfo<RewriteCase>& info) { return std::string(info.param.name); });

TEST(DecodedNames, BackslashesOfADosNameBecomeFoldersAfterTheExtraction)
{
    QTemporaryDir dir;
    const std::string destination = QFile::encodeName(dir.path()).toStdString();
    // As 7-Zip wrote them: the stored bytes, backslashes and all (CP866 "Отчёт\итоги.doc").
    writeRaw(destination + "/\x8E\xE2\xE7\xF1\xE2\\\xA8\xE2\xAE\xA3\xA8.doc", "i");
    writeRaw(destination + "/a\\b.txt", "u");
    ListingRecords records(866);
    read(records, kZipHead + "Path = \x8E\xE2\xE7\xF1\xE2\\\xA8\xE2\xAE\xA3\xA8.doc\nHost OS = FAT\n\nPath = a\\b.txt\nHost OS = Unix\n\n", 0);
    applyDecodedNames(destination, records.changes());
    EXPECT_EQ(test::readTree(dir.path()), (test::Tree {{QStringLiteral("\u041e\u0442\u0447\u0451\u0442/"), {}},
                                              {QStringLiteral("\u041e\u0442\u0447\u0451\u0442/\u0438\u0442\u043e\u0433\u0438.doc"), "i"},
                                              {QStringLiteral("a\\b.txt"), "u"}}));
}

// The code page judged from a zip's names, as legacy tools of every part of the world stored
// them; nothing where the judgement would be a guess.
struct DetectionCase {
    const char* name;
    std::vector<std::string> names;
    std::optional<int> page;
};

void PrintTo(const DetectionCase& c, std::ostream* out)
{
    *out << c.name;
}

class CodePageDetection : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(CodePageDetection, TrustsOnlyWhatItCanTell)
{
    EXPECT_EQ(detectCodePage(GetParam().names), GetParam().page);
}

INSTANTIATE_TEST_SUITE_P(Names, CodePageDetection,
    ::testing::Values(
        // "Документы/Отчёт за март.doc", "Фотографии с отпуска.jpg"
        DetectionCase {"Cp866", {"\x84\xAE\xAA\xE3\xAC\xA5\xAD\xE2\xEB/\x8E\xE2\xE7\xF1\xE2 \xA7\xA0 \xAC\xA0\xE0\xE2.doc",
                                    "\x94\xAE\xE2\xAE\xA3\xE0\xA0\xE4\xA8\xA8 \xE1 \xAE\xE2\xAF\xE3\xE1\xAA\xA0.jpg"}, 866},
        DetectionCase {"Cp1251", {"\xC4\xEE\xEA\xF3\xEC\xE5\xED\xF2\xFB/\xCE\xF2\xF7\xB8\xF2 \xE7\xE0 \xEC\xE0\xF0\xF2.doc",
                                     "\xD4\xEE\xF2\xEE\xE3\xF0\xE0\xF4\xE8\xE8 \xF1 \xEE\xF2\xEF\xF3\xF1\xEA\xE0.jpg"}, 1251},
        // "写真/夏休みの旅行.jpg", "会議資料.xlsx"
        DetectionCase {"ShiftJis", {"\x8E\xCA\x90\x5E/\x89\xC4\x8B\x78\x82\xDD\x82\xCC\x97\xB7\x8D\x73.jpg",
                                       "\x89\xEF\x8B\x63\x8E\x91\x97\xBF.xlsx"}, 932},
        // Latin pages: a few names tell 437, 850 and 1252 too little apart.
        DetectionCase {"Cp437IsLeftToTheLocale", {"Gr\x81\xE1" "e aus M\x81nchen/Brief an M\x81ller.txt", "Pr\x84sentation M\x84rz.ppt"}, std::nullopt},
        DetectionCase {"NoNames", {}, std::nullopt}),
    [](const ::testing::TestParamInfo<DetectionCase>& info) { return std::string(info.param.name); });

} // namespace

// Reading listing texts: whole and as they stream, on made-up texts and on real transcripts.
#include "listing/ListingPrinting.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QFile>

#include <random>

using namespace quendle;
using namespace quendle::test;

namespace {

ArchiveListing facts(std::uint64_t pieces, std::int32_t files, std::optional<QString> name,
    bool encrypted = false, bool wrongPassword = false)
{
    ArchiveListing listing;
    listing.pieceCount = pieces;
    listing.amountFiles = files;
    listing.topLevelName = std::move(name);
    listing.isEncrypted = encrypted;
    listing.isWrongPassword = wrongPassword;
    return listing;
}

const ArchiveListing kAbsent = facts(0, 0, std::nullopt, true, true);

// Entries under more than one top-level name.
ArchiveListing loose(ArchiveListing listing)
{
    listing.sharesTopLevel = false;
    return listing;
}

// What the header shows of the archive: how many archive levels 7-Zip opened, and whether the
// entry list after them is empty.
ArchiveListing opened(ArchiveListing listing, std::uint32_t levels, bool noEntries = false)
{
    listing.archiveLevels = levels;
    listing.holdsNoEntries = noEntries;
    return listing;
}

struct TextCase {
    const char* name;
    QByteArray text;
    ArchiveListing expected;
    std::int32_t passwordRuleCount;
};

const QByteArray kHead = "\n7-Zip (z) 26.02 (x64)\n\nListing archive: a.7z\n\n--\n";

const TextCase kTexts[] = {
    {"Empty", "", facts(1, 0, std::nullopt), -1},
    {"NoSeparator", kHead + "Errors: 1\n", facts(1, 0, std::nullopt), -1},
    {"ArchiveRecordOnly", kHead + "Path = a.7z\nType = 7z\n", opened(facts(2, 0, std::nullopt), 1), 0},
    {"EmptyArchive", kHead + "Path = e.zip\nType = zip\nPhysical Size = 22\n\n----------\n \n",
        opened(facts(2, 0, std::nullopt), 1, true), 0},
    {"NoEntriesButErrors", kHead + "Path = t.zip\nType = zip\nERRORS:\nUnexpected end of archive\n\n----------\n",
        opened(facts(2, 0, std::nullopt), 1), 0},
    {"StreamWithoutAPath", kHead + "Path = a.txt.xz\nType = xz\n\n----------\nSize = 6\n", opened(facts(2, 0, std::nullopt), 1), 0},
    {"SplitSetOpensTheArchiveInside",
        kHead + "Path = s.7z.001\nType = Split\nPath = s.7z\n\nPath = s.7z\nType = 7z\n\n----------\nPath = top\nType = x\n",
        opened(loose(facts(5, 3, u"s.7z"_qs)), 2), 3},
    {"FolderThenFile", kHead + "Path = a.7z\n\n----------\nPath = top/file.txt\nSize = 1\n", facts(3, 1, u"top"_qs), 1},
    {"FileAtTheRoot", kHead + "Path = a.7z\n\n----------\nPath = readme.txt\nSize = 1\n\nPath = b\n",
        loose(facts(4, 2, u"readme.txt"_qs)), 2},
    {"FirstPathOnlyDecides", kHead + "Path = a.7z\nPath = dir\nFolder = +\nPath = dir/f\n", facts(4, 2, u"dir"_qs), 2},
    {"LeadingSlashGivesEmptyName", "Path = a\nPath = /etc/passwd\n", facts(3, 1, u""_qs), 1},
    {"OutputEndsAfterThePath", "Path = a\nPath = readme.txt", facts(3, 1, std::nullopt), 1},
    {"SeparatorInsideAPath", "Path = a\nPath = x Path = y/z\n", loose(facts(4, 2, std::nullopt)), 2},
    {"TextBeginsWithSeparator", "Path = Path = n/", facts(3, 1, u"n"_qs), 1},
    {"SeparatorsBackToBack", "Path = Path = Path = ", loose(facts(4, 2, std::nullopt)), 2},
    {"CarriageReturnIsPartOfTheName", "Path = a\r\nPath = name\r\nSize = 1\r\n", facts(3, 1, u"name\r"_qs), 1},
    {"AlmostSeparators", "Path =Path  = PaPath = PPath = x/\nPath= Pat\nPath = ", loose(facts(4, 2, u"x"_qs)), 2},
    {"MultiByteName", "Path = a\nPath = Ünïcødé €𝄞/x\n", facts(3, 1, u"Ünïcødé €𝄞"_qs), 1},
    {"NulInName", QByteArray("Path = a\nPath = x\0y/z\n", 22), facts(3, 1, QString::fromUtf8("x\0y", 3)), 1},
    {"ByteOrderMarkAtTheStart", "\xEF\xBB\xBFPath = a\nPath = b/c", facts(3, 1, u"b"_qs), 1},
    {"ByteOrderMarkInTheName", "Path = a\nPath = \xEF\xBB\xBF" "b/c", facts(3, 1, u"\uFEFFb"_qs), 1},
    {"EncryptedEntry", "Path = a\nPath = f\nEncrypted = +\n", facts(3, 1, u"f"_qs, true), 1},
    {"EncryptedMinusOnly", "Path = a\nPath = f\nEncrypted = -\nPath = g\nEncrypted = -\n", loose(facts(4, 2, u"f"_qs)), 2},
    {"CannotOpenWithoutEncryptedPlus", kHead + "Can not open encrypted archive. Wrong password?\n",
        facts(1, 0, std::nullopt, true, true), -1},
    {"CannotOpenWithoutWrongPassword", "Can not open encrypted archive.", facts(1, 0, std::nullopt, true), -1},
    {"WrongPasswordOnly", "Path = a\nErrors: Wrong password\n", facts(2, 0, std::nullopt, false, true), 0},
    {"SignsAreCaseSensitive",
        "Path = a\nencrypted = +\nEncrypted = + \nwrong password\nCan Not open encrypted archive.\n"
        "Can not open encrypted archive\nWrong Password\n",
        facts(2, 0, std::nullopt, true), 0},
    {"SignInsideAName", "Path = a\nPath = Encrypted = +/Wrong password\n", facts(3, 1, u"Encrypted = +"_qs, true, true), 1},
    {"SignRepeatsItsOwnStart", "Can not Can not open encrypted archive. WWrong passwordEncrypted = Encrypted = +",
        facts(1, 0, std::nullopt, true, true), -1},
    {"InvalidByte", "Path = a\nPath = \xFF/x\n", kAbsent, -2},
    {"InvalidByteInPreamble", "\x80Path = a\nPath = b/\n", kAbsent, -2},
    {"CutOffCharacterAtTheEnd", "Path = a\nPath = b/\xC3", kAbsent, -2},
    {"CutOffFourByteCharacter", "Path = a\nPath = b/\xF0\x9F\x98", kAbsent, -2},
    {"Surrogate", "Path = a\nPath = \xED\xA0\x80/\n", kAbsent, -2},
    {"OverlongSlash", "Path = a\nPath = x\xC0\xAF\n", kAbsent, -2},
    {"AboveUnicode", "Path = a\nPath = \xF4\x90\x80\x80/\n", kAbsent, -2},
    {"NoncharactersAreValid", "Path = a\nPath = \xEF\xBF\xBE\xF4\x8F\xBF\xBF/\n", facts(3, 1, u"\uFFFE\U0010FFFF"_qs), 1},
};

void PrintTo(const TextCase& c, std::ostream* out)
{
    *out << c.name;
}

class ListingText : public ::testing::TestWithParam<TextCase> {};

TEST_P(ListingText, WholeText)
{
    const TextCase& c = GetParam();
    const ArchiveListing listing = readWhole(c.text);
    EXPECT_EQ(listing, c.expected);
    EXPECT_EQ(listing.passwordRuleCount(), c.passwordRuleCount);
}

TEST_P(ListingText, StreamedInPiecesOfEverySize)
{
    const TextCase& c = GetParam();
    for (qsizetype piece = 1; piece <= c.text.size() + 1; ++piece)
        ASSERT_EQ(readStreamed(c.text, piece), c.expected) << "pieces of " << piece;
}

TEST_P(ListingText, StreamedWithASplitAtEveryPlace)
{
    const TextCase& c = GetParam();
    for (qsizetype first = 0; first <= c.text.size(); ++first) {
        for (qsizetype second = first; second <= c.text.size(); ++second) {
            ListingReader reader;
            reader.feed(c.text.first(first));
            reader.feed(c.text.sliced(first, second - first));
            reader.feed(QByteArray()); // an empty read changes nothing
            reader.feed(c.text.sliced(second));
            ASSERT_EQ(reader.finish(), c.expected) << "split at " << first << " and " << second;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ListingText, ::testing::ValuesIn(kTexts),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

TEST(ListingRules, AbsentTextShowsEverySign)
{
    EXPECT_EQ(readListing(std::nullopt), kAbsent);
    EXPECT_EQ(readListing(std::nullopt).passwordRuleCount(), -2);
    EXPECT_FALSE(decodeListing("\xC3"));
    EXPECT_EQ(decodeListing(""), QString(u""_qs));
}

TEST(ListingRules, CountsSaturateInsteadOfWrapping)
{
    ArchiveListing huge;
    huge.pieceCount = std::uint64_t(1) << 40;
    EXPECT_EQ(huge.passwordRuleCount(), std::numeric_limits<std::int32_t>::max());
}

// Captured from the installed 7-Zip (and from the adapter in front of it).
struct TranscriptCase {
    const char* file;
    ArchiveListing expected;
};

const TranscriptCase kTranscripts[] = {
    {"7zz-26.02-plain-7z.txt", opened(facts(10, 8, u"top"_qs), 1)},
    {"7zz-26.02-plain-zip.txt", opened(facts(10, 8, u"top"_qs), 1)},
    {"7zz-26.02-root-files-7z.txt", opened(loose(facts(4, 2, u"readme.txt"_qs)), 1)},
    {"7zz-26.02-encrypted-entries-zip.txt", opened(facts(10, 8, u"top"_qs, true), 1)},
    {"7zz-26.02-encrypted-headers-right-password.txt", opened(facts(10, 8, u"top"_qs, true), 1)},
    // 7-Zip on its own shows no sign at all here: the reason for the adapter.
    {"7zz-26.02-encrypted-headers-no-password.txt", facts(1, 0, std::nullopt)},
    {"adapter-encrypted-headers-no-password.txt", facts(1, 0, std::nullopt, true, true)},
    {"adapter-encrypted-headers-wrong-password.txt", facts(1, 0, std::nullopt, true, true)},
};

void PrintTo(const TranscriptCase& c, std::ostream* out)
{
    *out << c.file;
}

class ListingTranscript : public ::testing::TestWithParam<TranscriptCase> {};

TEST_P(ListingTranscript, BothReadersAgreeOnEveryPieceSize)
{
    const TranscriptCase& c = GetParam();
    QFile file(testDataPath(QStringLiteral("listing/") + QString::fromLatin1(c.file)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(file.fileName());
    const QByteArray text = file.readAll();
    ASSERT_FALSE(text.isEmpty());

    EXPECT_EQ(readWhole(text), c.expected);
    for (qsizetype piece = 1; piece <= text.size(); ++piece)
        ASSERT_EQ(readStreamed(text, piece), c.expected) << "pieces of " << piece;
}

INSTANTIATE_TEST_SUITE_P(Transcripts, ListingTranscript, ::testing::ValuesIn(kTranscripts),
    [](const ::testing::TestParamInfo<TranscriptCase>& info) {
        std::string name = info.param.file;
        name.resize(name.size() - 4);
        std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        return name;
    });

// Whether bytes are UTF-8 is decided as Qt's decoder decides it, for every short sequence.
TEST(ListingUtf8, StreamedCheckMatchesQtOnEveryShortSequence)
{
    const auto agree = [](const QByteArray& bytes) {
        const bool valid = decodeListing(bytes).has_value();
        ListingReader reader;
        reader.feed(bytes);
        return valid == (reader.finish().pieceCount != 0);
    };
    QByteArray bytes(1, '\0');
    for (int a = 0; a < 256; ++a) {
        bytes[0] = char(a);
        ASSERT_TRUE(agree(bytes)) << std::hex << a;
    }
    bytes.resize(2);
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            bytes[0] = char(a);
            bytes[1] = char(b);
            ASSERT_TRUE(agree(bytes)) << std::hex << a << ' ' << b;
        }
    }
    bytes.resize(3);
    for (int a = 0xC0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            for (int c = 0; c < 256; ++c) {
                bytes[0] = char(a);
                bytes[1] = char(b);
                bytes[2] = char(c);
                ASSERT_TRUE(agree(bytes)) << std::hex << a << ' ' << b << ' ' << c;
            }
        }
    }
    const unsigned char edges[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC2, 0xE0, 0xF0, 0xFF};
    bytes.resize(4);
    for (int a = 0xF0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            for (unsigned char c : edges) {
                for (unsigned char d : edges) {
                    bytes[0] = char(a);
                    bytes[1] = char(b);
                    bytes[2] = char(c);
                    bytes[3] = char(d);
                    ASSERT_TRUE(agree(bytes)) << std::hex << a << ' ' << b << ' ' << int(c) << ' ' << int(d);
                }
            }
        }
    }
}

// Random texts made of the pieces that matter, cut at random places: streamed and whole agree.
TEST(ListingRandom, StreamedAgreesWithWhole)
{
    const QByteArray fragments[] = {"Path = ", "Path = ", "Path = ", "Path =", "Pat", "P", "/", "\n", "\r", " ",
        "x", "ab", "Encrypted = +", "Encrypted = ", "Encrypted = -", "Can not open encrypted archive.",
        "Can not open ", "Wrong password", "Wrong passwor", "W", "é", "€", "𝄞", "\xEF\xBB\xBF",
        QByteArray(1, '\0')};
    // Bytes that are not UTF-8 on their own; rare, or nearly every text would be absent.
    const QByteArray broken[] = {"\xC3", "\xE2\x82", "\xF0\x9F\x98", "\xED\xA0\x80", "\xFF", "\x80"};
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> pick(0, int(std::size(fragments)) - 1);
    std::uniform_int_distribution<int> pickBroken(0, int(std::size(broken)) - 1);
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<int> piece(1, 9);
    int absent = 0;
    int named = 0;
    for (int round = 0; round < 30000; ++round) {
        QByteArray text;
        for (int n = length(random); n > 0; --n)
            text += random() % 60 == 0 ? broken[pickBroken(random)] : fragments[pick(random)];
        const ArchiveListing whole = readWhole(text);
        absent += whole.pieceCount == 0;
        named += whole.topLevelName.has_value();

        ListingReader reader;
        for (qsizetype at = 0; at < text.size();) {
            const qsizetype size = std::min<qsizetype>(piece(random), text.size() - at);
            reader.feed(text.constData() + at, std::size_t(size));
            at += size;
        }
        ASSERT_EQ(reader.finish(), whole) << text.toStdString();
    }
    // The texts cover both kinds of outcome.
    EXPECT_GT(absent, 100);
    EXPECT_GT(named, 300);
}

} // namespace

namespace {

// Whether the entries share one top-level item and whether one is named like the archive
// ("a.zip"), whole and streamed with a split at every place.
struct ShapeCase {
    const char* name;
    QByteArray text;
    bool shares;
    bool namesArchive;
};

const ShapeCase kShapes[] = {
    {"OneFolder", "Path = /d/a.zip\nPath = a\nPath = a/x\nPath = a/y/z\n", true, false},
    {"EntryNamedLikeTheArchive", "Path = /d/a.zip\nPath = a.zip\nSize = 1\n", true, true},
    {"NamedLikeTheArchiveLater", "Path = /d/a.zip\nPath = b/c\nPath = a.zip/x\n", false, true},
    {"PrefixAndExtensionOfTheArchiveName", "Path = /d/a.zip\nPath = a.zi\nPath = a.zipx/y\n", false, false},
    {"SecondNameLonger", "Path = x\nPath = top/a\nPath = topper/b\n", false, false},
    {"SecondNameShorter", "Path = x\nPath = top/a\nPath = to\n", false, false},
    {"LastEntryWithoutLineFeed", "Path = x\nPath = top/a\nPath = top", true, false},
    {"LastEntryLongerWithoutLineFeed", "Path = x\nPath = top/a\nPath = tops", false, false},
    {"ArchiveNameWithoutLineFeed", "Path = x\nPath = a.zip", true, true},
    {"SeparatorRightAfterTheName", "Path = x\nPath = top/\nPath = topPath = top/", true, false},
    {"SeparatorRightAfterALongerName", "Path = x\nPath = top/\nPath = topsPath = top/", false, false},
};

class ListingShape : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(ListingShape, IsReadAlikeWholeAndStreamed)
{
    const ShapeCase& c = GetParam();
    const ArchiveListing whole = readListing(decodeListing(c.text), u"a.zip"_qs);
    EXPECT_EQ(whole.sharesTopLevel, c.shares);
    EXPECT_EQ(whole.topLevelNamesArchive, c.namesArchive);
    for (qsizetype split = 0; split <= c.text.size(); ++split) {
        ListingReader reader(u"a.zip"_qs);
        reader.feed(c.text.left(split));
        reader.feed(c.text.mid(split));
        ASSERT_EQ(reader.finish(), whole) << "split at " << split;
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, ListingShape, ::testing::ValuesIn(kShapes),
    [](const ::testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

} // namespace

// The Trash's pure helpers: time-stamped names, percent-encoded paths, .trashinfo records.
#include "support/TrashRecords.h"
#include "trash/TrashNames.h"

#include <gtest/gtest.h>

namespace quendle::trash {
namespace {

struct StampCase {
    const char* name;
    const char* stamped;
};
void PrintTo(const StampCase& c, std::ostream* os) { *os << c.name; }


class TimeStampedName : public ::testing::TestWithParam<StampCase> {};

TEST_P(TimeStampedName, KeepsTheExtensionAfterTheStamp)
{
    EXPECT_EQ(timeStampedName(QString::fromUtf8(GetParam().name), QTime(14, 5, 9)),
        QString::fromUtf8(GetParam().stamped));
}

INSTANTIATE_TEST_SUITE_P(Names, TimeStampedName,
    ::testing::Values(StampCase {"notes.txt", "notes 14-05-09.txt"},
        StampCase {"report.tar.gz", "report.tar 14-05-09.gz"},
        StampCase {"Photos", "Photos 14-05-09"},
        StampCase {".profile", ".profile 14-05-09"},
        StampCase {".config.bak", ".config 14-05-09.bak"},
        StampCase {"draft.", "draft. 14-05-09"},
        StampCase {"my file.tar 2", "my file 14-05-09.tar 2"},
        StampCase {"Ünïcødé.日本", "Ünïcødé 14-05-09.日本"}));

struct EncodingCase {
    QByteArray path;
    QByteArray encoded;
};
void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.encoded.constData(); }


class PercentEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(PercentEncoding, EncodesAndDecodesBack)
{
    EXPECT_EQ(percentEncodePath(GetParam().path), GetParam().encoded);
    EXPECT_EQ(percentDecodePath(GetParam().encoded), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Paths, PercentEncoding,
    ::testing::Values(EncodingCase {"/home/me/notes.txt", "/home/me/notes.txt"},
        EncodingCase {"/tmp/with spaces.txt", "/tmp/with%20spaces.txt"},
        EncodingCase {"/tmp/100% sure", "/tmp/100%25%20sure"},
        EncodingCase {"/tmp/line\nbreak", "/tmp/line%0Abreak"},
        EncodingCase {"/tmp/Ü", "/tmp/%C3%9C"},
        EncodingCase {"dir/a-b_c.d~e", "dir/a-b_c.d~e"},
        EncodingCase {"/a=b;c?d#e&f+g", "/a%3Db%3Bc%3Fd%23e%26f%2Bg"},
        EncodingCase {QByteArray("/nul\0byte\xff", 10), "/nul%00byte%FF"}));

TEST(PercentDecoding, RoundTripsEveryByte)
{
    QByteArray all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    const QByteArray encoded = percentEncodePath(all);
    EXPECT_FALSE(encoded.contains('\n'));
    EXPECT_EQ(percentDecodePath(encoded), all);
}

TEST(PercentDecoding, AcceptsLowerCaseAndRejectsBrokenEscapes)
{
    EXPECT_EQ(percentDecodePath("/a%c3%9c"), QByteArray("/a\xc3\x9c"));
    for (const QByteArray& broken : {QByteArray("%"), QByteArray("/a%2"), QByteArray("%zz"), QByteArray("%2g/x")})
        EXPECT_EQ(percentDecodePath(broken), std::nullopt) << broken.constData();
}

TEST(TrashInfoRecord, HasTheGroupThePathAndTheLocalDate)
{
    const QDateTime when(QDate(2026, 3, 4), QTime(9, 5, 7));
    EXPECT_EQ(makeTrashInfo("/tmp/a b\n%.txt", when),
        QByteArray("[Trash Info]\nPath=/tmp/a%20b%0A%25.txt\nDeletionDate=2026-03-04T09:05:07\n"));
}

TEST(TrashInfoRecord, ReadsBackWhatItWrote)
{
    const QDateTime when(QDate(2026, 12, 31), QTime(23, 59, 58));
    const QByteArray path("/Volumes/x/\xe6\x97\xa5 \n\\%");
    const auto info = parseTrashInfo(makeTrashInfo(path, when));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->path, path);
    EXPECT_EQ(info->deletionDate, when);
}

TEST(TrashInfoRecord, RejectsRecordsWithoutTheGroupOrAReadablePath)
{
    EXPECT_FALSE(parseTrashInfo("Path=/a\n"));
    EXPECT_FALSE(parseTrashInfo("[Trash Info]\nDeletionDate=2026-01-01T00:00:00\n"));
    EXPECT_FALSE(parseTrashInfo("[Trash Info]\nPath=/a%zz\n"));
    // A key in a later group is not ours.
    EXPECT_FALSE(parseTrashInfo("[Trash Info]\n[Other]\nPath=/a\n"));
    const auto relative = parseTrashInfo("[Trash Info]\r\nPath=dir/a%20b\r\n");
    ASSERT_TRUE(relative);
    EXPECT_EQ(relative->path, QByteArray("dir/a b"));
    EXPECT_FALSE(relative->deletionDate.isValid());
}

} // namespace
} // namespace quendle::trash

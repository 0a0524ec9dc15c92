// Split sets on their own: which parts make a set and which one is missing, and the set's
// listing head folded into the head of the archive it splits.
#include "tool/SplitSet.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <string>
#include <vector>

using namespace quendle;
using namespace quendle::adapter;

namespace {

struct SetCase {
    const char* name;
    std::vector<std::pair<std::string, QByteArray>> parts; // file name, contents
    std::string opened;
    bool isSet;
    std::string missing; // file name; empty: none
};

void PrintTo(const SetCase& c, std::ostream* out)
{
    *out << c.name;
}

// A 7z start header declaring an archive of `size` bytes, padded to `length`.
QByteArray sevenZipStart(quint64 size, int length)
{
    QByteArray head("7z\xBC\xAF\x27\x1C\x00\x04", 8);
    head += QByteArray(4, '\0');
    const quint64 next = size - 32 - 10;
    for (int i = 0; i < 8; ++i)
        head += char((next >> (8 * i)) & 0xFF);
    for (int i = 0; i < 8; ++i)
        head += char(i == 0 ? 10 : 0);
    head += QByteArray(4, '\0');
    return head + QByteArray(length - head.size(), 'x');
}

class SplitSetFinding : public ::testing::TestWithParam<SetCase> {};

TEST_P(SplitSetFinding, FindsThePartsAndNamesTheMissingOne)
{
    const SetCase& c = GetParam();
    QTemporaryDir dir;
    const std::string folder = QFile::encodeName(dir.path()).toStdString() + '/';
    for (const auto& [name, contents] : c.parts)
        test::writeFile(dir.path() + u'/' + QString::fromStdString(name), contents);
    const std::optional<SplitSet> set = findSplitSet(folder + c.opened);
    ASSERT_EQ(set.has_value(), c.isSet);
    if (!set)
        return;
    EXPECT_EQ(set->first, folder + c.opened.substr(0, c.opened.rfind('.') + 1) + std::string(c.opened.size() - c.opened.rfind('.') - 2, '0') + "1");
    EXPECT_EQ(set->missing, c.missing.empty() ? std::string() : folder + c.missing);
}

INSTANTIATE_TEST_SUITE_P(Parts, SplitSetFinding,
    ::testing::Values(
        SetCase {"NotNumbered", {{"x.7z", "7z"}}, "x.7z", false, ""},
        SetCase {"TwoDigitsAreNoVolume", {{"x.01", "a"}}, "x.01", false, ""},
        SetCase {"Complete", {{"x.bin.001", QByteArray(10, 'a')}, {"x.bin.002", QByteArray(4, 'b')}}, "x.bin.002", true, ""},
        SetCase {"FirstMissing", {{"x.bin.002", "b"}}, "x.bin.002", true, "x.bin.001"},
        SetCase {"GapBeforeALaterPart", {{"x.bin.001", QByteArray(10, 'a')}, {"x.bin.003", "c"}}, "x.bin.001", true, "x.bin.002"},
        SetCase {"OpenedPartBeyondTheSet", {{"x.bin.001", QByteArray(10, 'a')}}, "x.bin.004", true, "x.bin.002"},
        // A 7z says how long it is: two full parts of 64 bytes do not hold 150.
        SetCase {"SevenZipShorterThanItSays", {{"x.7z.001", sevenZipStart(150, 64)}, {"x.7z.002", QByteArray(64, 'y')}}, "x.7z.001", true, "x.7z.003"},
        SetCase {"SevenZipAsLongAsItSays", {{"x.7z.001", sevenZipStart(128, 64)}, {"x.7z.002", QByteArray(64, 'y')}}, "x.7z.001", true, ""},
        // A zip ends with its end record.
        SetCase {"ZipWithoutItsEnd", {{"x.zip.001", QByteArray("PK\x03\x04", 4) + QByteArray(60, 'z')}, {"x.zip.002", QByteArray(64, 'z')}}, "x.zip.002", true, "x.zip.003"},
        SetCase {"ZipWithItsEnd", {{"x.zip.001", QByteArray("PK\x03\x04", 4) + QByteArray(60, 'z')}, {"x.zip.002", QByteArray(42, 'z') + QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0')}}, "x.zip.001", true, ""}),
    [](const ::testing::TestParamInfo<SetCase>& info) { return std::string(info.param.name); });

std::string folded(const std::string& listing, std::size_t chunk)
{
    SplitHeadFolder folder("/d/x.7z.002");
    std::string out;
    for (std::size_t at = 0; at < listing.size(); at += chunk)
        folder.feed(std::string_view(listing).substr(at, chunk), out);
    folder.finish(out);
    return out;
}

TEST(SplitHead, ReadsLikeTheSplitArchivesHeadInEveryChunking)
{
    const std::string entries = "Path = vol\nFolder = +\n\nPath = vol/a\nFolder = -\n\n";
    const std::string split = "\n7-Zip\n\nListing archive: /d/x.7z.001\n\n--\nPath = /d/x.7z.001\nType = Split\nVolumes = 3\n----\n"
                              "Path = x.7z\nSize = 300\n--\nPath = x.7z\nType = 7z\nSolid = +\n\n----------\n";
    const std::string plain = "\n7-Zip\n\nListing archive: /d/x.7z.002\n\n--\nPath = /d/x.7z.002\nType = 7z\nSolid = +\n\n----------\n";
    for (std::size_t chunk : {std::size_t(1), std::size_t(5), std::size_t(4096)}) {
        EXPECT_EQ(folded(split + entries, chunk), plain + entries) << chunk;
        // A head that is no set's is only named after the part.
        EXPECT_EQ(folded("Listing archive: /d/x.7z.001\n\n--\nPath = /d/x.7z.001\nType = tar\n\n----------\n" + entries, chunk),
            "Listing archive: /d/x.7z.002\n\n--\nPath = /d/x.7z.002\nType = tar\n\n----------\n" + entries)
            << chunk;
        // 7-Zip that could not open the set passes as it said it.
        EXPECT_EQ(folded("\nListing archive: /d/x.7z.001\n\nErrors: 1\n", chunk), "\nListing archive: /d/x.7z.001\n\nErrors: 1\n");
    }
}

} // namespace

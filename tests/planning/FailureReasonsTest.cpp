// The failure alert's reasons, read from what 7-Zip and the adapter print.
#include "core/FailureReasons.h"

#include <gtest/gtest.h>

namespace quendle {
namespace {

struct ReasonCase {
    const char* name;
    const char* output;
    QStringList reasons;
};

class Reasons : public testing::TestWithParam<ReasonCase> { };

TEST_P(Reasons, ArePlainOncePerPathAndAtMostFive)
{
    const ReasonCase& c = GetParam();
    FailureReasons whole;
    whole.feed(QString::fromUtf8(c.output));
    EXPECT_EQ(whole.reasons(), c.reasons);
    // Chunks end anywhere; the reading is the same.
    FailureReasons streamed;
    for (const QChar ch : QString::fromUtf8(c.output))
        streamed.feed(QString(ch));
    EXPECT_EQ(streamed.reasons(), c.reasons);
}

INSTANTIATE_TEST_SUITE_P(Outputs, Reasons,
    testing::Values(
        ReasonCase {"ErrorsBlockOfATruncatedZip",
            "Path = cut.zip\nType = zip\nERRORS:\nUnexpected end of archive\nPhysical Size = 20000\n\nSub items Errors: 1\n",
            {"Unexpected end of archive"}},
        ReasonCase {"ErrnoNumberWithItsText", "ERROR: Cannot open output file : errno=30 : Read-only file system : /ro/a\n",
            {"Cannot open output file: Read-only file system: /ro/a"}},
        ReasonCase {"FullDiskWithTheReasonOnTheNextLine", "System ERROR:\nerrno=28 : No space left on device\n",
            {"No space left on device"}},
        ReasonCase {"CommandLineErrorOnTheNextLine", "Command Line Error:\nCannot find archive\n", {"Cannot find archive"}},
        ReasonCase {"ErrnoNumberAlone", "ERROR: Cannot open output file : errno=13 : /d/a\n",
            {"Cannot open output file: Permission denied: /d/a"}},
        ReasonCase {"PathSaidTwice", "ERROR: /d/n.zip : /d/n.zip: Couldn't recognize the archive format.\n",
            {"/d/n.zip: Couldn't recognize the archive format."}},
        ReasonCase {"AdapterLine", "7z: 7-Zip is not installed (none of 7zz, 7z or 7za was found on PATH)\n",
            {"7-Zip is not installed (none of 7zz, 7z or 7za was found on PATH)"}},
        ReasonCase {"OpenErrorAndRepeats", "ERROR: n.7z\nn.7z\nOpen ERROR: Can not open the file as [7z] archive\n"
                                           "ERROR: n.7z\nERRORS:\nIs not archive\n",
            {"n.7z", "Can not open the file as [7z] archive", "Is not archive"}},
        ReasonCase {"AtMostFive", "ERROR: 1\nERROR: 2\nERROR: 3\nERROR: 4\nERROR: 5\nERROR: 6\n", {"1", "2", "3", "4", "5"}},
        ReasonCase {"LastLineWithoutLineFeed", "progress 50%\rERROR: Data Error : big.bin", {"Data Error: big.bin"}},
        ReasonCase {"NothingSaid", "Everything is Ok\n", {}}),
    [](const testing::TestParamInfo<ReasonCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace quendle

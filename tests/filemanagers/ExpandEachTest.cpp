// The helper's command line: the archives the file managers hand it, as paths or file URIs, and
// Thunar's archive plugin calls.
#include "filemanagers/ExpandEach.h"

#include <gtest/gtest.h>

namespace {

using namespace quendle::expandeach;

struct PathCase {
    const char* name;
    std::string argument;
    std::optional<std::string> path;
};

void PrintTo(const PathCase& c, std::ostream* out)
{
    *out << c.name;
}

class LocalPath : public testing::TestWithParam<PathCase> { };

TEST_P(LocalPath, NamesTheFileOrNothing)
{
    EXPECT_EQ(localPath(GetParam().argument), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Arguments, LocalPath,
    testing::Values(PathCase {"PlainPath", "/a/b c.zip", "/a/b c.zip"},
        PathCase {"PlainPathKeepsPercent", "/a/100%41.zip", "/a/100%41.zip"},
        PathCase {"RelativePath", "album.zip", "album.zip"},
        PathCase {"FileUri", "file:///home/u/Bob's%20album.zip", "/home/u/Bob's album.zip"},
        PathCase {"UpperCaseEscapesAndScheme", "FILE:///a%2Fb%C3%A9.zip", "/a/b\xC3\xA9.zip"},
        PathCase {"BytesThatAreNoUtf8", "file:///a%FF.zip", "/a\xFF.zip"},
        PathCase {"Localhost", "file://localhost/x.zip", "/x.zip"},
        PathCase {"OneSlash", "file:/x.zip", "/x.zip"},
        PathCase {"RemoteHost", "file://server/x.zip", std::nullopt},
        PathCase {"OtherScheme", "sftp://server/x.zip", std::nullopt},
        PathCase {"ColonInAName", "/a/b://c.zip", "/a/b://c.zip"},
        PathCase {"BrokenEscape", "file:///x%2.zip", std::nullopt},
        PathCase {"EscapeAtTheEnd", "file:///x%", std::nullopt},
        PathCase {"Nul", "file:///x%00.zip", std::nullopt},
        PathCase {"Fragment", "file:///x.zip#part", std::nullopt},
        PathCase {"NoPath", "file://", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

struct CommandLineCase {
    const char* name;
    bool asTap;
    std::vector<std::string> arguments;
    int status;                        // 0: a request
    std::vector<std::string> archives; // of the request
    std::string into;
    bool chooseInto = false;
};

void PrintTo(const CommandLineCase& c, std::ostream* out)
{
    *out << c.name;
}

class HelperCommandLine : public testing::TestWithParam<CommandLineCase> { };

TEST_P(HelperCommandLine, GivesTheRequestOrTheStatus)
{
    const CommandLineCase& c = GetParam();
    const Parsed parsed = parseCommandLine(c.arguments, c.asTap);
    if (c.status != 0) {
        EXPECT_FALSE(parsed.request);
        EXPECT_EQ(parsed.status, c.status);
        EXPECT_FALSE(parsed.message.empty());
        return;
    }
    ASSERT_TRUE(parsed.request) << parsed.message;
    EXPECT_EQ(parsed.request->archives, c.archives);
    EXPECT_EQ(parsed.request->into, c.into);
    EXPECT_EQ(parsed.request->chooseInto, c.chooseInto);
}

INSTANTIATE_TEST_SUITE_P(Calls, HelperCommandLine,
    testing::Values(CommandLineCase {"Archives", false, {"/a.zip", "file:///b%20c.7z"}, 0, {"/a.zip", "/b c.7z"}, ""},
        CommandLineCase {"Into", false, {"--into", "/out", "/a.zip"}, 0, {"/a.zip"}, "/out"},
        CommandLineCase {"IntoJoined", false, {"--into=/out", "/a.zip"}, 0, {"/a.zip"}, "/out"},
        CommandLineCase {"DashNameAfterDoubleDash", false, {"--", "-odd.zip"}, 0, {"-odd.zip"}, ""},
        CommandLineCase {"NoArchive", false, {}, kUsageStatus, {}, ""},
        CommandLineCase {"IntoWithoutFolder", false, {"--into"}, kUsageStatus, {}, ""},
        CommandLineCase {"UnknownOption", false, {"--bogus", "/a.zip"}, kUsageStatus, {}, ""},
        CommandLineCase {"RemoteUri", false, {"file://server/a.zip"}, kUsageStatus, {}, ""},
        CommandLineCase {"TapExtractHere", true, {"extract-here", "/dir", "/dir/a.zip", "/dir/b.zip"}, 0,
            {"/dir/a.zip", "/dir/b.zip"}, ""},
        CommandLineCase {"TapExtractTo", true, {"extract-to", "/home/u", "/dir/a.zip"}, 0, {"/dir/a.zip"}, "/home/u", true},
        CommandLineCase {"TapCreate", true, {"create", "/dir", "/dir/a.txt"}, kUnsupportedStatus, {}, ""},
        CommandLineCase {"TapUnknownAction", true, {"shred", "/dir", "/dir/a.zip"}, kUnsupportedStatus, {}, ""},
        CommandLineCase {"TapWithoutFiles", true, {"extract-here", "/dir"}, kUsageStatus, {}, ""},
        CommandLineCase {"TapTooShort", true, {"extract-here"}, kUsageStatus, {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HelperLaunch, RunsTheQuendleOfItsInstallationWithTheArchiveAfterDoubleDash)
{
    EXPECT_EQ(quendleBeside("/usr/libexec/quendle/quendle-expand-each"), "/usr/bin/quendle");
    EXPECT_EQ(launchArguments("/usr/bin/quendle", {{"/a.zip"}, "", false}, "-a.zip"),
        (std::vector<std::string> {"/usr/bin/quendle", "--", "-a.zip"}));
    EXPECT_EQ(launchArguments("/usr/bin/quendle", {{"/a.zip"}, "/out dir", false}, "/a.zip"),
        (std::vector<std::string> {"/usr/bin/quendle", "--into", "/out dir", "--", "/a.zip"}));
}

} // namespace

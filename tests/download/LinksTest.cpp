// The maker's three addresses and their replacement through the environment.
#include "download/Links.h"

#include <gtest/gtest.h>

namespace quendle {
namespace {

struct LinkCase {
    const char* name;
    QUrl (*address)();
    const char* variable;
    const char* path; // the fixed path of the built-in address
};

void PrintTo(const LinkCase& c, std::ostream* os)
{
    *os << c.name;
}

class LinksTest : public ::testing::TestWithParam<LinkCase> {
protected:
    void TearDown() override { qunsetenv(GetParam().variable); }
};

TEST_P(LinksTest, BuiltInAddressIsPlainHttpOnTheMakersHostWithItsFixedPath)
{
    qunsetenv(GetParam().variable);
    const QUrl url = GetParam().address();
    EXPECT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), QStringLiteral("http"));
    EXPECT_TRUE(url.host().endsWith(QStringLiteral("quendle.org"))) << url.toString().toStdString();
    EXPECT_EQ(url.path(), QString::fromLatin1(GetParam().path));
    EXPECT_TRUE(url.query().isEmpty());
}

TEST_P(LinksTest, TheEnvironmentReplacesTheAddressUnlessEmpty)
{
    const QUrl builtIn = GetParam().address();
    qputenv(GetParam().variable, "http://127.0.0.1:8080/mirror/file?x=1");
    EXPECT_EQ(GetParam().address(), QUrl(QStringLiteral("http://127.0.0.1:8080/mirror/file?x=1")));
    qputenv(GetParam().variable, "");
    EXPECT_EQ(GetParam().address(), builtIn);
}

INSTANTIATE_TEST_SUITE_P(Links, LinksTest,
    ::testing::Values(LinkCase {"HomePage", homePageUrl, "QUENDLE_HOME_PAGE_URL", "/"},
        LinkCase {"Tickets", ticketsUrl, "QUENDLE_TICKETS_URL", "/"},
        LinkCase {"Companion", companionUrl, "QUENDLE_COMPANION_URL", "/dmg/Vorlith.dmg"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quendle

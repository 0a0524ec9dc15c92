// Zip names stored in a code page without the UTF-8 flag, as DOS and Windows tools of every
// part of the world wrote them, listed and expanded by the archiver adapter under C.UTF-8 (the
// locale of most Linux installations): the page is judged from the names, and backslashes of
// DOS and Windows names are folders.
#include "core/Listing.h"
#include "support/WholeListing.h"
#include "formats/FormatFixtures.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using namespace quendle;
using namespace quendle::formats;

namespace {

struct NamesCase {
    const char* name;
    const char* encoding; // as Python names it; "utf-8" with the flag, from a Unix host
    QStringList items;    // NAME=CONTENTS; folders end in "/"
    Tree expected;        // empty: the items as they are
};

void PrintTo(const NamesCase& c, std::ostream* out)
{
    *out << c.name;
}

Tree treeOf(const QStringList& items)
{
    Tree tree;
    for (const QString& item : items)
        tree.insert(item.section(u'=', 0, 0), item.section(u'=', 1).toUtf8());
    return tree;
}

class LegacyNames : public ::testing::TestWithParam<NamesCase> {};

TEST_P(LegacyNames, AreReadInThePageTheyShow)
{
    if (test::sevenZip().isEmpty())
        GTEST_SKIP() << "7-Zip is not installed";
    const NamesCase& c = GetParam();
    QTemporaryDir dir;
    const QString archive = dir.path() + QStringLiteral("/names.zip");
    const bool utf8 = QByteArray(c.encoding) == "utf-8";
    QString why;
    ASSERT_TRUE(makeZipWithNames(archive, QString::fromLatin1(c.encoding), utf8, c.items, &why)) << qPrintable(why);
    const Tree expected = c.expected.isEmpty() ? treeOf(c.items) : c.expected;

    test::ToolRunOptions options;
    options.environment = {{"LANG", "C.UTF-8"}, {"LC_ALL", std::nullopt}, {"LC_CTYPE", std::nullopt}};
    const test::ToolRun listed = test::runTool(test::testToolPath(), {QStringLiteral("l"), archive, QStringLiteral("-slt")}, options);
    const std::optional<QString> text = decodeListing(listed.out);
    ASSERT_TRUE(text) << "not UTF-8";
    for (const QString& path : expected.keys()) {
        const QString entry = path.endsWith(u'/') ? path.chopped(1) : path;
        // A folder that only the backslashes make has no entry of its own.
        if (path.endsWith(u'/') && !treeOf(c.items).contains(path) && !c.expected.isEmpty())
            continue;
        EXPECT_TRUE(text->contains(QStringLiteral("\nPath = ") + entry + u'\n')) << qPrintable(entry) << qPrintable(*text);
    }

    const QString destination = dir.path() + QStringLiteral("/out");
    const test::ToolRun run = test::runTool(test::testToolPath(),
        {QStringLiteral("x"), archive, QStringLiteral("-o") + destination, QStringLiteral("-aoa")}, options);
    EXPECT_EQ(run.exitCode(), 0) << run.err.constData();
    EXPECT_EQ(readTree(destination), expected);
    // Qt cannot name wrongly decoded files to remove them.
    test::runProgram(QStringLiteral("rm"), {QStringLiteral("-rf"), destination});
}

INSTANTIATE_TEST_SUITE_P(Pages, LegacyNames,
    ::testing::Values(
        NamesCase {"Cp437", "cp437",
            {QStringLiteral("Gr\u00fc\u00dfe aus M\u00fcnchen/"), QStringLiteral("Gr\u00fc\u00dfe aus M\u00fcnchen/Brief an M\u00fcller.txt=b"),
                QStringLiteral("Gr\u00fc\u00dfe aus M\u00fcnchen/Fotos f\u00fcr J\u00fcrgen.jpg=f"), QStringLiteral("Pr\u00e4sentation M\u00e4rz.ppt=p")}, {}},
        // Letters that 850 shares with 437; the others need a Western European locale.
        NamesCase {"Cp850", "cp850",
            {QStringLiteral("F\u00eate de l'\u00e9t\u00e9/"), QStringLiteral("F\u00eate de l'\u00e9t\u00e9/Se\u00f1or Mu\u00f1oz.doc=s"),
                QStringLiteral("F\u00eate de l'\u00e9t\u00e9/Men\u00fc f\u00fcr Fran\u00e7ois.txt=m")}, {}},
        NamesCase {"Cp866", "cp866",
            {QStringLiteral("\u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b/"),
                QStringLiteral("\u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b/\u041e\u0442\u0447\u0451\u0442 \u0437\u0430 \u043c\u0430\u0440\u0442.doc=o"),
                QStringLiteral("\u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b/\u0424\u043e\u0442\u043e\u0433\u0440\u0430\u0444\u0438\u0438 \u0441 \u043e\u0442\u043f\u0443\u0441\u043a\u0430.jpg=f")}, {}},
        NamesCase {"Cp1251", "cp1251",
            {QStringLiteral("\u041f\u0440\u0435\u0437\u0435\u043d\u0442\u0430\u0446\u0438\u044f/"),
                QStringLiteral("\u041f\u0440\u0435\u0437\u0435\u043d\u0442\u0430\u0446\u0438\u044f/\u041e\u0442\u0447\u0451\u0442 \u0437\u0430 \u043c\u0430\u0440\u0442.doc=o"),
                QStringLiteral("\u041f\u0440\u0435\u0437\u0435\u043d\u0442\u0430\u0446\u0438\u044f/\u0421\u043f\u0438\u0441\u043e\u043a \u0433\u043e\u0441\u0442\u0435\u0439.xls=g")}, {}},
        // "\u8868" is 0x95 0x5C in Shift-JIS: its second byte is a backslash.
        NamesCase {"ShiftJis", "cp932",
            {QStringLiteral("\u5199\u771f/"), QStringLiteral("\u5199\u771f/\u590f\u4f11\u307f\u306e\u65c5\u884c.jpg=j"),
                QStringLiteral("\u5199\u771f/\u4f1a\u8b70\u8cc7\u6599_2024\u5e743\u6708.xlsx=x"), QStringLiteral("\u5199\u771f/\u4e88\u5b9a\u8868.xls=y")}, {}},
        NamesCase {"Gbk", "gbk",
            {QStringLiteral("\u7167\u7247/"), QStringLiteral("\u7167\u7247/\u6691\u5047\u65c5\u884c.jpg=j"),
                QStringLiteral("\u7167\u7247/\u4f1a\u8bae\u8d44\u6599_2024\u5e743\u6708.xlsx=x"), QStringLiteral("\u7167\u7247/\u8bf4\u660e\u4e66.txt=t")}, {}},
        NamesCase {"Cp949", "cp949",
            {QStringLiteral("\uc0ac\uc9c4/"), QStringLiteral("\uc0ac\uc9c4/\uc5ec\ub984 \ud734\uac00 \uc5ec\ud589.jpg=j"),
                QStringLiteral("\uc0ac\uc9c4/\ud68c\uc758 \uc790\ub8cc_2024\ub144 3\uc6d4.xlsx=x"), QStringLiteral("\uc0ac\uc9c4/\uc124\uba85\uc11c.txt=t")}, {}},
        NamesCase {"Big5", "big5",
            {QStringLiteral("\u7167\u7247/"), QStringLiteral("\u7167\u7247/\u6691\u5047\u65c5\u884c.jpg=j"),
                QStringLiteral("\u7167\u7247/\u6703\u8b70\u8cc7\u6599_2024\u5e743\u6708.xlsx=x"), QStringLiteral("\u7167\u7247/\u8aaa\u660e\u66f8.txt=t")}, {}},
        // Windows tools that wrote backslashes: folders, as unzip and unar make them; one that
        // would lead out of the destination stays a character.
        NamesCase {"DosBackslashesAreFolders", "cp866",
            {QStringLiteral("\u041e\u0442\u0447\u0451\u0442\\\u041c\u0430\u0440\u0442\\\u0438\u0442\u043e\u0433\u0438.doc=i"),
                QStringLiteral("\u041e\u0442\u0447\u0451\u0442\\\u0444\u043e\u0442\u043e.jpg=f"), QStringLiteral("..\\\u0432\u044b\u0448\u0435.txt=u")},
            Tree {{QStringLiteral("\u041e\u0442\u0447\u0451\u0442/"), {}}, {QStringLiteral("\u041e\u0442\u0447\u0451\u0442/\u041c\u0430\u0440\u0442/"), {}},
                {QStringLiteral("\u041e\u0442\u0447\u0451\u0442/\u041c\u0430\u0440\u0442/\u0438\u0442\u043e\u0433\u0438.doc"), "i"},
                {QStringLiteral("\u041e\u0442\u0447\u0451\u0442/\u0444\u043e\u0442\u043e.jpg"), "f"}, {QStringLiteral("..\\\u0432\u044b\u0448\u0435.txt"), "u"}}},
        NamesCase {"UnixBackslashStays", "utf-8", {QStringLiteral("top/"), QStringLiteral("top/a\\b.txt=ab")}, {}}),
    [](const ::testing::TestParamInfo<NamesCase>& info) { return std::string(info.param.name); });

} // namespace

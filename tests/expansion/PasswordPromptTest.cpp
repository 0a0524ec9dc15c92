// The password window of an encrypted archive, with the real 7-Zip behind the adapter.
#include "support/ExpansionFixture.h"

#include "progress/ExtractingProgressWindow.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

namespace quendle::test {
namespace {

TEST_F(ExpansionTest, EncryptedArchiveRefusesAWrongPasswordThenExpandsWithTheRightOne)
{
    const QString archive = makeArchive(QStringLiteral("secret.v1.7z"),
        {{QStringLiteral("vault/a.txt"), "a"}, {QStringLiteral("vault/b.txt"), "b"}},
        {QStringLiteral("-pOpen Sesame"), QStringLiteral("-mhe=on")});
    // The names are hidden, so the expected result is "secret.v1"; a refused password once sent
    // that path less its extension to the Trash. It is the user's, and stays.
    writeFile(work() + QStringLiteral("/secret/keep.txt"), "keep");

    delegate->applicationOpenFile(archive);
    ASSERT_TRUE(passwordWindow()->isVisible());
    EXPECT_FALSE(delegate->extractProgressWindow()->window()->isVisible());
    EXPECT_EQ(passwordWindow()->findChild<QLabel*>(QStringLiteral("mTopTextOnPasswordWindow"))->text(),
        QStringLiteral("Type in password for secret.v1.7z"));
    EXPECT_FALSE(wrongPasswordNoticeShown());

    typePasswordAndPressOk(QStringLiteral("Open"));
    EXPECT_TRUE(wrongPasswordNoticeShown());
    EXPECT_TRUE(passwordWindow()->isVisible());
    EXPECT_EQ(delegate->mExtractTimer(), nullptr);
    typePasswordAndPressOk(QString());
    EXPECT_TRUE(wrongPasswordNoticeShown());
    EXPECT_EQ(readFile(work() + QStringLiteral("/secret/keep.txt")), QByteArray("keep"));
    EXPECT_FALSE(QDir(mHome.dataHome() + QStringLiteral("/Trash/files")).exists()
        && !QDir(mHome.dataHome() + QStringLiteral("/Trash/files")).isEmpty());

    typePasswordAndPressOk(QStringLiteral("Open Sesame"));
    EXPECT_FALSE(passwordWindow()->isVisible());
    EXPECT_FALSE(wrongPasswordNoticeShown());
    EXPECT_EQ(delegate->mArgs().last(), QStringLiteral("-pOpen Sesame"));
    EXPECT_EQ(delegate->amountFilesInArchive(), 3);
    // The names the password revealed decide where the result is.
    EXPECT_EQ(delegate->whatToShow(), work() + QStringLiteral("/vault"));
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(readFile(work() + QStringLiteral("/vault/b.txt")), QByteArray("b"));
    EXPECT_EQ(readFile(work() + QStringLiteral("/secret/keep.txt")), QByteArray("keep"));
    EXPECT_TRUE(seam.alerts.isEmpty());
    EXPECT_EQ(seam.terminateCount, 1);
}

TEST_F(ExpansionTest, EmptyPasswordReachesTheArchiverAsPAlone)
{
    const QString record = work() + QStringLiteral("/arguments");
    useFakeTool(QByteArray(R"(for a in "$@"; do printf '[%s]' "$a" >> ')") + record.toUtf8() + R"('; done
echo >> ')" + record.toUtf8() + R"('
case "$1" in
l) if [ $# -lt 4 ]; then echo 'Can not open encrypted archive.'; else printf 'Path = %s\n\nPath = e/f\n' "$2"; fi ;;
x) mkdir -p "${3#-o}/e" ;;
esac
)");
    const QString archive = work() + QStringLiteral("/e.7z");
    writeFile(archive, "e");
    delegate->applicationOpenFile(archive);
    ASSERT_TRUE(passwordWindow()->isVisible());
    typePasswordAndPressOk(QString());
    ASSERT_TRUE(waitForCompletion());
    const QList<QByteArray> calls = readFile(record).trimmed().split('\n');
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls[1], "[l][" + archive.toUtf8() + "][-slt][-p]");
    EXPECT_EQ(calls[2], "[x][" + archive.toUtf8() + "][-o" + work().toUtf8() + "][-aoa][-p]");
}

TEST_F(ExpansionTest, ASecondArchiveReplacesTheOneWaitingForItsPassword)
{
    const QString first = makeArchive(QStringLiteral("one.7z"), {{QStringLiteral("one/x"), "1"}},
        {QStringLiteral("-pfirst"), QStringLiteral("-mhe=on")});
    const QString second = makeArchive(QStringLiteral("two.7z"), {{QStringLiteral("two/y"), "2"}},
        {QStringLiteral("-psecond"), QStringLiteral("-mhe=on")});
    delegate->applicationOpenFile(first);
    ASSERT_TRUE(passwordWindow()->isVisible());
    delegate->applicationOpenFile(second);
    EXPECT_TRUE(seam.alerts.isEmpty());
    EXPECT_EQ(passwordWindow()->findChild<QLabel*>(QStringLiteral("mTopTextOnPasswordWindow"))->text(),
        QStringLiteral("Type in password for two.7z"));
    EXPECT_EQ(delegate->mArgs().at(1), second);

    typePasswordAndPressOk(QStringLiteral("second"));
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(readFile(work() + QStringLiteral("/two/y")), QByteArray("2"));
    EXPECT_FALSE(QFileInfo::exists(work() + QStringLiteral("/one")));
}

TEST_F(ExpansionTest, CancelInThePasswordWindowQuits)
{
    const QString archive = makeArchive(QStringLiteral("c.7z"), {{QStringLiteral("c/x"), "1"}},
        {QStringLiteral("-pc"), QStringLiteral("-mhe=on")});
    delegate->applicationOpenFile(archive);
    passwordWindow()->findChild<QPushButton*>(QStringLiteral("mCnlButtonPasswordWindow"))->click();
    EXPECT_EQ(seam.terminateCount, 1);
    EXPECT_FALSE(QFileInfo::exists(work() + QStringLiteral("/c")));
}

TEST_F(ExpansionTest, WithoutAWindowThePasswordIsAskedForUntilItIsRightOrCancelled)
{
    const QString archive = makeArchive(QStringLiteral("h.7z"), {{QStringLiteral("h/x"), "1"}},
        {QStringLiteral("-pright"), QStringLiteral("-mhe=on")});
    seam.passwordReplies = {{Seam::PasswordReply::Typed, QStringLiteral("wrong")},
        {Seam::PasswordReply::Typed, QStringLiteral("right")}};
    delegate->applicationOpenFile(archive);
    EXPECT_EQ(seam.passwordQuestions, 2);
    EXPECT_FALSE(passwordWindow()->isVisible());
    ASSERT_TRUE(waitForCompletion());
    EXPECT_EQ(readFile(work() + QStringLiteral("/h/x")), QByteArray("1"));

    relaunch();
    seam = ScriptedSeam();
    seam.passwordReplies = {{Seam::PasswordReply::Typed, QStringLiteral("wrong")},
        {Seam::PasswordReply::Cancelled, QString()}};
    const QString other = makeArchive(QStringLiteral("i.7z"), {{QStringLiteral("i/x"), "1"}},
        {QStringLiteral("-pright"), QStringLiteral("-mhe=on")});
    delegate->applicationOpenFile(other);
    EXPECT_EQ(seam.passwordQuestions, 2);
    EXPECT_EQ(seam.terminateCount, 1);
    EXPECT_FALSE(passwordWindow()->isVisible());
    EXPECT_FALSE(QFileInfo::exists(work() + QStringLiteral("/i")));
}

} // namespace
} // namespace quendle::test

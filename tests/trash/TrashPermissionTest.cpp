// Move to Trash refuses items this user may not remove, checked as the unprivileged "nobody".
#include "trash/FileManager.h"

#include "support/ScriptedSeam.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quendle {
namespace {

struct Identity {
    uid_t uid = 65534;
    gid_t gid = 65534;
};

Identity nobody()
{
    Identity id;
    if (const passwd* entry = ::getpwnam("nobody")) {
        id.uid = entry->pw_uid;
        id.gid = entry->pw_gid;
    }
    return id;
}

// Runs `check` in a child process that has become `who`, and returns what it wrote. A child
// that could not change identity answers "!" and the reason.
QByteArray runAs(Identity who, const std::function<QByteArray()>& check)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return "!pipe: " + QByteArray(std::strerror(errno));
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        QByteArray answer;
        if (::setgroups(0, nullptr) != 0 || ::setgid(who.gid) != 0 || ::setuid(who.uid) != 0)
            answer = "!cannot become nobody: " + QByteArray(std::strerror(errno));
        else
            answer = check();
        for (qsizetype done = 0; done < answer.size();) {
            const ssize_t n = ::write(fds[1], answer.constData() + done, size_t(answer.size() - done));
            if (n <= 0)
                break;
            done += n;
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    QByteArray answer;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        answer.append(buffer, n);
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return answer;
}

void make(const QString& path, unsigned mode, uid_t owner, bool folder)
{
    const QByteArray name = QFile::encodeName(path);
    if (folder)
        ::mkdir(name.constData(), 0700);
    else
        test::writeFile(path, "x");
    ASSERT_EQ(::chown(name.constData(), owner, owner), 0) << path.toStdString();
    ASSERT_EQ(::chmod(name.constData(), mode), 0) << path.toStdString();
}

// What one user sees when asking to trash `item` with alerts on, in both layouts.
QByteArray trashOutcome(const QString& item)
{
    QByteArray outcome;
    for (const TrashLayout layout : {TrashLayout::Freedesktop, TrashLayout::MacOS}) {
        test::ScriptedSeam seam;
        TrashSetting setting;
        setting.layout = layout;
        const bool trashed = FileManager(seam, setting).trashPath(item, true);
        outcome += (trashed ? "moved" : "refused") + QByteArray(" alerts=") + QByteArray::number(seam.alerts.size())
            + " panels=" + QByteArray::number(seam.panels.size()) + " log=" + seam.logLines.join(u'|').toUtf8()
            + " left=" + (QFile::exists(item) ? "yes" : "no") + '\n';
    }
    return outcome;
}

class TrashPermissions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mBase.isValid());
        // Temporary folders are private; nobody must at least be able to look inside.
        ASSERT_EQ(::chmod(QFile::encodeName(base).constData(), 0755), 0);
        QDir().mkpath(base + QStringLiteral("/locked"));
        test::writeFile(base + QStringLiteral("/locked/a.txt"), "a");
    }
    QTemporaryDir mBase;
    const QString base = mBase.path();
    const QString lockedItem = base + QStringLiteral("/locked/a.txt");
};

TEST_F(TrashPermissions, AnItemInAFolderWeCannotWriteIsLoggedAndRefused)
{
    const QByteArray expected = "refused alerts=0 panels=0 log=don't have the permissions to trash file: "
        + QFile::encodeName(lockedItem) + " left=yes\n";
    QByteArray outcome;
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(base + QStringLiteral("/locked")).constData(), 0555), 0);
        outcome = trashOutcome(lockedItem);
        ::chmod(QFile::encodeName(base + QStringLiteral("/locked")).constData(), 0755);
    } else {
        // The superuser may write anywhere, so the refusal is checked as nobody.
        ASSERT_EQ(::chmod(QFile::encodeName(base + QStringLiteral("/locked")).constData(), 0755), 0);
        outcome = runAs(nobody(), [this] { return trashOutcome(lockedItem); });
        if (outcome.startsWith('!'))
            GTEST_SKIP() << "the superuser can write to every folder, and " << outcome.mid(1).toStdString();
    }
    EXPECT_EQ(outcome, expected + expected);
}

TEST_F(TrashPermissions, TheStickyBitLimitsRemovalToTheOwners)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser can lay out files of two owners";
    const Identity other = nobody();
    const QStringList cases = {
        QStringLiteral("locked/a.txt"),
        QStringLiteral("locked/missing.txt"),
        QStringLiteral("hidden/root.txt"),
        QStringLiteral("open/root.txt"),
        QStringLiteral("sticky/root.txt"),
        QStringLiteral("sticky/nobodys.txt"),
        QStringLiteral("stickyOfNobody/root.txt"),
    };
    make(base + QStringLiteral("/hidden"), 0700, 0, true);
    make(base + QStringLiteral("/hidden/root.txt"), 0644, 0, false);
    make(base + QStringLiteral("/open"), 0777, 0, true);
    make(base + QStringLiteral("/open/root.txt"), 0644, 0, false);
    make(base + QStringLiteral("/sticky"), 01777, 0, true);
    make(base + QStringLiteral("/sticky/root.txt"), 0644, 0, false);
    make(base + QStringLiteral("/sticky/nobodys.txt"), 0644, other.uid, false);
    make(base + QStringLiteral("/stickyOfNobody"), 01755, other.uid, true);
    make(base + QStringLiteral("/stickyOfNobody/root.txt"), 0644, 0, false);

    const QByteArray answer = runAs(other, [&] {
        QByteArray lines;
        for (const QString& item : cases)
            lines += item.toUtf8() + (isDeletableFile(base + u'/' + item) ? " deletable\n" : " kept\n");
        return lines;
    });
    if (answer.startsWith('!'))
        GTEST_SKIP() << answer.mid(1).toStdString();
    EXPECT_EQ(answer,
        QByteArray("locked/a.txt kept\n"
                   "locked/missing.txt kept\n"
                   "hidden/root.txt kept\n"
                   "open/root.txt deletable\n"
                   "sticky/root.txt kept\n"
                   "sticky/nobodys.txt deletable\n"
                   "stickyOfNobody/root.txt deletable\n"));
    // The superuser may remove all of them but the missing one.
    for (const QString& item : cases)
        EXPECT_EQ(isDeletableFile(base + u'/' + item), item != QStringLiteral("locked/missing.txt")) << item.toStdString();
}

} // namespace
} // namespace quendle

// The per-user single instance in one process: hand-over, a stale socket, a live one, the socket's place.
#include "app/SingleInstance.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace quendle {
namespace {

// A launch from another process, played by a thread: the blocking hand-over runs there while
// this thread's event loop lets the listening instance answer.
bool handOverFromAnotherLaunch(const QStringList& files)
{
    std::atomic<int> result {-1};
    std::thread launch([&] { result = SingleInstance::handOver(files) ? 1 : 0; });
    quendle::test::spinUntil([&] { return result >= 0; }, 30000);
    launch.join();
    return result == 1;
}

// Each test has a private runtime folder of its own (and its own HOME and XDG folders).
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mHome.isValid()); }

    // Received lists, in order, once the event loop has delivered them.
    QList<QStringList> receivedBy(SingleInstance& instance, const std::function<void()>& launches, int expected)
    {
        QList<QStringList> received;
        QObject context;
        QObject::connect(&instance, &SingleInstance::filesReceived, &context,
            [&received](const QStringList& files) { received.append(files); });
        launches();
        quendle::test::spinUntil([&] { return received.size() >= expected; }, 30000);
        return received;
    }

    quendle::test::TemporaryHome mHome;
};

TEST_F(SingleInstanceTest, TheSocketLivesInTheRuntimeFolderOnlyWhenItIsPrivate)
{
    EXPECT_EQ(SingleInstance::socketPath(), mHome.runtimeDir() + QStringLiteral("/quendle.socket"));
    // Others may enter: a folder of our own in the temporary folder is used instead.
    QFile::setPermissions(mHome.runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
    const QString own = QDir::tempPath() + QStringLiteral("/quendle-%1").arg(::getuid());
    EXPECT_EQ(SingleInstance::socketPath(), own + QStringLiteral("/quendle.socket"));
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(own).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(SingleInstanceTest, WithoutARunningInstanceNothingIsHandedOver)
{
    EXPECT_FALSE(SingleInstance::handOver({QStringLiteral("/tmp/a.zip")}));
}

TEST_F(SingleInstanceTest, TheRunningInstanceReceivesEveryLaunchsFilesInOrder)
{
    SingleInstance running;
    ASSERT_TRUE(running.listen());
    const QStringList first {QStringLiteral("/home/u/with space/b.zip"), QStringLiteral("/home/u/ünï/c.7z")};
    const QStringList second {};
    QList<bool> answered;
    const QList<QStringList> received = receivedBy(running, [&] {
        answered.append(handOverFromAnotherLaunch(first));
        answered.append(handOverFromAnotherLaunch(second));
    }, 2);
    EXPECT_EQ(answered, (QList<bool> {true, true}));
    EXPECT_EQ(received, (QList<QStringList> {first, second}));
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashedInstanceDoesNotBlockTheNextLaunch)
{
    // A bound socket whose process is gone: the file stays, nobody accepts on it.
    const QByteArray path = QFile::encodeName(SingleInstance::socketPath());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFileInfo::exists(QFile::decodeName(path)));

    EXPECT_FALSE(SingleInstance::handOver({QStringLiteral("/tmp/a.zip")}));
    SingleInstance running;
    ASSERT_TRUE(running.listen());
    const QList<QStringList> received = receivedBy(running, [] {
        EXPECT_TRUE(handOverFromAnotherLaunch({QStringLiteral("/tmp/a.zip")}));
    }, 1);
    EXPECT_EQ(received, QList<QStringList> {{QStringLiteral("/tmp/a.zip")}});
}

TEST_F(SingleInstanceTest, ALiveInstanceKeepsItsSocket)
{
    SingleInstance running;
    ASSERT_TRUE(running.listen());
    SingleInstance late;
    EXPECT_FALSE(late.listen());
    const QList<QStringList> received = receivedBy(running, [] {
        EXPECT_TRUE(handOverFromAnotherLaunch({QStringLiteral("/tmp/d.tar")}));
    }, 1);
    EXPECT_EQ(received.size(), 1);
}

TEST_F(SingleInstanceTest, TheSocketGoesAwayWithTheInstance)
{
    {
        SingleInstance running;
        ASSERT_TRUE(running.listen());
        EXPECT_TRUE(QFileInfo::exists(SingleInstance::socketPath()));
    }
    EXPECT_FALSE(QFileInfo::exists(SingleInstance::socketPath()));
    EXPECT_FALSE(SingleInstance::handOver({}));
}

} // namespace
} // namespace quendle

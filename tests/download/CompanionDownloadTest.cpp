// The companion download and the web links, on a real delegate against a server on 127.0.0.1.
#include "app/QuendleAppDelegate.h"
#include "download/Links.h"
#include "download/TestHttpServer.h"
#include "prefs/UserDefaults.h"
#include "support/ScriptedSeam.h"
#include "support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <vector>

namespace quendle {
namespace {

using test::ScriptedSeam;
using test::TestHttpServer;

// Spelled out rather than taken from the code, so that every download below pins the place.
const QString kDestination = QStringLiteral("/tmp/AutoUpdater.dmg");
const QString kSuccessTitle = QStringLiteral("Update Downloaded");
const QString kSuccessMessage = QStringLiteral("Vorlith app will be found on the newly opened disk image.");
const QString kErrorTitle = QStringLiteral("Unable to Download");
const QString kErrorMessage = QStringLiteral("Quendle was not able to download Vorlith app from the server.");

// What sits beside the destination while a transfer is written ("AutoUpdater.dmg.XXXXXX").
QStringList partialFiles()
{
    return QDir(QFileInfo(kDestination).absolutePath())
        .entryList({QFileInfo(kDestination).fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden | QDir::System);
}

QByteArray imageBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 26);
    return bytes;
}

class CompanionDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The destination is fixed; a file the user has there is put aside and brought back.
        mBackup = kDestination + QStringLiteral(".quendle-test-%1").arg(QCoreApplication::applicationPid());
        if (QFileInfo::exists(kDestination) || QFileInfo(kDestination).isSymLink()) {
            ASSERT_TRUE(QFile::rename(kDestination, mBackup));
        }
        mPartialBefore = partialFiles();

        mDefaults = std::make_unique<UserDefaults>(mHome.configHome() + QStringLiteral("/quendle/quendle.conf"));
        QuendleAppDelegate::initialize(*mDefaults);
        mDelegate = std::make_unique<QuendleAppDelegate>(mSeam, *mDefaults);
        mDelegate->loadMainInterface();
        mPanel = mDelegate->downloadPanel();
        mBar = mPanel->findChild<QProgressBar*>(QStringLiteral("progressIndicator"));
        mField = mPanel->findChild<QLabel*>(QStringLiteral("progressField"));
        mBottomText = mDelegate->mMainWindow()->findChild<QWidget*>(QStringLiteral("mBottomText"));
        ASSERT_TRUE(mBar && mField && mBottomText);
    }

    void TearDown() override
    {
        mDelegate.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        qunsetenv("QUENDLE_COMPANION_URL");
        qunsetenv("QUENDLE_HOME_PAGE_URL");
        qunsetenv("QUENDLE_TICKETS_URL");
        QFile::remove(kDestination);
        if (QFileInfo::exists(mBackup))
            QFile::rename(mBackup, kDestination);
    }

    bool indeterminate() const { return mBar->minimum() == 0 && mBar->maximum() == 0; }

    // The state after any end of a download.
    void expectIdle() const
    {
        EXPECT_EQ(mField->text(), QString());
        EXPECT_FALSE(mPanel->isVisible());
        EXPECT_TRUE(mBar->isHidden());
        EXPECT_FALSE(mBottomText->isHidden());
        EXPECT_FALSE(mDelegate->downloadRunning());
        EXPECT_FALSE(mDelegate->downloadDestinationPath().has_value());
        EXPECT_FALSE(mDelegate->downloadExpectedLength().has_value());
        EXPECT_EQ(partialFiles(), mPartialBefore);
    }

    void expectOnlyPanel(const QString& title, const QString& message) const
    {
        ASSERT_EQ(mSeam.panels.size(), 1);
        EXPECT_EQ(mSeam.panels[0].title, title);
        EXPECT_EQ(mSeam.panels[0].message, message);
        EXPECT_EQ(mSeam.panels[0].defaultButton, QStringLiteral("OK"));
        EXPECT_EQ(mSeam.panels[0].alternateButton, QString());
        EXPECT_TRUE(mSeam.alerts.isEmpty());
    }

    bool finished() const { return !mSeam.panels.isEmpty(); }

    test::TemporaryHome mHome;
    ScriptedSeam mSeam;
    std::unique_ptr<UserDefaults> mDefaults;
    std::unique_ptr<QuendleAppDelegate> mDelegate;
    QWidget* mPanel = nullptr;
    QProgressBar* mBar = nullptr;
    QLabel* mField = nullptr;
    QWidget* mBottomText = nullptr;
    QString mBackup;
    QStringList mPartialBefore;
};

TEST_F(CompanionDownloadTest, StartShowsConnectingThenChunksOfAKnownLengthFillTheBarByQuarters)
{
    // A server that takes the request and never answers: the download stays Connecting.
    TestHttpServer server([](QTcpSocket*, const QByteArray&) { });
    mDelegate->startUpdateDownload(server.url(QStringLiteral("/dmg/Vorlith.dmg")));

    EXPECT_EQ(mField->text(), QStringLiteral("Connecting to server"));
    EXPECT_TRUE(mPanel->isVisible());
    EXPECT_FALSE(mBar->isHidden());
    EXPECT_TRUE(indeterminate());
    EXPECT_TRUE(mBottomText->isHidden());
    EXPECT_TRUE(mDelegate->downloadRunning());
    EXPECT_EQ(mDelegate->downloadDestinationPath(), kDestination);

    // The network can't be made to deliver exact chunks; the delegate's steps are driven here.
    mDelegate->downloadDidReceiveResponse(nullptr, 1000);
    EXPECT_EQ(mField->text(), QStringLiteral("Connected to server"));
    EXPECT_TRUE(indeterminate());
    for (const int percent : {25, 50, 75, 100}) {
        mDelegate->downloadDidReceiveDataOfLength(nullptr, 250);
        EXPECT_EQ(mDelegate->downloadProgressValue(), percent);
        EXPECT_EQ(mBar->value(), percent);
        EXPECT_EQ(mBar->maximum(), 100);
        EXPECT_EQ(mField->text(), QStringLiteral("Receiving data"));
    }

    mDelegate->downloadDidFailWithError(nullptr, QString());
    expectIdle();
    expectOnlyPanel(kErrorTitle, kErrorMessage);
    EXPECT_FALSE(QFileInfo::exists(kDestination));
}

struct PercentageCase {
    const char* name;
    std::int64_t expectedLength;
    std::vector<std::uint32_t> chunks;
    double lastValue;   // the computed percentage after the last chunk (-1: none computed)
    int lastBarValue;   // what the 0..100 bar shows (-1: indeterminate)
};

void PrintTo(const PercentageCase& c, std::ostream* os)
{
    *os << c.name;
}

class PercentageTest : public CompanionDownloadTest, public ::testing::WithParamInterface<PercentageCase> { };

TEST_P(PercentageTest, ComputesInSinglePrecisionWithoutClamping)
{
    const PercentageCase& c = GetParam();
    mDelegate->downloadDidReceiveResponse(nullptr, c.expectedLength);
    mBar->setRange(0, 0);
    for (const std::uint32_t chunk : c.chunks)
        mDelegate->downloadDidReceiveDataOfLength(nullptr, chunk);
    EXPECT_EQ(mField->text(), QStringLiteral("Receiving data"));
    if (c.lastBarValue < 0) {
        EXPECT_TRUE(indeterminate());
        EXPECT_EQ(mDelegate->downloadProgressValue(), 0.0);
    } else {
        EXPECT_EQ(mDelegate->downloadProgressValue(), c.lastValue); // exact: the float result, widened
        EXPECT_EQ(mBar->value(), c.lastBarValue);
    }
}

INSTANTIATE_TEST_SUITE_P(Download, PercentageTest,
    ::testing::Values(
        PercentageCase {"OneThird", 3, {1}, double(1.0f / 3.0f * 100.0f), 33},
        PercentageCase {"MoreThanAnnounced", 1000, {600, 600}, double(1200.0f / 1000.0f * 100.0f), 100},
        PercentageCase {"NoLength", -1, {100, 100}, -1, -1},
        PercentageCase {"ZeroLength", 0, {100}, -1, -1},
        // The 32-bit counter wraps: 4294967295 + 2 bytes count as 1.
        PercentageCase {"CounterWraps", 1000, {std::numeric_limits<std::uint32_t>::max(), 2}, double(1.0f / 1000.0f * 100.0f), 0},
        PercentageCase {"LengthBeyond32Bits", 8000000000LL, {std::numeric_limits<std::uint32_t>::max()},
            double(4294967295.0f / 8000000000.0f * 100.0f), 53}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CompanionDownloadTest, ASecondResponseRestartsTheCountWithItsOwnLength)
{
    mDelegate->downloadDidReceiveResponse(nullptr, 1000);
    mDelegate->downloadDidReceiveDataOfLength(nullptr, 500);
    EXPECT_EQ(mDelegate->downloadProgressValue(), 50.0);
    mDelegate->downloadDidReceiveResponse(nullptr, 2000);
    EXPECT_EQ(mField->text(), QStringLiteral("Connected to server"));
    mDelegate->downloadDidReceiveDataOfLength(nullptr, 500);
    EXPECT_EQ(mDelegate->downloadProgressValue(), 25.0);
    EXPECT_EQ(mDelegate->downloadExpectedLength(), 2000);
}

TEST_F(CompanionDownloadTest, DownloadsTheCompanionInChunksReplacesTheOldFileAndOpensIt)
{
    const QByteArray image = imageBytes(1000);
    // Four pieces with pauses between them, so that the bar moves more than once.
    TestHttpServer server([&image](QTcpSocket* connection, const QByteArray&) {
        TestHttpServer::writeHead(connection, 200, image.size());
        for (int piece = 0; piece < 4; ++piece) {
            QTimer::singleShot(40 * (piece + 1), connection, [connection, piece, &image] {
                connection->write(image.mid(piece * 250, 250));
                connection->flush();
                if (piece == 3)
                    connection->disconnectFromHost();
            });
        }
    });
    test::writeFile(kDestination, "an older image");
    qputenv("QUENDLE_COMPANION_URL", server.url(QStringLiteral("/dmg/Vorlith.dmg")).toEncoded());
    QList<int> barValues;
    QObject::connect(mBar, &QProgressBar::valueChanged, [&barValues](int value) { barValues.append(value); });

    mDelegate->downloadVorlith();
    ASSERT_TRUE(test::spinUntil([this] { return finished(); }));

    expectOnlyPanel(kSuccessTitle, kSuccessMessage);
    EXPECT_EQ(server.requestedPaths, QList<QByteArray>{"/dmg/Vorlith.dmg"});
    EXPECT_EQ(mSeam.openedUrls, QList<QUrl>{QUrl::fromLocalFile(kDestination)});
    EXPECT_EQ(test::readFile(kDestination), image);
    EXPECT_EQ(QFileInfo(kDestination).size(), 1000);
    EXPECT_EQ(mDelegate->downloadProgressValue(), 100.0);
    ASSERT_FALSE(barValues.isEmpty());
    EXPECT_EQ(barValues.last(), 100);
    EXPECT_TRUE(std::is_sorted(barValues.begin(), barValues.end()));
    expectIdle();
}

TEST_F(CompanionDownloadTest, WithoutALengthTheBarStaysIndeterminate)
{
    QPointer<QTcpSocket> open;
    TestHttpServer server([&open](QTcpSocket* connection, const QByteArray&) {
        TestHttpServer::writeHead(connection, 200, -1);
        connection->write("first part ");
        connection->flush();
        open = connection;
    });
    mDelegate->startUpdateDownload(server.url(QStringLiteral("/dmg/Vorlith.dmg")));
    ASSERT_TRUE(test::spinUntil([this] { return mField->text() == QStringLiteral("Receiving data"); }));
    EXPECT_TRUE(indeterminate());
    EXPECT_FALSE(mBar->isHidden());
    EXPECT_EQ(mDelegate->downloadExpectedLength(), -1);

    // Without a length, the end of the connection is the end of the image.
    ASSERT_TRUE(open);
    open->write("and the rest");
    open->disconnectFromHost();
    ASSERT_TRUE(test::spinUntil([this] { return finished(); }));
    expectOnlyPanel(kSuccessTitle, kSuccessMessage);
    EXPECT_EQ(test::readFile(kDestination), QByteArray("first part and the rest"));
    expectIdle();
}

TEST_F(CompanionDownloadTest, AWholeFileTheDesktopCannotOpenIsKeptAndNamed)
{
    TestHttpServer server([](QTcpSocket* connection, const QByteArray&) {
        TestHttpServer::answer(connection, 200, "not a disk image");
    });
    mSeam.openUrlAnswer = false;
    mDelegate->startUpdateDownload(server.url(QStringLiteral("/dmg/Vorlith.dmg")));
    ASSERT_TRUE(test::spinUntil([this] { return finished(); }));

    EXPECT_EQ(mSeam.openedUrls, QList<QUrl>{QUrl::fromLocalFile(kDestination)});
    expectOnlyPanel(kSuccessTitle,
        QStringLiteral("Vorlith app was downloaded to \"%1\", but the disk image could not be opened here.").arg(kDestination));
    EXPECT_EQ(test::readFile(kDestination), QByteArray("not a disk image"));
    expectIdle();
}

TEST_F(CompanionDownloadTest, ASecondStartLeavesTheRunningDownloadAlone)
{
    const QByteArray image = imageBytes(1000);
    QPointer<QTcpSocket> open;
    TestHttpServer server([&open, &image](QTcpSocket* connection, const QByteArray&) {
        TestHttpServer::writeHead(connection, 200, image.size());
        connection->write(image.left(250));
        connection->flush();
        open = connection;
    });
    qputenv("QUENDLE_COMPANION_URL", server.url(QStringLiteral("/dmg/Vorlith.dmg")).toEncoded());
    mDelegate->downloadVorlith();
    ASSERT_TRUE(test::spinUntil([this] { return mDelegate->downloadProgressValue() == 25.0; }));

    mPanel->hide(); // the user put the panel away
    mDelegate->downloadVorlith();
    mDelegate->startUpdateDownload(server.url(QStringLiteral("/elsewhere")));
    EXPECT_TRUE(mPanel->isVisible()); // brought back to the front
    EXPECT_TRUE(mDelegate->downloadRunning());
    EXPECT_EQ(mField->text(), QStringLiteral("Receiving data"));
    EXPECT_EQ(mDelegate->downloadProgressValue(), 25.0);
    EXPECT_TRUE(mSeam.panels.isEmpty());

    ASSERT_TRUE(open);
    open->write(image.mid(250));
    open->disconnectFromHost();
    ASSERT_TRUE(test::spinUntil([this] { return finished(); }));
    expectOnlyPanel(kSuccessTitle, kSuccessMessage);
    EXPECT_EQ(server.requestedPaths.size(), 1);
    EXPECT_EQ(test::readFile(kDestination), image);
    expectIdle();
}

enum class Failure { NotFound, ServerError, Refused, ClosedMidway, NeverAnswers, NotAUrl, UnknownScheme };

struct FailureCase {
    const char* name;
    Failure failure;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class DownloadFailureTest : public CompanionDownloadTest, public ::testing::WithParamInterface<FailureCase> { };

TEST_P(DownloadFailureTest, EndsWithUnableToDownloadAndKeepsTheFileAlreadyThere)
{
    TestHttpServer server([](QTcpSocket* connection, const QByteArray& path) {
        if (path == "/404")
            TestHttpServer::answer(connection, 404, "<html>Not Found</html>");
        else if (path == "/500")
            TestHttpServer::answer(connection, 500, "<html>Oops</html>");
        else if (path == "/midway") {
            TestHttpServer::writeHead(connection, 200, 1000);
            connection->write(imageBytes(300));
            connection->disconnectFromHost();
        }
        // "/silent": no answer at all
    });
    QUrl url;
    switch (GetParam().failure) {
    case Failure::NotFound: url = server.url(QStringLiteral("/404")); break;
    case Failure::ServerError: url = server.url(QStringLiteral("/500")); break;
    case Failure::Refused: url = QUrl(QStringLiteral("http://127.0.0.1:%1/dmg/Vorlith.dmg").arg(TestHttpServer::closedPort())); break;
    case Failure::ClosedMidway: url = server.url(QStringLiteral("/midway")); break;
    case Failure::NeverAnswers: url = server.url(QStringLiteral("/silent")); break;
    case Failure::NotAUrl: url = QUrl(QStringLiteral("http://[::1")); break;
    case Failure::UnknownScheme: url = QUrl(QStringLiteral("gopher://127.0.0.1/dmg/Vorlith.dmg")); break;
    }
    test::writeFile(kDestination, "the image from last time");
    mDelegate->setDownloadTimeoutMs(300);

    mDelegate->startUpdateDownload(url);
    ASSERT_TRUE(test::spinUntil([this] { return finished(); }));

    expectOnlyPanel(kErrorTitle, kErrorMessage);
    EXPECT_TRUE(mSeam.openedUrls.isEmpty());
    EXPECT_EQ(test::readFile(kDestination), QByteArray("the image from last time"));
    expectIdle();

    // Nothing of the failed download is left to call back later.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    test::spinUntil([] { return false; }, 100);
    EXPECT_EQ(mSeam.panels.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Download, DownloadFailureTest,
    ::testing::Values(FailureCase {"NotFound", Failure::NotFound}, FailureCase {"ServerError", Failure::ServerError},
        FailureCase {"Refused", Failure::Refused}, FailureCase {"ClosedMidway", Failure::ClosedMidway},
        FailureCase {"NeverAnswers", Failure::NeverAnswers}, FailureCase {"NotAUrl", Failure::NotAUrl},
        FailureCase {"UnknownScheme", Failure::UnknownScheme}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CompanionDownloadTest, FinishingWithoutADownloadDeletesNothing)
{
    test::writeFile(kDestination, "someone's image");
    mDelegate->downloadDidFinish(nullptr);
    expectOnlyPanel(kErrorTitle, kErrorMessage);
    EXPECT_TRUE(mSeam.openedUrls.isEmpty());
    EXPECT_EQ(test::readFile(kDestination), QByteArray("someone's image"));
}

TEST_F(CompanionDownloadTest, WebLinksOnlyOpenTheirPages)
{
    qputenv("QUENDLE_HOME_PAGE_URL", "http://127.0.0.1:1/home/");
    mDelegate->gotoHomePage();
    qunsetenv("QUENDLE_HOME_PAGE_URL");
    mDelegate->gotoHomePage();
    mDelegate->submitTickets();

    EXPECT_EQ(mSeam.openedUrls,
        (QList<QUrl> {QUrl(QStringLiteral("http://127.0.0.1:1/home/")), homePageUrl(), ticketsUrl()}));
    EXPECT_TRUE(mSeam.panels.isEmpty());
    EXPECT_FALSE(mDelegate->downloadRunning());
    EXPECT_FALSE(mPanel->isVisible());
}

} // namespace
} // namespace quendle

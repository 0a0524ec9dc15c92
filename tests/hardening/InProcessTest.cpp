// Faults that need the delegate in this process: 200 extractions in a row through the task
// wrapper leave nothing behind.
#include "Hardening.h"
#include "support/ExpansionFixture.h"

#include "task/TaskWrapper.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace quendle;
using namespace quendle::hardening;

namespace {

class InProcessFaults : public quendle::test::ExpansionTest { };

class Recorder : public TaskWrapperController {
public:
    bool finished = false;
    void processFinished() override { finished = true; }
    void processStarted() override { }
    void appendOutput(const QString&) override { }
};

} // namespace

TEST_F(InProcessFaults, TwoHundredExtractionsThroughTheTaskWrapperLeaveNothingBehind)
{
    const QString archive = makeArchive(QStringLiteral("small.zip"), {{QStringLiteral("small/file.txt"), "small"}});
    const QString tool = quendle::test::testToolPath();
    const int descriptorsBefore = openDescriptorCount();
    for (int round = 0; round < 200; ++round) {
        const QString destination = work() + QStringLiteral("/run%1").arg(round);
        Recorder recorder;
        TaskWrapper wrapper(&recorder,
            {tool, QStringLiteral("x"), archive, QStringLiteral("-o") + destination, QStringLiteral("-aoa")});
        ASSERT_TRUE(wrapper.startProcess()) << wrapper.launchError().toStdString();
        int status = -1;
        std::thread waiter([&] { status = wrapper.waitUntilExit(); });
        spinUntil([&] { return recorder.finished; });
        waiter.join();
        ASSERT_TRUE(recorder.finished) << round;
        ASSERT_EQ(status, 0) << round;
        ASSERT_EQ(quendle::test::readFile(destination + QStringLiteral("/small/file.txt")), QByteArray("small")) << round;
    }
    // The wrapper hands its notifiers to deleteLater.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
    EXPECT_TRUE(descendants().empty());
}

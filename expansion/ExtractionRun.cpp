// The extraction run: the archiver as a child process, the progress poll, the stop control,
// and the completion steps once the archiver has exited.
#include "expansion/ExpansionController.h"

#include "expansion/Planning.h"
#include "expansion/ProgressCounter.h"
#include "platform/Paths.h"
#include "platform/Seam.h"
#include "platform/StartupTrace.h"
#include "prefs/UserDefaults.h"
#include "progress/ExtractingProgressWindow.h"
#include "trash/FileManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

namespace quendle {

ExpansionController::RunStart ExpansionController::startExtractionRun(int timerIntervalMs)
{
    // One run per process: a second start would overwrite the running task and its waiter.
    if (searchTask || mWaiter.joinable() || mRequestState == RequestState::Running
        || mRequestState == RequestState::Completing || mRequestState == RequestState::Ending) {
        mSeam.log(QStringLiteral("an extraction is already under way; %1 is not started").arg(mArchivePath));
        return RunStart::Refused;
    }
    m_mArgs.insert(0, toolPath());
    mFailureReasons = FailureReasons();
    mStopRequested = false;
    mRequestState = RequestState::Running;
    searchTask = std::make_unique<TaskWrapper>(this, m_mArgs);
    if (!searchTask->startProcess()) {
        mExtractProgressWindow->close();
        return RunStart::LaunchFailed;
    }

    mProgressCounter = std::make_unique<ProgressCounter>(m_whatToShow);
    connect(mProgressCounter.get(), &ProgressCounter::counted, this, [this](std::uint64_t count) {
        if (mExtractTimer() && mExtractProgressWindow)
            mExtractProgressWindow->updateProgressIndicatorValue(double(count));
    });
    auto* timer = new QTimer(this);
    timer->setInterval(timerIntervalMs);
    connect(timer, &QTimer::timeout, this, &ExpansionController::myTimerTest);
    timer->start();
    setMExtractTimer(timer);

    mWaiter = std::thread([this, task = searchTask.get()] { waitInNewThread(task); });
    traceStep("extraction started");
    return RunStart::Started;
}

void ExpansionController::myTimerTest()
{
    if (!mProgressCounter || !mExtractProgressWindow)
        return;
    mExtractProgressWindow->updateProgressIndicatorValue(double(mProgressCounter->poll()));
}

void ExpansionController::processFinished()
{
    if (mExtractTimer())
        myTimerTest();
    mExtractProgressWindow->updateProgressIndicatorValue(double(mAmountFilesInArchive));
    mExtractProgressWindow->orderOut();
}

void ExpansionController::appendOutput(const QString& output)
{
    // Only the archiver's reasons are kept, for the alert when it fails.
    mFailureReasons.feed(output);
}

void ExpansionController::stopExtract()
{
    if (!searchTask)
        return;
    mStopRequested = true;
    searchTask->stopProcess();
}

void ExpansionController::waitInNewThread(TaskWrapper* task)
{
    // The waiter only waits; everything that follows happens on the main thread.
    const int status = task->waitUntilExit();
    traceStep("archiver exited");
    QMetaObject::invokeMethod(this, [this, status] { completeExpansion(status); }, Qt::QueuedConnection);
}

void ExpansionController::completeExpansion(int exitStatus)
{
    traceStep("completion steps");
    if (mWaiter.joinable())
        mWaiter.join();
    mRequestState = RequestState::Completing;
    // Whichever came first, the end of the output or the exit, the rest of the output is
    // relayed and processFinished has run before the completion steps.
    searchTask->stopProcess();

    const bool failed = exitStatus != 0 && !mStopRequested;
    if (failed) {
        const QStringList reasons = mFailureReasons.reasons();
        const QString informative = reasons.isEmpty()
            ? tr("The archiver exited with status %1.").arg(exitStatus)
            : reasons.join(u'\n');
        mSeam.runAlert({tr("Cannot Expand Archive."), informative, {QCoreApplication::translate("quendle::Buttons", "OK")}, AlertStyle::Warning});
    }

    if (revealsInFileManager(mDefaults))
        mSeam.revealInFileManager(whatToShow());
    // The archive itself is never the item that goes to the Trash.
    if (trashesAfterExpanding(mDefaults)
        && QDir::cleanPath(whatToShow()) != QDir::cleanPath(mArchivePath))
        mFileManager.trashPath(whatToShow(), false);
    // The last poll: the archiver has exited, so the count is taken exactly, once.
    if (mExtractTimer() && mProgressCounter)
        mExtractProgressWindow->updateProgressIndicatorValue(double(mProgressCounter->countNow()));
    if (QTimer* timer = mExtractTimer()) {
        timer->stop();
        timer->deleteLater();
    }
    setMExtractTimer(nullptr);
    mExtractProgressWindow->close();
    traceStep("last poll, window closed");
    mRequestState = RequestState::Ending;
    mSeam.terminate(failed ? kExitExpansionFailed : 0);
    emit expansionCompleted();
}

} // namespace quendle

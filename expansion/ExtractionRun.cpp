// The extraction run: the archiver as a child process, the progress poll, the stop control,
// and the completion steps once the archiver has exited.
#include "expansion/ExpansionController.h"

#include "core/Planning.h"
#include "core/ProgressCounter.h"
#include "expansion/OffThread.h"
#include "platform/Paths.h"
#include "platform/Seam.h"
#include "platform/StartupTrace.h"
#include "prefs/UserDefaults.h"
#include "progress/ExtractingProgressWindow.h"
#include "trash/FileManager.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstring>

#include <sys/statvfs.h>
#include <unistd.h>
#include <QTimer>

namespace quendle {

namespace {

// 7-Zip names a destination it may not write by whatever failed last ("File exists"), so the
// folder it was to write into is asked directly: the nearest one that exists.
QString destinationProblem(const QString& destination)
{
    QString folder = destination;
    while (!folder.isEmpty() && folder != u"/" && !QFileInfo(folder).isDir())
        folder = folderOfPath(folder);
    if (folder.isEmpty())
        return {};
    const QByteArray name = QFile::encodeName(folder);
    struct statvfs fileSystem {};
    if (::statvfs(name.constData(), &fileSystem) == 0 && (fileSystem.f_flag & ST_RDONLY))
        return QStringLiteral("%1: \"%2\"").arg(qt_error_string(EROFS), folder);
    if (::access(name.constData(), W_OK | X_OK) != 0)
        return QStringLiteral("%1: \"%2\"").arg(qt_error_string(errno), folder);
    return {};
}

} // namespace

ExpansionController::RunStart ExpansionController::startExtractionRun(int timerIntervalMs)
{
    // One run per process: a second start would overwrite the running task and its waiter.
    if (searchTask || mWaiter.joinable() || mRequestState == RequestState::Running
        || mRequestState == RequestState::Completing || mRequestState == RequestState::Ending) {
        mSeam.log(QStringLiteral("an extraction is already under way; %1 is not started").arg(mRequest.archivePath));
        return RunStart::Refused;
    }
    mRequest.toolPath = toolPath();
    mFailureReasons = FailureReasons();
    mStopRequested = false;
    moveTo(RequestState::Running);
    searchTask = std::make_unique<TaskWrapper>(this, mRequest.arguments());
    if (!searchTask->startProcess()) {
        // Nothing runs and nothing will wait: the request ends here, and a later archive finds
        // the controller idle again.
        const QString reason = searchTask->launchError();
        searchTask.reset();
        reportToolCannotStart(reason);
        return RunStart::LaunchFailed;
    }

    mProgressCounter = std::make_unique<ProgressCounter>(whatToShow());
    connect(mProgressCounter.get(), &ProgressCounter::counted, this, [this](std::uint64_t count) {
        if (mExtractTimer() && mExtractProgressWindow)
            mExtractProgressWindow->updateProgressIndicatorValue(double(count));
    });
    auto* timer = new QTimer(this);
    timer->setInterval(timerIntervalMs);
    connect(timer, &QTimer::timeout, this, &ExpansionController::myTimerTest);
    timer->start();
    m_mExtractTimer = timer;

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
    mExtractProgressWindow->updateProgressIndicatorValue(double(mRequest.amountFiles));
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
    moveTo(RequestState::Completing);
    // Whichever came first, the end of the output or the exit, the rest of the output is
    // relayed and processFinished has run before the completion steps.
    searchTask->stopProcess();

    const bool failed = exitStatus != 0 && !mStopRequested;
    if (failed) {
        const QStringList reasons = mFailureReasons.reasons();
        const QString problem = destinationProblem(mRequest.plan.destination);
        QString informative = !problem.isEmpty() ? problem
            : reasons.isEmpty()                   ? tr("The archiver exited with status %1.").arg(exitStatus)
                                                  : reasons.join(u'\n');
        // Whatever the run left is only part of the archive; the user must not take it for all.
        if (QFileInfo::exists(whatToShow()) && !holdsArchive(whatToShow()))
            informative += u'\n' + tr("What was expanded at \"%1\" is incomplete.").arg(whatToShow());
        mSeam.runAlert({tr("Cannot Expand Archive."), informative, {QCoreApplication::translate("quendle::Buttons", "OK")}, AlertStyle::Warning});
    }

    if (revealsInFileManager(mDefaults))
        mSeam.revealInFileManager(whatToShow());
    // The archive, and a folder that holds it, never go to the Trash.
    if (trashesAfterExpanding(mDefaults) && !holdsArchive(whatToShow()))
        mFileManager.trashPath(whatToShow(), false);
    // The last poll: the archiver has exited, so the count is taken exactly, once, off the event
    // loop's thread (a tree of many entries takes a while to walk). The counter goes first, and
    // with it any walk of its own.
    if (mExtractTimer() && mProgressCounter) {
        const QString root = mProgressCounter->root();
        mProgressCounter.reset();
        std::atomic<bool> cancelled {false};
        const std::optional<std::uint64_t> count = runOffThread<std::uint64_t>(
            [&] { return countEntriesBelow(root, cancelled); }, [&] { cancelled = true; });
        if (count)
            mExtractProgressWindow->updateProgressIndicatorValue(double(*count));
    }
    if (QTimer* timer = mExtractTimer()) {
        timer->stop();
        timer->deleteLater();
    }
    m_mExtractTimer = nullptr;
    mExtractProgressWindow->close();
    traceStep("last poll, window closed");
    moveTo(RequestState::Ending);
    mSeam.terminate(failed ? kExitExpansionFailed : 0);
    emit expansionCompleted();
}

} // namespace quendle

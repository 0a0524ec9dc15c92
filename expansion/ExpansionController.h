// One expansion from the archive's arrival to the end of the process: the request's state, the
// listing and the plan, the replace prompts, the password window, the archiver's run, the
// progress poll and the completion steps. Everything an expansion holds lives here; the
// application delegate hands archives in and keeps the system's names as a thin surface.
#pragma once

#include "core/ExpansionRequest.h"
#include "core/FailureReasons.h"
#include "core/Listing.h"
#include "core/Planning.h"
#include "core/RequestState.h"
#include "task/TaskWrapper.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

class QDialog;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace quendle {

class ExtractingProgressWindow;
class FileManager;
class ProgressCounter;
class Seam;
class UserDefaults;

// The password window's parts the expansion uses; the window comes from the main interface.
struct PasswordWindowOutlets {
    QDialog* mPasswordWindow = nullptr;
    QLabel* mTopTextOnPasswordWindow = nullptr;
    QPushButton* mOkButtonPasswordWindow = nullptr;
    QPushButton* mCnlButtonPasswordWindow = nullptr;
    QLineEdit* mPasswdField = nullptr;
    QLabel* mBottomTextOnPasswordWindow = nullptr;
};

class ExpansionController : public QObject, public TaskWrapperController {
    Q_OBJECT
public:
    ExpansionController(Seam& seam, UserDefaults& defaults, FileManager& fileManager, QObject* parent = nullptr);
    // A run still going is stopped and its archiver reaped before anything it uses goes.
    ~ExpansionController() override;

    // Connects the window's buttons and its ways of closing; the window is not owned.
    void setPasswordWindow(const PasswordWindowOutlets& outlets);

    // The one door through which an archive enters: a request that is not idle (or waiting for
    // its password) turns the newcomer away with the busy alert.
    bool applicationOpenFile(const QString& path);
    // The action of both password window buttons; only the OK button goes on.
    void clickOnButtonPasswordWindow(QObject* sender);
    // The progress poll and the stop control.
    void myTimerTest();
    void stopExtract();

    // TaskWrapperController.
    void processFinished() override;
    void processStarted() override { }
    void appendOutput(const QString& output) override;

    RequestState requestState() const { return mRequestState; }
    const ExpansionRequest& request() const { return mRequest; }
    QStringList mArgs() const { return mRequest.arguments(); }
    QTimer* mExtractTimer() const { return m_mExtractTimer; }
    QString whatToShow() const { return mRequest.plan.whatToShow; }
    std::int32_t amountFilesInArchive() const { return mRequest.amountFiles; }
    ExtractingProgressWindow* extractProgressWindow() const { return mExtractProgressWindow.get(); }
    TaskWrapper* runningTask() const { return searchTask.get(); }

signals:
    // The expansion has finished its completion steps.
    void expansionCompleted();
    // The request has made one of its moves.
    void requestStateChanged(RequestState from, RequestState to);

private:
    // Where the contents go (expansion/OpenFileFlow.cpp).
    enum class PlanOutcome { Done, RequestEnded, ApplicationEnded };
    PlanOutcome planDestination(const QString& archivePath, const ArchiveListing& listing);
    void showBusyAlert();
    // Lists the archive off the event loop's thread, which keeps turning meanwhile; nothing
    // when the application quit before the listing ended (the listing is then stopped).
    std::optional<ListingRun> listOffThread(const QString& archivePath, const std::optional<QString>& password);
    // The request is over without a run: back to idle when a window is left, else the end of
    // the application with the request's status (Cancel: the custom-folder case exits with 1).
    // exitAtOnce: the process ends at once, without the application's terminate sequence.
    PlanOutcome endRequest(int status, bool exitAtOnce = false);
    PlanOutcome endRequestAsCancel();
    // The request fails before anything is extracted: the alert, then the end with status 2.
    PlanOutcome reportCannotExpand(const QString& informative);
    PlanOutcome reportCannotExpand(const QString& message, const QString& informative);
    void reportToolCannotStart(const QString& reason);
    static ListingShape shapeOf(const ArchiveListing& listing);
    // The one place the request's state changes; a move the table does not allow is refused
    // (and logged), the state left as it was.
    bool moveTo(RequestState next);
    // Whether an item is the archive being expanded or a folder above it, links resolved.
    bool holdsArchive(const QString& item) const;

    // The password (expansion/PasswordPrompt.cpp).
    void showPasswordWindow();
    void passwordWindowClosed();

    // The run (expansion/ExtractionRun.cpp).
    enum class RunStart { Started, LaunchFailed, Refused };
    RunStart startExtractionRun(int timerIntervalMs);
    void waitInNewThread(TaskWrapper* task);
    void completeExpansion(int exitStatus);

    Seam& mSeam;
    UserDefaults& mDefaults;
    FileManager& mFileManager;
    PasswordWindowOutlets mPassword;

    // The request: what state it is in (changed only by moveTo), and the request itself.
    RequestState mRequestState = RequestState::Idle;
    ExpansionRequest mRequest;

    // The run: the archiver, the thread that waits for it, the progress and what it said.
    std::unique_ptr<TaskWrapper> searchTask;
    std::thread mWaiter;
    bool mStopRequested = false;
    std::unique_ptr<ExtractingProgressWindow> mExtractProgressWindow;
    QTimer* m_mExtractTimer = nullptr;
    std::unique_ptr<ProgressCounter> mProgressCounter;
    FailureReasons mFailureReasons; // for the failure alert
};

} // namespace quendle

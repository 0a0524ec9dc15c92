// The application delegate: the one object that carries the state of an expansion, the
// preference controls and the companion download. Its operations live in the folder of
// their subsystem (expansion/, prefs/, download/, app/).
#pragma once

#include "expansion/FailureReasons.h"
#include "expansion/Listing.h"
#include "expansion/Planning.h"
#include "expansion/RequestState.h"
#include "task/TaskWrapper.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <thread>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMainWindow;
class QNetworkAccessManager;
class QNetworkReply;
class QProgressBar;
class QPushButton;
class QTimer;
class QWidget;
class QEvent;

namespace Ui {
class MainWindow;
class PasswordWindow;
class DownloadPanel;
} // namespace Ui

namespace quendle {

class ExtractingProgressWindow;
class FileManager;
class PathControl;
class ProgressCounter;
class Seam;
class SHTextField;
class UserDefaults;

class QuendleAppDelegate : public QObject, public TaskWrapperController {
    Q_OBJECT
public:
    QuendleAppDelegate(Seam& seam, UserDefaults& defaults, QObject* parent = nullptr);
    ~QuendleAppDelegate() override;

    // Registers the preference defaults; runs before the delegate exists.
    static void initialize(UserDefaults& defaults);

    // Builds the main interface (main window, password window, download panel), connects
    // the outlets and actions, then runs awakeFromNib.
    // mainWindowNow false: the main window, which a launch with files never shows, is built
    // only when something asks for it (mMainWindow()).
    void loadMainInterface(bool mainWindowNow = true);
    void awakeFromNib();

    // Application delegate.
    void applicationDidFinishLaunching();
    void applicationOpenFiles(const QStringList& paths);
    bool applicationOpenFile(const QString& path);
    bool applicationShouldTerminateAfterLastWindowClosed() const { return true; }

    // TaskWrapperController.
    void processFinished() override;
    void processStarted() override;
    void appendOutput(const QString& output) override;
    void scrollToVisible(QObject*) { }

    // Property accessors.
    QStringList mArgs() const { return m_mArgs; }
    void setMArgs(const QStringList& args) { m_mArgs = args; }
    QTimer* mExtractTimer() const { return m_mExtractTimer; }
    void setMExtractTimer(QTimer* timer) { m_mExtractTimer = timer; }
    QString whatToShow() const { return m_whatToShow; }
    void setWhatToShow(const QString& path) { m_whatToShow = path; }
    QMainWindow* mMainWindow();
    void setMMainWindow(QMainWindow* window) { m_mMainWindow = window; }

    // Read-only views for the tests and for the shell.
    std::int32_t amountFilesInArchive() const { return mAmountFilesInArchive; }
    bool openedFromFinder() const { return isOpenfromFinder; }
    RequestState requestState() const { return mRequestState; }
    ExtractingProgressWindow* extractProgressWindow() const { return mExtractProgressWindow.get(); }
    TaskWrapper* runningTask() const { return searchTask.get(); }
    QDialog* passwordWindow() const { return mPasswordWindow; }
    QWidget* downloadPanel() const;
    bool downloadRunning() const { return !updateDownload.isNull(); }
    std::optional<QString> downloadDestinationPath() const { return downloadPath; }
    std::optional<std::int64_t> downloadExpectedLength() const { return downloadResponse; }
    // The percentage as computed, which may pass 100; the bar shows it capped at full.
    double downloadProgressValue() const { return mDownloadProgressValue; }

public slots:
    void openArchive();
    void changePreferences();
    void pathControlDoubleClick();
    void gotoHomePage();
    void submitTickets();
    void downloadVorlith();
    void myTimerTest();
    void stopExtract();

public:
    // The action of both password window buttons; only the OK button goes on.
    void clickOnButtonPasswordWindow(QObject* sender);

    // Companion download steps.
    void startUpdateDownload(const QUrl& url);
    void endUpdateDownload();
    void presentDownloadSuccess();
    void presentDownloadError();
    void downloadDidReceiveResponse(QNetworkReply* download, std::int64_t expectedContentLength);
    void downloadDidReceiveDataOfLength(QNetworkReply* download, std::uint32_t length);
    void downloadDidFinish(QNetworkReply* download);
    void downloadDidFailWithError(QNetworkReply* download, const QString& error);
    // The request's time-out; 60 s, shortened by tests.
    void setDownloadTimeoutMs(int ms) { mDownloadTimeoutMs = ms; }

signals:
    // The expansion has finished its completion steps (tests wait on it).
    void expansionCompleted();

private:
    void buildMainWindow();
    // Expansion (expansion/).
    enum class PlanOutcome { Done, RequestEnded, ApplicationEnded };
    PlanOutcome planDestination(const QString& archivePath, const ArchiveListing& listing);
    enum class RunStart { Started, LaunchFailed, Refused };
    RunStart startExtractionRun(int timerIntervalMs, bool showWindowFirst);
    void passwordWindowClosed();
    void showBusyAlert();
    // The request is over without a run: back to idle, or the end of the application.
    PlanOutcome endRequest();
    void waitInNewThread(TaskWrapper* task);
    void completeExpansion(int exitStatus);
    void loadPreferenceControls();
    void endRequestAsCancel(bool customFolderCase);
    void reportToolCannotStart(const QString& reason);
    void showPasswordWindow();
    bool eventFilter(QObject* watched, QEvent* event) override;

    Seam& mSeam;
    UserDefaults& mDefaults;
    std::unique_ptr<FileManager> mFileManager;

    // The main interface file.
    std::unique_ptr<Ui::MainWindow> mMainUi;
    std::unique_ptr<Ui::PasswordWindow> mPasswordUi;
    std::unique_ptr<Ui::DownloadPanel> mDownloadUi;

    // Outlets.
    bool mMainWindowDeferred = false;
    QMainWindow* m_mMainWindow = nullptr;
    QCheckBox* mIsUsedCustomFolder = nullptr;
    QCheckBox* mIsUSedRevealInFinder = nullptr;
    QComboBox* mActionAfterExpanding = nullptr;
    PathControl* mCustomFolder = nullptr;
    QLabel* mBottomText = nullptr;
    QDialog* progressPanel = nullptr;
    QProgressBar* progressIndicator = nullptr;
    QLabel* progressField = nullptr;
    QDialog* mPasswordWindow = nullptr;
    QLabel* mTopTextOnPasswordWindow = nullptr;
    QPushButton* mOkButtonPasswordWindow = nullptr;
    QPushButton* mCnlButtonPasswordWindow = nullptr;
    QLineEdit* mPasswdField = nullptr;
    QLabel* mBottomTextOnPasswordWindow = nullptr;

    // Companion download.
    QNetworkAccessManager* mNetwork = nullptr;
    QPointer<QNetworkReply> updateDownload;
    std::optional<std::int64_t> downloadResponse; // the last response's expected length
    std::optional<QString> downloadPath;
    std::uint32_t downloadBytes = 0;
    int mDownloadTimeoutMs = 60000;
    double mDownloadProgressValue = 0.0;

    // Expansion.
    std::unique_ptr<TaskWrapper> searchTask;
    bool isOpenfromFinder = false;
    RequestState mRequestState = RequestState::Idle;
    ListingShape mPlannedShape; // what the plan was made from
    QString m_whatToShow;
    QStringList m_mArgs;
    std::int32_t mAmountFilesInArchive = 0;
    std::unique_ptr<ExtractingProgressWindow> mExtractProgressWindow;
    QTimer* m_mExtractTimer = nullptr;
    std::unique_ptr<ProgressCounter> mProgressCounter;
    std::thread mWaiter;
    bool mStopRequested = false;
    bool mCustomFolderCase = false;
    QString mArchivePath;
    FailureReasons mFailureReasons; // what the archiver said, for the failure alert
};

} // namespace quendle

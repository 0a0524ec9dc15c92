// The application delegate: the application's entry points and the main interface. It owns
// the parts that do the work and keeps the system's names for them as a thin surface:
//   - the expansion (expansion/ExpansionController), which holds the request's state, the
//     archiver's run and the progress window;
//   - the preference controls of the main window (prefs/PreferenceControls);
//   - the companion download and the web links (download/CompanionDownload).
#pragma once

#include "download/CompanionDownload.h"
#include "expansion/ExpansionController.h"
#include "prefs/PreferenceControls.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

class QDialog;
class QEvent;
class QMainWindow;
class QTimer;
class QWidget;

namespace Ui {
class MainWindow;
class PasswordWindow;
class DownloadPanel;
} // namespace Ui

namespace quendle {

class FileManager;
class Seam;
class UserDefaults;

class QuendleAppDelegate : public QObject {
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

    QMainWindow* mMainWindow();
    bool openedFromFinder() const { return isOpenfromFinder; }

    // The expansion.
    ExpansionController& expansion() { return *mExpansion; }
    QStringList mArgs() const { return mExpansion->mArgs(); }
    QTimer* mExtractTimer() const { return mExpansion->mExtractTimer(); }
    QString whatToShow() const { return mExpansion->whatToShow(); }
    std::int32_t amountFilesInArchive() const { return mExpansion->amountFilesInArchive(); }
    RequestState requestState() const { return mExpansion->requestState(); }
    ExtractingProgressWindow* extractProgressWindow() const { return mExpansion->extractProgressWindow(); }
    TaskWrapper* runningTask() const { return mExpansion->runningTask(); }
    QDialog* passwordWindow() const { return mPasswordWindow; }

    // The companion download.
    QWidget* downloadPanel() const;
    void startUpdateDownload(const QUrl& url) { mDownload->startUpdateDownload(url); }
    void downloadDidReceiveResponse(QNetworkReply* download, std::int64_t expectedContentLength)
    {
        mDownload->downloadDidReceiveResponse(download, expectedContentLength);
    }
    void downloadDidReceiveDataOfLength(QNetworkReply* download, std::uint32_t length)
    {
        mDownload->downloadDidReceiveDataOfLength(download, length);
    }
    void downloadDidFinish(QNetworkReply* download) { mDownload->downloadDidFinish(download); }
    void downloadDidFailWithError(QNetworkReply* download, const QString& error)
    {
        mDownload->downloadDidFailWithError(download, error);
    }
    void setDownloadTimeoutMs(int ms) { mDownload->setDownloadTimeoutMs(ms); }
    bool downloadRunning() const { return mDownload->downloadRunning(); }
    std::optional<QString> downloadDestinationPath() const { return mDownload->downloadDestinationPath(); }
    std::optional<std::int64_t> downloadExpectedLength() const { return mDownload->downloadExpectedLength(); }
    double downloadProgressValue() const { return mDownload->downloadProgressValue(); }

public slots:
    void openArchive();
    void gotoHomePage() { mDownload->gotoHomePage(); }
    void submitTickets() { mDownload->submitTickets(); }
    void downloadVorlith() { mDownload->downloadVorlith(); }
    void stopExtract() { mExpansion->stopExtract(); }

signals:
    // The expansion has finished its completion steps (tests wait on it).
    void expansionCompleted();

private:
    void buildMainWindow();
    bool eventFilter(QObject* watched, QEvent* event) override;

    Seam& mSeam;
    UserDefaults& mDefaults;
    std::unique_ptr<FileManager> mFileManager;

    // The main interface file: the main window (built on first need when a launch has files),
    // the password window and the download panel.
    std::unique_ptr<Ui::MainWindow> mMainUi;
    std::unique_ptr<Ui::PasswordWindow> mPasswordUi;
    std::unique_ptr<Ui::DownloadPanel> mDownloadUi;
    bool mMainWindowDeferred = false;
    QMainWindow* m_mMainWindow = nullptr;
    QDialog* mPasswordWindow = nullptr;
    QDialog* progressPanel = nullptr;

    bool isOpenfromFinder = false;
    std::unique_ptr<ExpansionController> mExpansion;
    std::unique_ptr<PreferenceControls> mPreferences; // with the main window
    std::unique_ptr<CompanionDownload> mDownload;
};

} // namespace quendle

// The application delegate: building the main interface, start-up, the entry points.
#include "app/QuendleAppDelegate.h"

#include "app/FileDrops.h"
#include "platform/Seam.h"
#include "prefs/PathControl.h"
#include "prefs/UserDefaults.h"
#include "trash/FileManager.h"
#include "views/WindowSetup.h"

#include "ui_DownloadPanel.h"
#include "ui_MainWindow.h"
#include "ui_PasswordWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QTimer>

namespace quendle {

QuendleAppDelegate::QuendleAppDelegate(Seam& seam, UserDefaults& defaults, QObject* parent)
    : QObject(parent)
    , mSeam(seam)
    , mDefaults(defaults)
    , mFileManager(std::make_unique<FileManager>(seam))
    , mExpansion(std::make_unique<ExpansionController>(seam, defaults, *mFileManager))
{
    connect(mExpansion.get(), &ExpansionController::expansionCompleted, this, &QuendleAppDelegate::expansionCompleted);
}

QuendleAppDelegate::~QuendleAppDelegate()
{
    // The expansion goes first: it stops and reaps a run still going, and it uses the windows.
    mExpansion.reset();
    mDownload.reset();
    mPreferences.reset();
    delete m_mMainWindow;
    delete mPasswordWindow;
    delete progressPanel;
}

void QuendleAppDelegate::initialize(UserDefaults& defaults)
{
    defaults.registerDefaults(registeredDefaults());
}

void QuendleAppDelegate::loadMainInterface(bool mainWindowNow)
{
    mPasswordWindow = new QDialog;
    mPasswordUi = std::make_unique<Ui::PasswordWindow>();
    mPasswordUi->setupUi(mPasswordWindow);
    // The notice of a refused password keeps its room while hidden, so that showing it moves
    // neither the field being typed in nor the buttons.
    QSizePolicy noticePolicy = mPasswordUi->mBottomTextOnPasswordWindow->sizePolicy();
    noticePolicy.setRetainSizeWhenHidden(true);
    mPasswordUi->mBottomTextOnPasswordWindow->setSizePolicy(noticePolicy);
    mExpansion->setPasswordWindow({mPasswordWindow, mPasswordUi->mTopTextOnPasswordWindow,
        mPasswordUi->mOkButtonPasswordWindow, mPasswordUi->mCnlButtonPasswordWindow, mPasswordUi->mPasswdField,
        mPasswordUi->mBottomTextOnPasswordWindow});

    progressPanel = new QDialog;
    mDownloadUi = std::make_unique<Ui::DownloadPanel>();
    mDownloadUi->setupUi(progressPanel);
    mDownload = std::make_unique<CompanionDownload>(
        mSeam, DownloadOutlets {progressPanel, mDownloadUi->progressIndicator, mDownloadUi->progressField});

    mMainWindowDeferred = !mainWindowNow;
    if (mainWindowNow)
        buildMainWindow();
    awakeFromNib();
}

void QuendleAppDelegate::buildMainWindow()
{
    auto* mainWindow = new QMainWindow;
    mMainUi = std::make_unique<Ui::MainWindow>();
    mMainUi->setupUi(mainWindow);
    m_mMainWindow = mainWindow;
    mDownload->setBottomText(mMainUi->mBottomText);
    mPreferences = std::make_unique<PreferenceControls>(mSeam, mDefaults,
        PreferenceOutlets {mMainUi->mIsUsedCustomFolder, mMainUi->mIsUSedRevealInFinder,
            mMainUi->mActionAfterExpanding, mMainUi->mCustomFolder});

    connect(mMainUi->actionOpen, &QAction::triggered, this, &QuendleAppDelegate::openArchive);
    connect(mMainUi->actionQuit, &QAction::triggered, this, [this] { mSeam.terminate(); });
    connect(mMainUi->homePageButton, &QPushButton::clicked, this, &QuendleAppDelegate::gotoHomePage);
    connect(mMainUi->ticketsButton, &QPushButton::clicked, this, &QuendleAppDelegate::submitTickets);
    connect(mMainUi->downloadButton, &QPushButton::clicked, this, &QuendleAppDelegate::downloadVorlith);

    // Files dropped on the main window arrive as files opened with the application do.
    acceptFileDrops(m_mMainWindow, [this](const QStringList& files) { applicationOpenFiles(files); });
    // The application quits when its last window closes; alerts don't count as windows.
    m_mMainWindow->installEventFilter(this);

    centerOnScreen(m_mMainWindow);
    setContentBorderThickness(m_mMainWindow, 30);
    mPreferences->loadPreferenceControls();
}

QMainWindow* QuendleAppDelegate::mMainWindow()
{
    if (!m_mMainWindow && mMainWindowDeferred) {
        mMainWindowDeferred = false;
        buildMainWindow();
    }
    return m_mMainWindow;
}

void QuendleAppDelegate::awakeFromNib()
{
    isOpenfromFinder = false;
    mPasswordUi->mOkButtonPasswordWindow->setDefault(true);
}

void QuendleAppDelegate::applicationDidFinishLaunching()
{
    if (isOpenfromFinder)
        return;
    QMainWindow* window = mMainWindow();
    window->show();
    window->raise();
    window->activateWindow();
}

void QuendleAppDelegate::applicationOpenFiles(const QStringList& paths)
{
    // Only the first file is expanded; one archive per launch.
    if (paths.isEmpty())
        return;
    applicationOpenFile(paths.first());
}

bool QuendleAppDelegate::applicationOpenFile(const QString& path)
{
    // An archive taken in means a launch with a file: the main window is not shown for it.
    if (acceptsArchive(mExpansion->requestState()))
        isOpenfromFinder = true;
    return mExpansion->applicationOpenFile(path);
}

void QuendleAppDelegate::openArchive()
{
    OpenPanel panel;
    panel.allowsMultipleSelection = false;
    panel.canCreateDirectories = true;
    panel.resolvesAliases = true;
    panel.canChooseDirectories = false;
    panel.canChooseFiles = true;
    panel.title = QCoreApplication::translate("quendle::OpenPanel", "Choose a file object");
    panel.prompt = QCoreApplication::translate("quendle::OpenPanel", "Choose");
    panel.extensions = {QStringLiteral("zip"), QStringLiteral("7z"), QStringLiteral("rar"), QStringLiteral("tar"),
        QStringLiteral("xar"), QStringLiteral("sit"), QStringLiteral("sea"), QStringLiteral("tgz"), QStringLiteral("bz"),
        QStringLiteral("bz2"), QStringLiteral("tbz"), QStringLiteral("tbz2"), QStringLiteral("tb2"), QStringLiteral("gz")};
    panel.directory = QDir::homePath();
    const std::optional<QStringList> chosen = mSeam.runOpenPanel(panel);
    if (!chosen || chosen->isEmpty())
        return;
    applicationOpenFile(QString(chosen->first()));
}

QWidget* QuendleAppDelegate::downloadPanel() const
{
    return progressPanel;
}

bool QuendleAppDelegate::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Close && watched == m_mMainWindow) {
        // The application ends with its last window.
        if (!anotherWindowVisible(static_cast<QWidget*>(watched)))
            mSeam.terminate();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quendle

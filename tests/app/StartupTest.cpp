// Start-up, the entry points and the main window, driven in process with scripted answers.
#include "support/ExpansionFixture.h"

#include "platform/DesktopSeam.h"
#include "prefs/PathControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QApplication>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QFrame>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include <functional>

namespace quendle::test {
namespace {

// Records every call of the archiver, one line each, and lists one folder.
QByteArray recordingTool(const QString& record)
{
    return "printf '%s ' \"$@\" >> '" + record.toUtf8() + R"(' ; echo >> ')" + record.toUtf8() + R"('
case "$1" in
l) printf 'Path = %s\n\nPath = out/f\n' "$2" ;;
x) mkdir -p "${3#-o}/out" ;;
esac
)";
}

TEST_F(ExpansionTest, LaunchedAloneShowsTheMainWindowWithTheRegisteredDefaults)
{
    QMainWindow* window = delegate->mMainWindow();
    EXPECT_FALSE(window->isVisible()); // hidden until launching has finished
    EXPECT_FALSE(delegate->openedFromFinder());
    delegate->applicationDidFinishLaunching();
    EXPECT_TRUE(window->isVisible());

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(window->frameGeometry().center().x() - screen.center().x()), 2);
    EXPECT_EQ(window->findChild<QFrame*>(QStringLiteral("bottomBar"))->height(), 30);

    EXPECT_FALSE(window->findChild<QCheckBox*>(QStringLiteral("mIsUsedCustomFolder"))->isChecked());
    EXPECT_TRUE(window->findChild<QCheckBox*>(QStringLiteral("mIsUSedRevealInFinder"))->isChecked());
    auto* action = window->findChild<QComboBox*>(QStringLiteral("mActionAfterExpanding"));
    EXPECT_EQ(action->currentIndex(), 0);
    EXPECT_EQ(action->itemText(0), QStringLiteral("Do nothing"));
    EXPECT_TRUE(action->itemText(1).contains(QStringLiteral("Trash")));
    EXPECT_EQ(window->findChild<PathControl*>(QStringLiteral("mCustomFolder"))->folderPath(), QDir::homePath());
    EXPECT_TRUE(passwordWindow()->findChild<QPushButton*>(QStringLiteral("mOkButtonPasswordWindow"))->isDefault());
    // Nothing was written: the defaults live in memory only.
    EXPECT_FALSE(QFile::exists(defaults->fileName()));
}

TEST_F(ExpansionTest, LaunchedWithThreeFilesExpandsOnlyTheFirstAndNeverShowsTheMainWindow)
{
    const QString record = work() + QStringLiteral("/calls");
    useFakeTool(recordingTool(record));
    QStringList archives;
    for (const char* name : {"one.zip", "two.zip", "three.zip"}) {
        archives << work() + u'/' + QLatin1String(name);
        writeFile(archives.last(), "x");
    }
    delegate->applicationOpenFiles(archives);
    delegate->applicationDidFinishLaunching();
    EXPECT_FALSE(delegate->mMainWindow()->isVisible());
    ASSERT_TRUE(waitForCompletion());
    const QList<QByteArray> calls = readFile(record).trimmed().split('\n');
    ASSERT_EQ(calls.size(), 2);
    EXPECT_TRUE(calls[0].startsWith("l " + archives[0].toUtf8() + " -slt"));
    EXPECT_TRUE(calls[1].startsWith("x " + archives[0].toUtf8()));
    EXPECT_TRUE(seam.alerts.isEmpty());
}

TEST_F(ExpansionTest, AFileLaunchBuildsTheMainWindowOnlyWhenAskedAndThenWithThePreferences)
{
    const QString record = work() + QStringLiteral("/calls");
    useFakeTool(recordingTool(record));
    setPreference(QStringLiteral("IsUsedCustomFolder"), QStringLiteral("1"));
    delegate.reset();
    delegate = std::make_unique<QuendleAppDelegate>(seam, *defaults);
    delegate->loadMainInterface(false);
    const QString archive = work() + QStringLiteral("/one.zip");
    writeFile(archive, "x");
    delegate->applicationOpenFiles({archive});
    delegate->applicationDidFinishLaunching();
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QMainWindow*>(window), nullptr);

    QMainWindow* window = delegate->mMainWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->findChild<QCheckBox*>(QStringLiteral("mIsUsedCustomFolder"))->isChecked());
    EXPECT_EQ(window->findChild<QFrame*>(QStringLiteral("bottomBar"))->height(), 30);
    EXPECT_EQ(delegate->mMainWindow(), window);
}

TEST_F(ExpansionTest, OpenPanelIsConfiguredAndItsCancelChangesNothing)
{
    const QString record = work() + QStringLiteral("/calls");
    useFakeTool(recordingTool(record));
    delegate->applicationDidFinishLaunching();
    delegate->openArchive();
    ASSERT_EQ(seam.openPanels.size(), 1);
    const OpenPanel& panel = seam.openPanels[0];
    EXPECT_EQ(panel.title, QStringLiteral("Choose a file object"));
    EXPECT_EQ(panel.prompt, QStringLiteral("Choose"));
    EXPECT_EQ(panel.directory, QDir::homePath());
    EXPECT_EQ(panel.extensions, (QStringList {QStringLiteral("zip"), QStringLiteral("7z"), QStringLiteral("rar"),
                                    QStringLiteral("tar"), QStringLiteral("xar"), QStringLiteral("sit"),
                                    QStringLiteral("sea"), QStringLiteral("tgz"), QStringLiteral("bz"),
                                    QStringLiteral("bz2"), QStringLiteral("tbz"), QStringLiteral("tbz2"),
                                    QStringLiteral("tb2"), QStringLiteral("gz")}));
    EXPECT_FALSE(panel.allowsMultipleSelection);
    EXPECT_FALSE(panel.canChooseDirectories);
    EXPECT_TRUE(panel.canChooseFiles);
    EXPECT_FALSE(QFile::exists(record));
    EXPECT_TRUE(delegate->mMainWindow()->isVisible());
    EXPECT_FALSE(delegate->openedFromFinder());

    // The same panel confirmed hands its file to the open-file flow.
    const QString archive = work() + QStringLiteral("/chosen.zip");
    writeFile(archive, "x");
    seam.openPanelAnswers = {QStringList {archive}};
    delegate->openArchive();
    ASSERT_TRUE(waitForCompletion());
    EXPECT_TRUE(readFile(record).startsWith("l " + archive.toUtf8()));
}

TEST_F(ExpansionTest, LocalFilesDroppedOnTheMainWindowExpandTheFirstAndOthersAreRefused)
{
    const QString record = work() + QStringLiteral("/calls");
    useFakeTool(recordingTool(record));
    delegate->applicationDidFinishLaunching();
    QMainWindow* window = delegate->mMainWindow();
    const QPoint where = window->rect().center();

    QMimeData web;
    web.setUrls({QUrl(QStringLiteral("https://example.org/a.zip"))});
    QDragEnterEvent refused(where, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &refused);
    EXPECT_FALSE(refused.isAccepted());

    const QString first = work() + QStringLiteral("/dropped one.zip");
    writeFile(first, "x");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(work() + QStringLiteral("/two.zip"))});
    QDragEnterEvent enter(where, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(where, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);
    ASSERT_TRUE(drop.isAccepted());
    ASSERT_TRUE(waitForCompletion());
    const QList<QByteArray> calls = readFile(record).trimmed().split('\n');
    ASSERT_EQ(calls.size(), 2);
    EXPECT_TRUE(calls[0].startsWith("l " + first.toUtf8() + " -slt"));
}

TEST_F(ExpansionTest, TheRefusedPasswordNoticeMovesNeitherFieldNorButtons)
{
    passwordWindow()->show();
    auto* field = passwordWindow()->findChild<QLineEdit*>(QStringLiteral("mPasswdField"));
    auto* ok = passwordWindow()->findChild<QPushButton*>(QStringLiteral("mOkButtonPasswordWindow"));
    auto* notice = passwordWindow()->findChild<QLabel*>(QStringLiteral("mBottomTextOnPasswordWindow"));
    QApplication::processEvents();
    const QRect fieldBefore = field->geometry();
    const QPoint okBefore = ok->mapTo(passwordWindow(), QPoint());
    notice->setHidden(false);
    passwordWindow()->layout()->activate();
    QApplication::processEvents();
    EXPECT_EQ(field->geometry(), fieldBefore);
    EXPECT_EQ(ok->mapTo(passwordWindow(), QPoint()), okBefore);
}

TEST_F(ExpansionTest, AtItsMinimumSizeTheMainWindowSqueezesNothing)
{
    delegate->applicationDidFinishLaunching();
    QMainWindow* window = delegate->mMainWindow();
    // A desktop font larger than Qt's own, as GNOME's is.
    QFont font = window->font();
    font.setPointSizeF(font.pointSizeF() * 1.25);
    window->setFont(font);
    window->layout()->activate();
    window->resize(window->minimumSize());
    window->layout()->activate();
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->isVisible() && !widget->isWindow() && widget->layout() == nullptr) {
            EXPECT_GE(widget->height(), widget->minimumSizeHint().height()) << widget->objectName().toStdString();
        }
    }
    auto* folder = window->findChild<PathControl*>(QStringLiteral("mCustomFolder"));
    EXPECT_GE(folder->height(), folder->sizeHint().height());
    auto* subtitle = window->findChild<QLabel*>(QStringLiteral("subtitleLabel"));
    EXPECT_GE(subtitle->width(), subtitle->sizeHint().width());
    // The whole path, where only its last name shows, and how to change it.
    EXPECT_EQ(folder->toolTip(), QDir::homePath() + QStringLiteral("\nDouble-click to choose another folder"));
}

TEST(OpenDialog, ArchivesComeFirstThenEveryFile)
{
    OpenPanel panel;
    panel.extensions = {QStringLiteral("zip"), QStringLiteral("7z")};
    QFileDialog dialog;
    configureOpenDialog(dialog, panel);
    EXPECT_EQ(dialog.nameFilters(), (QStringList {QStringLiteral("Archives (*.zip *.7z)"), QStringLiteral("All files (*)")}));
    EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("Archives (*.zip *.7z)"));
}

// A progress window with an alert about it: the alert never covers it while the screen has room.
TEST(AlertPlacement, KeepsTheWindowInSight)
{
    const QRect screen(0, 0, 1280, 800);
    const QSize alert(400, 150);
    const struct {
        QRect window;
        QPoint expected;
    } cases[] = {
        {{440, 300, 400, 120}, {439, 432}}, // room below
        {{440, 600, 400, 120}, {439, 438}}, // at the bottom: above
        {{300, 100, 400, 650}, {712, 349}}, // tall: to the right
    };
    for (const auto& c : cases) {
        const QPoint at = alertPositionBeside(c.window, alert, screen);
        EXPECT_EQ(at, c.expected) << c.window.y();
        EXPECT_FALSE(QRect(at, alert).intersects(c.window)) << c.window.y();
    }
}

// The window manager gives the alert a title bar like the window's: the whole frame of the
// alert stays clear of the window, the title bar too.
TEST(AlertPlacement, KeepsTheAlertsTitleBarOffTheWindow)
{
    const QRect screen(0, 0, 1280, 800);
    const QSize alert(400, 150);
    const QMargins decoration(1, 24, 1, 1); // a title bar and thin borders
    const struct {
        QRect contents;
        QPoint expected; // the alert's contents
    } cases[] = {
        {{440, 300, 410, 90}, {444, 427}}, // room below: the title bar starts 12 below the frame
        {{440, 620, 410, 90}, {444, 433}}, // at the bottom: above, its frame's foot 12 above the frame
    };
    for (const auto& c : cases) {
        const QRect frame = c.contents.marginsAdded(decoration);
        const QPoint at = alertContentsPositionBeside(frame, c.contents, alert, screen);
        EXPECT_EQ(at, c.expected) << c.contents.y();
        const QRect alertFrame = QRect(at, alert).marginsAdded(decoration);
        EXPECT_FALSE(alertFrame.intersects(frame)) << c.contents.y();
        EXPECT_TRUE(screen.contains(alertFrame)) << c.contents.y();
    }
}

TEST_F(ExpansionTest, TheOpenMenuItemSendsOpenArchive)
{
    delegate->applicationDidFinishLaunching();
    QAction* open = nullptr;
    for (QAction* action : delegate->mMainWindow()->findChildren<QAction*>())
        if (action->shortcut() == QKeySequence(QStringLiteral("Ctrl+O")))
            open = action;
    ASSERT_NE(open, nullptr);
    open->trigger();
    EXPECT_EQ(seam.openPanels.size(), 1);
}

TEST_F(ExpansionTest, ClosingTheLastWindowQuitsButNotWhileAnotherIsOpen)
{
    delegate->applicationDidFinishLaunching();
    passwordWindow()->show();
    delegate->mMainWindow()->close();
    EXPECT_EQ(seam.terminateCount, 0);
    passwordWindow()->close();
    EXPECT_EQ(seam.terminateCount, 1);
}

TEST_F(ExpansionTest, PreferenceControlsWriteAllFourKeysAtOnce)
{
    delegate->applicationDidFinishLaunching();
    QMainWindow* window = delegate->mMainWindow();
    window->findChild<QCheckBox*>(QStringLiteral("mIsUSedRevealInFinder"))->click();
    UserDefaults reread; // what a new launch reads from the same file
    EXPECT_EQ(reread.stringForKey(keys::IsRevealInFinder), QStringLiteral("0"));
    EXPECT_EQ(reread.stringForKey(keys::IsUsedCustomFolder), QStringLiteral("0"));
    EXPECT_EQ(reread.stringForKey(keys::ActionAfterExpanding), QStringLiteral("0"));
    EXPECT_EQ(reread.stringForKey(keys::CustomFolder), QDir::homePath());

    // The folder chooser stores the chosen folder's file URL at once, and nothing else.
    const QString folder = work() + QStringLiteral("/Zielordner ü %");
    QDir().mkpath(folder);
    seam.openPanelAnswers = {QStringList {folder}};
    window->findChild<PathControl*>(QStringLiteral("mCustomFolder"))->doubleClicked();
    UserDefaults after;
    const std::optional<QString> stored = after.stringForKey(keys::CustomFolder);
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->startsWith(QStringLiteral("file:///")));
    EXPECT_TRUE(stored->endsWith(u'/'));
    EXPECT_EQ(folderPathFromStored(stored), folder);
    EXPECT_EQ(after.stringForKey(keys::IsUsedCustomFolder), QStringLiteral("0"));
    EXPECT_EQ(seam.openPanels.last().title, QStringLiteral("Choose a file object"));
    EXPECT_TRUE(seam.openPanels.last().canChooseDirectories);
    EXPECT_FALSE(seam.openPanels.last().canChooseFiles);
}

TEST_F(ExpansionTest, EveryPreferenceControlStoresItsChangeAtOnce)
{
    delegate->applicationDidFinishLaunching();
    QMainWindow* window = delegate->mMainWindow();
    struct Change {
        QString key;
        std::function<void()> byTheUser;
        const char* stored;
    };
    const Change changes[] = {
        {keys::IsUsedCustomFolder,
            [window] { window->findChild<QCheckBox*>(QStringLiteral("mIsUsedCustomFolder"))->click(); }, "1"},
        {keys::IsRevealInFinder,
            [window] { window->findChild<QCheckBox*>(QStringLiteral("mIsUSedRevealInFinder"))->click(); }, "0"},
        {keys::ActionAfterExpanding,
            [window] {
                auto* action = window->findChild<QComboBox*>(QStringLiteral("mActionAfterExpanding"));
                action->setCurrentIndex(1);
                emit action->activated(1); // what a choice in the pop-up sends
            },
            "1"},
    };
    for (const Change& change : changes) {
        change.byTheUser();
        EXPECT_EQ(UserDefaults().stringForKey(change.key), QString::fromLatin1(change.stored))
            << change.key.toStdString();
    }
}

} // namespace
} // namespace quendle::test

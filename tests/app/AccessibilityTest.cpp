// What assistive tools (screen readers, keyboard users) get from the windows, through Qt's
// accessibility interfaces as the desktop's bridge reads them.
#include "app/QuendleAppDelegate.h"
#include "prefs/PathControl.h"
#include "prefs/UserDefaults.h"
#include "progress/ExtractingProgressWindow.h"
#include "progress/ProgressIndicator.h"
#include "support/ScriptedSeam.h"
#include "support/TestEnvironment.h"

#include <QAccessible>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace quendle;
using namespace quendle::test;

namespace {

class AccessibilityTest : public testing::Test {
protected:
    void SetUp() override
    {
        mDefaults = std::make_unique<UserDefaults>();
        QuendleAppDelegate::initialize(*mDefaults);
        mDelegate = std::make_unique<QuendleAppDelegate>(mSeam, *mDefaults);
        mDelegate->loadMainInterface();
    }

    void TearDown() override
    {
        mDelegate.reset();
    }

    PathControl* folderControl() { return mDelegate->mMainWindow()->findChild<PathControl*>(QStringLiteral("mCustomFolder")); }

    TemporaryHome mHome;
    ScriptedSeam mSeam;
    std::unique_ptr<UserDefaults> mDefaults;
    std::unique_ptr<QuendleAppDelegate> mDelegate;
};

TEST_F(AccessibilityTest, FolderControlIsANamedButtonThatOpensTheChooser)
{
    PathControl* control = folderControl();
    ASSERT_NE(control, nullptr);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Folder to expand into"));
    EXPECT_EQ(accessible->text(QAccessible::Value), QDir::homePath());
    EXPECT_TRUE(accessible->text(QAccessible::Description).startsWith(QDir::homePath()))
        << accessible->text(QAccessible::Description).toStdString();
    QAccessibleActionInterface* actions = accessible->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));

    // Pressed by the tool: the folder chooser opens, as for a double-click.
    const qsizetype before = mSeam.openPanels.size();
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(spinUntil([&] { return mSeam.openPanels.size() == before + 1; }, 5000));
    EXPECT_TRUE(mSeam.openPanels.last().canChooseDirectories);
}

// From the keyboard, each of these keys opens the chooser; others leave it closed.
TEST_F(AccessibilityTest, FolderControlOpensTheChooserFromTheKeyboard)
{
    PathControl* control = folderControl();
    ASSERT_NE(control, nullptr);
    const struct {
        Qt::Key key;
        bool opens;
    } keys[] = {{Qt::Key_Space, true}, {Qt::Key_Return, true}, {Qt::Key_Enter, true}, {Qt::Key_A, false}, {Qt::Key_Tab, false}};
    for (const auto& c : keys) {
        const qsizetype before = mSeam.openPanels.size();
        QTest::keyClick(control, c.key);
        EXPECT_EQ(mSeam.openPanels.size(), before + (c.opens ? 1 : 0)) << QKeySequence(c.key).toString().toStdString();
    }
}

TEST_F(AccessibilityTest, ProgressBarIsNamedAndTellsItsValue)
{
    ExtractingProgressWindow progress;
    progress.setMaxValue(8);
    progress.updateProgressIndicatorValue(2);
    ProgressIndicator* bar = progress.determinateBar();
    ASSERT_NE(bar, nullptr);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(bar);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::ProgressBar);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Expansion progress"));
    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_DOUBLE_EQ(value->minimumValue().toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(value->maximumValue().toDouble(), 8.0);
    EXPECT_DOUBLE_EQ(value->currentValue().toDouble(), 2.0);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("25%"));

    // A screen reader follows the run.
    progress.updateProgressIndicatorValue(6);
    EXPECT_DOUBLE_EQ(value->currentValue().toDouble(), 6.0);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("75%"));
}

TEST_F(AccessibilityTest, PasswordFieldIsNamedAndARefusalIsAnnounced)
{
    QDialog* window = mDelegate->passwordWindow();
    auto* field = window->findChild<QLineEdit*>(QStringLiteral("mPasswdField"));
    auto* notice = window->findChild<QLabel*>(QStringLiteral("mBottomTextOnPasswordWindow"));
    ASSERT_TRUE(field && notice);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(field);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::EditableText);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Password"));

    // The refusal is an alert: screen readers speak an alert's text as soon as it shows.
    QAccessibleInterface* refusal = QAccessible::queryAccessibleInterface(notice);
    ASSERT_NE(refusal, nullptr);
    EXPECT_EQ(refusal->role(), QAccessible::AlertMessage);
    EXPECT_EQ(refusal->text(QAccessible::Name), QStringLiteral("Wrong password. Please try again."));
    EXPECT_TRUE(refusal->state().invisible);
    window->show();
    notice->setHidden(false); // as a refused password shows it
    EXPECT_FALSE(refusal->state().invisible);
    window->hide();
}

} // namespace

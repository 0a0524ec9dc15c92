// The folder control: the URL it holds, what it shows, its double-click, and the stored round trip.
#include "prefs/PathControl.h"
#include "prefs/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace quendle;
using quendle::test::TemporaryHome;

namespace {

void doubleClick(QWidget* widget)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget->mapToGlobal(at), Qt::LeftButton, {}, {});
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
    QApplication::sendEvent(widget, &dbl);
    QApplication::sendEvent(widget, &release);
}

} // namespace

TEST(PathControl, APlainFolderPathBecomesItsFileUrlWithASlash)
{
    TemporaryHome home;
    const QString folder = home.root() + QStringLiteral("/My Files");
    ASSERT_TRUE(QDir().mkpath(folder));
    PathControl control;
    control.setURL(folder);
    EXPECT_TRUE(control.url().isLocalFile());
    EXPECT_TRUE(control.url().toString(QUrl::FullyEncoded).endsWith(QStringLiteral("/My%20Files/")));
    EXPECT_EQ(control.folderPath(), folder);
    EXPECT_EQ(control.displayedName(), QStringLiteral("My Files"));
    EXPECT_EQ(control.toolTip(), folder + QStringLiteral("\nDouble-click to choose another folder"));

    // A folder not yet made still counts as a folder; an existing file does not get a slash.
    control.setURL(home.root() + QStringLiteral("/later"));
    EXPECT_TRUE(control.url().toString().endsWith(QStringLiteral("/later/")));
    test::writeFile(home.root() + QStringLiteral("/plain.txt"), "x");
    control.setURL(home.root() + QStringLiteral("/plain.txt"));
    EXPECT_TRUE(control.url().toString().endsWith(QStringLiteral("/plain.txt")));

    control.setURL(QStringLiteral("file:///srv/x/"));
    EXPECT_EQ(control.folderPath(), QStringLiteral("/srv/x"));
    control.setURL(QStringLiteral("/"));
    EXPECT_EQ(control.url().toString(), QStringLiteral("file:///"));
    EXPECT_EQ(control.displayedName(), QStringLiteral("/"));
    control.setUrl(QUrl());
    EXPECT_TRUE(control.url().isEmpty());
    EXPECT_TRUE(control.displayedName().isEmpty());
}

TEST(PathControl, ChosenFoldersSurviveTheStoreAndTheNextLaunch)
{
    TemporaryHome home;
    const QStringList names {QStringLiteral("with space"), QStringLiteral("100%"), QStringLiteral("a%20b"),
        QStringLiteral("hash#and?query"), QStringLiteral("Ünïcødé 文件"), QStringLiteral("new\nline"),
        QStringLiteral("semi;colon[1]")};
    for (const QString& name : names) {
        const QString folder = home.root() + u'/' + name;
        ASSERT_TRUE(QDir().mkpath(folder));
        PathControl control;
        control.setURL(folder);
        const QString stored = storedFormOf(control.url());
        EXPECT_TRUE(stored.startsWith(QStringLiteral("file:///"))) << stored.toStdString();
        EXPECT_TRUE(stored.endsWith(u'/')) << stored.toStdString();
        // Percent-escaped: nothing but URL characters in the stored text.
        EXPECT_EQ(QString::fromLatin1(stored.toLatin1()), stored);
        EXPECT_FALSE(stored.contains(u' ') || stored.contains(u'\n')) << stored.toStdString();
        {
            UserDefaults defaults;
            defaults.setObject(stored, keys::CustomFolder);
            ASSERT_TRUE(defaults.synchronize());
        }
        UserDefaults nextLaunch;
        nextLaunch.registerDefaults(registeredDefaults());
        EXPECT_EQ(folderPathFromStored(nextLaunch.stringForKey(keys::CustomFolder)), folder) << stored.toStdString();

        // The control loaded from the stored text shows the same folder again.
        PathControl reloaded;
        reloaded.setUrl(urlWithString(*nextLaunch.stringForKey(keys::CustomFolder)).value_or(QUrl()));
        EXPECT_EQ(reloaded.folderPath(), folder);
        EXPECT_EQ(storedFormOf(reloaded.url()), stored);
    }
}

TEST(PathControl, DoubleClickAndKeyboardAskForTheChooser)
{
    PathControl control;
    control.resize(200, 28);
    int asked = 0;
    QObject::connect(&control, &PathControl::doubleClicked, [&asked] { ++asked; });
    doubleClick(&control);
    EXPECT_EQ(asked, 1);
    QKeyEvent ret(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&control, &ret);
    EXPECT_EQ(asked, 2);
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(&control, &other);
    EXPECT_EQ(asked, 2);
}

// A folder with a very long name: its start and its end stay in sight, the middle gives way,
// and the window around the control keeps the width it has (and may be made narrower).
TEST(PathControl, ALongFolderNameLosesItsMiddleAndNeverWidensTheWindow)
{
    TemporaryHome home;
    const QString name = QStringLiteral("Start of the name ") + QString(160, u'm') + QStringLiteral(" its end");
    const QString folder = home.root() + u'/' + name;
    ASSERT_TRUE(QDir().mkpath(folder));
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* control = new PathControl(&window);
    layout->addWidget(control);
    control->setURL(folder);
    window.resize(400, 40);
    window.show();
    layout->activate();

    EXPECT_LT(window.minimumSizeHint().width(), 300);
    EXPECT_LT(window.sizeHint().width(), 500);
    EXPECT_EQ(control->displayedName(), name);
    const QString shown = control->shownText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Start"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("its end"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_EQ(control->toolTip(), folder + QStringLiteral("\nDouble-click to choose another folder"));

    // Wider, more of the name shows; wide enough, all of it.
    window.resize(3000, 40);
    layout->activate();
    EXPECT_EQ(control->shownText(), name);
}

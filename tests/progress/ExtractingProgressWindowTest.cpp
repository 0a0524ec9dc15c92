// The progress window's controller: loading, the bar's place and values, texts, the stop control.
#include "progress/BusyIndicator.h"
#include "progress/ExtractingProgressWindow.h"
#include "progress/ProgressIndicator.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>

#include <gtest/gtest.h>

// QEvent lets this one class (QtTest's own helper, not linked here) mark an event as coming
// from the window system.
class QSpontaneKeyEvent {
public:
    static void setSpontaneous(QEvent* event) { event->setSpontaneous(); }
};

using namespace quendle;

namespace {

// Stands in for the application delegate: counts the stop requests.
class StopCounter : public QObject {
    Q_OBJECT
public:
    int stops = 0;
public slots:
    void stopExtract() { ++stops; }
};

} // namespace

TEST(ExtractingProgressWindow, LoadsOnFirstUseAndAnimatesItsFirstIndicator)
{
    ExtractingProgressWindow controller;
    EXPECT_FALSE(controller.isWindowLoaded());
    QWidget* window = controller.window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(controller.window(), window);
    EXPECT_DOUBLE_EQ(controller.currentValue(), 0.0);
    ASSERT_NE(controller.firstIndicator(), nullptr);
    EXPECT_TRUE(controller.firstIndicator()->isAnimating());
    EXPECT_EQ(controller.determinateBar(), nullptr);
    EXPECT_EQ(controller.stopButton()->text(), QStringLiteral("Stop"));
    EXPECT_FALSE(window->isVisible());
}

TEST(ExtractingProgressWindow, TheBottomBandIsTwentyPointsAndHoldsTheDestination)
{
    ExtractingProgressWindow controller;
    QWidget* window = controller.window();
    const int hairline = window->height() - 20;
    const QRect label = controller.bottomText()->geometry();
    EXPECT_GE(label.top(), hairline);
    EXPECT_LE(label.bottom(), window->height() - 1);
    // The band is drawn there: its top hairline is darker than the window above it.
    const QImage image = window->grab().toImage();
    const QColor above = image.pixelColor(5, hairline - 2);
    EXPECT_LT(image.pixelColor(5, hairline).lightness(), above.lightness() - 20);
    EXPECT_LT(image.pixelColor(5, window->height() - 2).lightness(), above.lightness());
}

TEST(ExtractingProgressWindow, TheBarSitsAt70And45FromTheLowerLeftCorner)
{
    ExtractingProgressWindow controller;
    controller.setMaxValue(12);
    ProgressIndicator* bar = controller.determinateBar();
    ASSERT_NE(bar, nullptr);
    QWidget* window = controller.window();
    EXPECT_EQ(bar->parentWidget(), window);
    EXPECT_EQ(bar->geometry(), QRect(70, window->height() - 45 - 12, 248, 12));
    EXPECT_TRUE(bar->isBezeled());
    EXPECT_DOUBLE_EQ(bar->minValue(), 0.0);
    EXPECT_DOUBLE_EQ(bar->maxValue(), 12.0);
    EXPECT_DOUBLE_EQ(bar->doubleValue(), 0.0);
    // The form leaves room for it: the bar lies wholly inside the window.
    EXPECT_TRUE(window->rect().contains(bar->geometry()));
    // The form's indicator stays where it was, still turning.
    EXPECT_EQ(controller.firstIndicator()->parentWidget(), window);
    EXPECT_TRUE(controller.firstIndicator()->isAnimating());
    EXPECT_FALSE(bar->geometry().intersects(controller.firstIndicator()->geometry()));
    EXPECT_FALSE(bar->geometry().intersects(controller.stopButton()->geometry()));
}

struct Run {
    const char* name;
    double max;
    std::vector<double> values;
    double fraction; // of the bar, after the last value
};

void PrintTo(const Run& run, std::ostream* os) { *os << run.name; }

class ProgressRun : public testing::TestWithParam<Run> { };

TEST_P(ProgressRun, TheBarFollowsEveryValueThroughIncrements)
{
    ExtractingProgressWindow controller;
    controller.window();
    controller.setMaxValue(GetParam().max);
    for (double value : GetParam().values) {
        controller.updateProgressIndicatorValue(value);
        EXPECT_DOUBLE_EQ(controller.currentValue(), value);
        EXPECT_DOUBLE_EQ(controller.determinateBar()->doubleValue(), value);
    }
    EXPECT_DOUBLE_EQ(controller.determinateBar()->maxValue(), GetParam().max);
    EXPECT_DOUBLE_EQ(controller.determinateBar()->filledFraction(), GetParam().fraction);
}

INSTANTIATE_TEST_SUITE_P(Runs, ProgressRun,
    testing::Values(Run {"Ordinary", 8, {1, 2, 4, 8}, 1.0}, Run {"HalfWay", 8, {3, 4}, 0.5},
        Run {"AboveTheMaximum", 4, {2, 9, 6}, 1.0}, Run {"BackAfterAHigherValue", 10, {7, 3}, 0.3},
        Run {"MaximumZero", 0, {0, 2, 5}, 1.0}, Run {"MaximumZeroNothingYet", 0, {0}, 0.0},
        Run {"MaximumMinusOne", -1, {0, 1}, 1.0}, Run {"MaximumMinusOneNothingYet", -1, {0}, 0.0},
        Run {"Fractions", 3, {0.5, 1.25}, 1.25 / 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExtractingProgressWindow, ValuesBeforeTheBarOnlyMoveTheCurrentValue)
{
    ExtractingProgressWindow controller;
    controller.window();
    controller.updateProgressIndicatorValue(5);
    EXPECT_DOUBLE_EQ(controller.currentValue(), 5);
    controller.setMaxValue(10);
    controller.updateProgressIndicatorValue(7);
    // The new bar starts at 0 and moves by the difference from the stored 5.
    EXPECT_DOUBLE_EQ(controller.determinateBar()->doubleValue(), 2);
}

TEST(ExtractingProgressWindow, ASecondMaximumAddsAnotherBarThatTakesTheValues)
{
    ExtractingProgressWindow controller;
    controller.setMaxValue(5);
    ProgressIndicator* first = controller.determinateBar();
    controller.setMaxValue(9);
    ProgressIndicator* second = controller.determinateBar();
    ASSERT_NE(first, second);
    controller.updateProgressIndicatorValue(3);
    EXPECT_DOUBLE_EQ(first->doubleValue(), 0);
    EXPECT_DOUBLE_EQ(second->doubleValue(), 3);
}

TEST(ExtractingProgressWindow, BottomTextBeforeTheWindowHasLoadedChangesNothing)
{
    ExtractingProgressWindow controller;
    controller.setBottomText(QStringLiteral("/srv/early"));
    EXPECT_FALSE(controller.isWindowLoaded());
    controller.window();
    EXPECT_TRUE(controller.bottomText()->text().isEmpty());
    controller.setBottomText(QStringLiteral("/srv/dest"));
    EXPECT_EQ(controller.bottomText()->text(), QStringLiteral("/srv/dest"));
}

TEST(ExtractingProgressWindow, TitleLoadsTheWindow)
{
    ExtractingProgressWindow controller;
    controller.setTitle(QStringLiteral("Expanding sample.zip"));
    EXPECT_TRUE(controller.isWindowLoaded());
    EXPECT_EQ(controller.window()->windowTitle(), QStringLiteral("Expanding sample.zip"));
}

TEST(ExtractingProgressWindow, TheStopControlReachesTheDelegate)
{
    ExtractingProgressWindow controller;
    controller.window();
    controller.stopButton()->click(); // no delegate yet: nothing happens
    StopCounter delegate;
    controller.setDelegate(&delegate);
    controller.stopButton()->click();
    EXPECT_EQ(delegate.stops, 1);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    controller.showWindow();
    QApplication::sendEvent(controller.window(), &escape);
    EXPECT_EQ(delegate.stops, 2);
    // Stopping changes nothing in the window itself.
    EXPECT_TRUE(controller.window()->isVisible());
}

TEST(ExtractingProgressWindow, ShowsHidesAndClosesButTheUserCannotCloseItAway)
{
    ExtractingProgressWindow controller;
    controller.showWindow();
    QWidget* window = controller.window();
    EXPECT_TRUE(window->isVisible());
    QCloseEvent fromWindowManager;
    QSpontaneKeyEvent::setSpontaneous(&fromWindowManager);
    QApplication::sendEvent(window, &fromWindowManager);
    EXPECT_TRUE(window->isVisible());
    controller.orderOut();
    EXPECT_FALSE(window->isVisible());
    controller.showWindow();
    controller.close();
    EXPECT_FALSE(window->isVisible());
}

#include "ExtractingProgressWindowTest.moc"

// A destination longer than the window loses its middle, never its end; a large desktop font
// makes the band taller instead of cutting the text's descenders.
TEST(ExtractingProgressWindow, TheDestinationIsShortenedAndItsLabelFollowsTheFont)
{
    const QString destination = QStringLiteral("/home/someone/") + QString(200, u'd') + QStringLiteral("/the folder");
    {
        ExtractingProgressWindow controller;
        controller.window();
        controller.setBottomText(destination);
        const QString shown = controller.bottomText()->text();
        EXPECT_TRUE(shown.startsWith(QStringLiteral("/home"))) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QStringLiteral("the folder"))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
        EXPECT_EQ(controller.bottomText()->toolTip(), destination);
    }

    const QFont saved = QApplication::font();
    QFont large = saved;
    large.setPointSizeF(22);
    QApplication::setFont(large);
    ExtractingProgressWindow controller;
    QWidget* window = controller.window();
    QLabel* label = controller.bottomText();
    EXPECT_GE(label->height(), label->fontMetrics().height());
    EXPECT_LE(label->geometry().bottom(), window->height() - 1);
    EXPECT_GT(window->height(), 90);
    EXPECT_EQ(window->width(), 410);
    controller.setMaxValue(4);
    EXPECT_EQ(controller.determinateBar()->geometry(), QRect(70, window->height() - 45 - 12, 248, 12));
    QApplication::setFont(saved);
}

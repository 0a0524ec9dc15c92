// Every text of the main window, the password window and the progress window can be read under a
// light and a dark palette: measured in the drawn window against what is really behind it.
#include "app/QuendleAppDelegate.h"
#include "platform/Paths.h"
#include "prefs/UserDefaults.h"
#include "progress/ExtractingProgressWindow.h"
#include "support/ScriptedSeam.h"
#include "support/TestEnvironment.h"
#include "support/TextContrast.h"
#include "views/Contrast.h"
#include "views/ImageViewDragged.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QSet>
#include <QStyle>
#include <QStyleFactory>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>

using namespace quendle;
using namespace quendle::test;

namespace {

enum class Area { Whole, CheckBoxText, GroupBoxTitle };

struct Text {
    const char* window; // "main", "password" or "progress"
    const char* widget;
    Area area;
};

const Text kTexts[] = {
    {"main", "titleLabel", Area::Whole},
    {"main", "subtitleLabel", Area::Whole},
    {"main", "preferencesBox", Area::GroupBoxTitle},
    {"main", "mIsUsedCustomFolder", Area::CheckBoxText},
    {"main", "mIsUSedRevealInFinder", Area::CheckBoxText},
    {"main", "actionLabel", Area::Whole},
    {"main", "linksBox", Area::GroupBoxTitle},
    {"main", "mBottomText", Area::Whole},
    {"password", "mTopTextOnPasswordWindow", Area::Whole},
    {"password", "mBottomTextOnPasswordWindow", Area::Whole},
    {"progress", "mBottomText", Area::Whole},
};

struct Case {
    const char* palette;
    Text text;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.palette << ' ' << c.text.window << '.' << c.text.widget;
}

class ReadableWindowsTest : public testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        mSavedStyle = QApplication::style()->name();
        mSavedPalette = QApplication::palette();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(
            QByteArray(GetParam().palette) == "dark" ? darkTestPalette() : lightTestPalette());
        mDefaults = std::make_unique<UserDefaults>();
        QuendleAppDelegate::initialize(*mDefaults);
        mDelegate = std::make_unique<QuendleAppDelegate>(mSeam, *mDefaults);
        mDelegate->loadMainInterface();
    }

    void TearDown() override
    {
        mProgress.reset();
        mDelegate.reset();
        QApplication::setStyle(QStyleFactory::create(mSavedStyle));
        QApplication::setPalette(mSavedPalette);
    }

    QWidget* shownWindow(const QByteArray& name)
    {
        QWidget* window = nullptr;
        if (name == "main") {
            window = mDelegate->mMainWindow();
        } else if (name == "password") {
            window = mDelegate->passwordWindow();
            window->findChild<QLabel*>(QStringLiteral("mTopTextOnPasswordWindow"))->setText(QStringLiteral("Type in password for a.zip"));
            window->findChild<QLabel*>(QStringLiteral("mBottomTextOnPasswordWindow"))->setHidden(false);
        } else {
            mProgress = std::make_unique<ExtractingProgressWindow>();
            window = mProgress->window();
            mProgress->setBottomText(QStringLiteral("/home/user/Downloads/expanded"));
        }
        window->show();
        return window;
    }

    TemporaryHome mHome;
    ScriptedSeam mSeam;
    std::unique_ptr<UserDefaults> mDefaults;
    std::unique_ptr<QuendleAppDelegate> mDelegate;
    std::unique_ptr<ExtractingProgressWindow> mProgress;
    QString mSavedStyle;
    QPalette mSavedPalette;
};

TEST_P(ReadableWindowsTest, TextStandsOutFromWhatIsBehindIt)
{
    const Text& text = GetParam().text;
    QWidget* window = shownWindow(text.window);
    auto* widget = window->findChild<QWidget*>(QString::fromLatin1(text.widget));
    ASSERT_NE(widget, nullptr) << text.widget;
    const QRect area = text.area == Area::CheckBoxText ? checkBoxTextArea(widget)
        : text.area == Area::GroupBoxTitle             ? groupBoxTitleArea(widget)
                                                       : QRect();
    const TextContrast measured = measureTextContrast(widget, area);
    std::cout << GetParam().palette << ' ' << text.window << '.' << text.widget << ": "
              << measured.describe().toStdString() << '\n';
    ASSERT_GT(measured.textPixels, 20) << "no text was drawn";
    EXPECT_GE(measured.ratio, kReadableContrast) << measured.describe().toStdString();
}

std::vector<Case> cases()
{
    std::vector<Case> all;
    for (const char* palette : {"light", "dark"})
        for (const Text& text : kTexts)
            all.push_back({palette, text});
    return all;
}

INSTANTIATE_TEST_SUITE_P(Palettes, ReadableWindowsTest, testing::ValuesIn(cases()), [](const auto& info) {
    return std::string(info.param.palette) + "_" + info.param.text.window + "_" + info.param.text.widget;
});

// The light palette keeps the texture as it is; a dark one gets a dark ground with the
// texture's grain, on which the palette's own text reads.
TEST(DecoratedBackground, IsTheTextureInLightPalettesAndDarkInDarkOnes)
{
    const QImage light = ImageViewDragged::backgroundFor(lightTestPalette());
    const QImage dark = ImageViewDragged::backgroundFor(darkTestPalette());
    ASSERT_FALSE(light.isNull()) << "bg.png is missing from the resource folder";
    EXPECT_EQ(light, QImage(quendle::resourcePath() + QStringLiteral("/bg.png")));
    ASSERT_EQ(dark.size(), light.size());
    double darkest = 21.0;
    QSet<QRgb> lightShades;
    QSet<QRgb> darkShades;
    for (int y = 0; y < dark.height(); ++y) {
        for (int x = 0; x < dark.width(); ++x) {
            darkest = std::min(darkest, contrastRatio(darkTestPalette().color(QPalette::WindowText), dark.pixel(x, y)));
            lightShades.insert(light.pixel(x, y));
            darkShades.insert(dark.pixel(x, y));
        }
    }
    EXPECT_GE(darkest, 7.0);
    EXPECT_GE(darkShades.size(), std::min<qsizetype>(lightShades.size(), 8)) << "the grain is kept";
}

// The colours the windows derive from any palette: the warning red on its window colour.
TEST(ReadableColours, WarningRedIsMovedOnlyAsFarAsTheWindowNeeds)
{
    const QColor red(0xb3, 0x26, 0x1e);
    for (const QColor ground : {QColor(Qt::white), QColor(0xef, 0xef, 0xef), QColor(0x35, 0x35, 0x35),
             QColor(Qt::black), QColor(0x80, 0x80, 0x80), QColor(0x24, 0x1f, 0x31)}) {
        const QColor drawn = readableOn(red, ground);
        EXPECT_GE(contrastRatio(drawn, ground), kReadableContrast) << ground.name().toStdString();
        EXPECT_EQ(drawn.toHsl().hslHue(), red.toHsl().hslHue()) << ground.name().toStdString();
        if (contrastRatio(red, ground) >= kReadableContrast) {
            EXPECT_EQ(drawn, red) << "already readable on " << ground.name().toStdString();
        }
    }
}

} // namespace

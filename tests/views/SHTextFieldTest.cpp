// The shadowed label: its starting shadow from every initialiser, and what its drawing shows.
#include "views/ImageViewDragged.h"
#include "views/SHTextField.h"

#include "ui_DecoratedViewsForm.h"

#include <QApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace quendle;

namespace {

const QColor kBackground(0, 0, 160);

// The field drawn over a dark blue ground, with room below its text. It is drawn inside a
// window, as on screen: Qt's shadow effect draws nothing for a field that is a window itself.
QImage renderField(SHTextField& field)
{
    QWidget ground;
    QPalette palette = ground.palette();
    palette.setColor(QPalette::Window, kBackground);
    ground.setPalette(palette);
    ground.setAutoFillBackground(true);
    ground.resize(field.size());
    field.setParent(&ground);
    QImage image(field.size(), QImage::Format_ARGB32);
    image.fill(kBackground);
    ground.render(&image);
    field.setParent(nullptr);
    return image;
}

// The first and last rows holding a pixel that passes the test; -1 when none does.
template <typename Test>
std::pair<int, int> rowsWhere(const QImage& image, Test test)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test(image.pixelColor(x, y))) {
                if (first < 0)
                    first = y;
                last = y;
            }
    return {first, last};
}

bool isText(const QColor& c) { return c.red() < 40 && c.green() < 40 && c.blue() < 60; }
bool isWhiteShadow(const QColor& c) { return c.green() > 120; }
bool isRedShadow(const QColor& c) { return c.red() > 200 && c.green() < 40; }

class ShadowDrawing : public testing::Test {
protected:
    void SetUp() override
    {
        QFont font = field.font();
        font.setPixelSize(24);
        font.setBold(true);
        field.setFont(font);
        QPalette palette = field.palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        field.setPalette(palette);
        field.setAlignment(Qt::AlignLeft | Qt::AlignTop);
        field.resize(160, 60);
    }

    SHTextField field {QStringLiteral("HHHH")};
};

} // namespace

TEST(SHTextField, EveryInitialiserGivesTheSameShadow)
{
    const TextShadow expected {1.0, QColor(Qt::white), QPointF(0.0, 1.0)};
    SHTextField withParent;
    SHTextField withText(QStringLiteral("text"));
    QWidget form;
    Ui::DecoratedViewsForm ui;
    ui.setupUi(&form);
    EXPECT_EQ(withParent.textShadow(), expected);
    EXPECT_EQ(withText.textShadow(), expected);
    EXPECT_EQ(withText.text(), QStringLiteral("text"));
    EXPECT_EQ(ui.caption->textShadow(), expected);
    EXPECT_EQ(ui.caption->parentWidget(), ui.background);
}

TEST_F(ShadowDrawing, TheDefaultShadowLiesOnePointBelowTheText)
{
    const QImage image = renderField(field);
    const auto [textTop, textBottom] = rowsWhere(image, isText);
    const auto [shadowTop, shadowBottom] = rowsWhere(image, isWhiteShadow);
    ASSERT_GE(textTop, 0) << "no text drawn";
    ASSERT_GE(shadowTop, 0) << "no shadow drawn";
    EXPECT_EQ(shadowBottom, textBottom + 1);
    EXPECT_GT(shadowTop, textTop); // below, never above
}

TEST_F(ShadowDrawing, TheNextDrawingUsesTheShadowJustSet)
{
    field.setTextShadow(TextShadow {0.0, QColor(Qt::red), QPointF(0.0, 3.0)});
    QImage image = renderField(field);
    const auto [textTop, textBottom] = rowsWhere(image, isText);
    const auto [redTop, redBottom] = rowsWhere(image, isRedShadow);
    EXPECT_EQ(redBottom, textBottom + 3);
    EXPECT_EQ(rowsWhere(image, isWhiteShadow).first, -1);

    field.setTextShadow(std::nullopt);
    EXPECT_EQ(field.textShadow(), std::nullopt);
    image = renderField(field);
    EXPECT_EQ(rowsWhere(image, isText), (std::pair {textTop, textBottom}));
    EXPECT_EQ(rowsWhere(image, isRedShadow).first, -1);
    EXPECT_EQ(rowsWhere(image, isWhiteShadow).first, -1);
    // Nothing but the text and its anti-aliasing on the blue ground.
    EXPECT_EQ(rowsWhere(image, [](const QColor& c) { return c.red() > 10 || c.green() > 10; }).first, -1);
}

TEST(SHTextField, TheShadowIsReadAndSetFromTwoThreads)
{
    SHTextField field;
    const TextShadow a {1.0, QColor(Qt::white), QPointF(0, 1)};
    const TextShadow b {4.0, QColor(Qt::black), QPointF(2, -2)};
    std::atomic<bool> done {false};
    std::thread writer([&] {
        for (int i = 0; i < 20000; ++i)
            field.setTextShadow(i % 3 == 0 ? std::nullopt : std::optional<TextShadow>(i % 3 == 1 ? a : b));
        done = true;
    });
    int torn = 0;
    while (!done) {
        const std::optional<TextShadow> seen = field.textShadow();
        if (seen && *seen != a && *seen != b)
            ++torn;
    }
    writer.join();
    EXPECT_EQ(torn, 0);
    // The repaints asked for by the other thread arrive here harmlessly.
    QCoreApplication::processEvents();
}

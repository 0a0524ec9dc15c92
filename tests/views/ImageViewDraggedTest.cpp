// The tiled background view: it fills the dirty rectangle, and only that, with "bg.png".
#include "views/ImageViewDragged.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quendle;

namespace {

const QColor kUntouched(255, 0, 255);

// Points the resource folder elsewhere for one test.
class ResourceFolder {
public:
    ResourceFolder()
        : mOld(qgetenv("QUENDLE_RESOURCE_PATH"))
    {
        qputenv("QUENDLE_RESOURCE_PATH", mDir.path().toLocal8Bit());
    }
    ~ResourceFolder() { qputenv("QUENDLE_RESOURCE_PATH", mOld); }
    QString path() const { return mDir.path(); }

private:
    QTemporaryDir mDir;
    QByteArray mOld;
};

// A 3 x 2 image of six different colours, so that both the tiling and its origin show.
QColor patternAt(int x, int y)
{
    return QColor::fromHsv((x % 3) * 60 + (y % 2) * 180, 200, 220).toRgb();
}

QImage renderRegion(ImageViewDragged& view, const QRect& dirty)
{
    QImage image(view.size(), QImage::Format_RGB32);
    image.fill(kUntouched);
    // render() puts the region's corner at the offset given: keep the view's own coordinates.
    view.render(&image, dirty.topLeft(), QRegion(dirty), QWidget::RenderFlags());
    return image;
}

} // namespace

TEST(ImageViewDragged, TilesTheImageOverTheDirtyRectangleOnly)
{
    ResourceFolder resources;
    QImage pattern(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            pattern.setPixelColor(x, y, patternAt(x, y));
    ASSERT_TRUE(pattern.save(resources.path() + QStringLiteral("/bg.png")));

    ImageViewDragged view;
    view.resize(40, 30);
    const QRect dirty(7, 5, 13, 9);
    const QImage image = renderRegion(view, dirty);
    int wrong = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor expected = dirty.contains(x, y) ? patternAt(x, y) : kUntouched;
            if (image.pixel(x, y) != expected.rgb())
                ++wrong;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(ImageViewDragged, WithoutTheImageFillsTheDirtyRectangleWithTheWindowColour)
{
    ResourceFolder resources; // holds no bg.png
    ImageViewDragged view;
    view.resize(40, 30);
    const QRect dirty(0, 20, 40, 10);
    const QImage image = renderRegion(view, dirty);
    EXPECT_EQ(image.pixelColor(5, 25), view.palette().color(QPalette::Window));
    EXPECT_EQ(image.pixelColor(39, 29), view.palette().color(QPalette::Window));
    EXPECT_EQ(image.pixelColor(5, 19), kUntouched);
}

TEST(ImageViewDragged, TheShippedBackgroundIsLightAndQuiet)
{
    // Text sits on it: the image must be light, with only a faint texture.
    const QImage image(qEnvironmentVariable("QUENDLE_RESOURCE_PATH") + QStringLiteral("/bg.png"));
    ASSERT_FALSE(image.isNull());
    int darkest = 255;
    int lightest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int v = qGray(image.pixel(x, y));
            darkest = std::min(darkest, v);
            lightest = std::max(lightest, v);
        }
    EXPECT_GE(darkest, 200);
    EXPECT_LE(lightest - darkest, 32);
}

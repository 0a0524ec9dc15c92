// The tiled background view: "bg.png" from the resource folder, loaded once per folder, and
// its dark variant for dark palettes.
#include "views/ImageViewDragged.h"

#include "platform/Paths.h"
#include "views/Contrast.h"

#include <QPaintEvent>
#include <QPainter>
#include <QImage>

#include <algorithm>

namespace quendle {

namespace {

// Loaded once and kept: every repaint of every such view tiles the same image. The path is
// checked each time because tests (and QUENDLE_RESOURCE_PATH) may point elsewhere later.
// A QImage rather than a QPixmap: a static pixmap would outlive the application object.
const QImage& backgroundImage()
{
    static QString loadedFrom;
    static QImage image;
    const QString path = resourcePath() + QStringLiteral("/bg.png");
    if (path != loadedFrom) {
        loadedFrom = path;
        image = QImage(path);
    }
    return image;
}

// The texture's grain laid over a dark window colour: each pixel keeps its distance from the
// texture's average lightness. The light texture itself under a dark palette's light text
// would leave that text unreadable. Made again only when the colour changes.
const QImage& darkVariant(const QImage& texture, const QColor& window)
{
    static QImage madeFrom;
    static QRgb madeFor = 0;
    static QImage variant;
    if (texture.cacheKey() == madeFrom.cacheKey() && window.rgb() == madeFor && !variant.isNull())
        return variant;
    madeFrom = texture;
    madeFor = window.rgb();
    const QImage source = texture.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            sum += qGray(source.pixel(x, y));
    const int average = source.isNull() ? 0 : int(sum / (qint64(source.width()) * source.height()));
    variant = QImage(source.size(), QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y) {
        for (int x = 0; x < source.width(); ++x) {
            const int grain = qGray(source.pixel(x, y)) - average;
            variant.setPixel(x, y,
                qRgb(std::clamp(window.red() + grain, 0, 255), std::clamp(window.green() + grain, 0, 255),
                    std::clamp(window.blue() + grain, 0, 255)));
        }
    }
    return variant;
}

} // namespace

QImage ImageViewDragged::backgroundFor(const QPalette& palette)
{
    const QImage& texture = backgroundImage();
    if (texture.isNull())
        return {};
    return isDarkPalette(palette) ? darkVariant(texture, palette.color(QPalette::Window)) : texture;
}

ImageViewDragged::ImageViewDragged(QWidget* parent)
    : QWidget(parent)
{
}

void ImageViewDragged::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QImage image = backgroundFor(palette());
    if (image.isNull())
        painter.fillRect(event->rect(), palette().color(QPalette::Window));
    else
        painter.fillRect(event->rect(), QBrush(image));
}

} // namespace quendle

// The tiled background view: "bg.png" from the resource folder, loaded once per folder.
#include "views/ImageViewDragged.h"

#include "platform/Paths.h"

#include <QPaintEvent>
#include <QPainter>
#include <QImage>

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

} // namespace

ImageViewDragged::ImageViewDragged(QWidget* parent)
    : QWidget(parent)
{
}

void ImageViewDragged::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QImage& image = backgroundImage();
    if (image.isNull())
        painter.fillRect(event->rect(), palette().color(QPalette::Window));
    else
        painter.fillRect(event->rect(), QBrush(image));
}

} // namespace quendle

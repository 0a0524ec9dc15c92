// The tiled background view: "bg.png" from the resource folder, loaded once per folder.
#include "views/ImageViewDragged.h"

#include "platform/Paths.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>

namespace quendle {

namespace {

// Loaded once and kept: every repaint of every such view tiles the same image. The path is
// checked each time because tests (and QUENDLE_RESOURCE_PATH) may point elsewhere later.
const QPixmap& backgroundImage()
{
    static QString loadedFrom;
    static QPixmap image;
    const QString path = resourcePath() + QStringLiteral("/bg.png");
    if (path != loadedFrom) {
        loadedFrom = path;
        image = QPixmap(path);
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
    const QPixmap& image = backgroundImage();
    if (image.isNull())
        painter.fillRect(event->rect(), palette().color(QPalette::Window));
    else
        painter.fillRect(event->rect(), QBrush(image));
}

} // namespace quendle

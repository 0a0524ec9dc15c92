// A plain view whose area is tiled with the background image "bg.png" of the resource folder
// (under a dark palette, with its dark variant).
#pragma once

#include <QImage>
#include <QWidget>

namespace quendle {

class ImageViewDragged : public QWidget {
    Q_OBJECT
public:
    explicit ImageViewDragged(QWidget* parent = nullptr);

    // What the view tiles under that palette: the texture in a light one, the texture's grain
    // over the window colour in a dark one; null without the image.
    static QImage backgroundFor(const QPalette& palette);

protected:
    // Tiles the image over the dirty rectangle only, aligned to the view's own origin so
    // that partial repaints join seamlessly; without the image, the window colour.
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quendle

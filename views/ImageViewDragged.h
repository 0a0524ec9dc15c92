// A plain view whose area is tiled with the background image "bg.png" of the resource folder.
#pragma once

#include <QWidget>

namespace quendle {

class ImageViewDragged : public QWidget {
    Q_OBJECT
public:
    explicit ImageViewDragged(QWidget* parent = nullptr);

protected:
    // Tiles the image over the dirty rectangle only, aligned to the view's own origin so
    // that partial repaints join seamlessly; without the image, the window colour.
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quendle

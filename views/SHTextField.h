// A label that draws its text with a soft shadow: white, one point below, slightly blurred.
#pragma once

#include <QColor>
#include <QLabel>
#include <QPointF>

#include <mutex>
#include <optional>

class QGraphicsDropShadowEffect;

namespace quendle {

// A shadow as the drawing casts it. The offset is in Qt's y-down coordinates: (0, 1) is one
// point below the text.
struct TextShadow {
    qreal blurRadius = 0.0;
    QColor color;
    QPointF offset;

    friend bool operator==(const TextShadow&, const TextShadow&) = default;
};

class SHTextField : public QLabel {
    Q_OBJECT
public:
    explicit SHTextField(QWidget* parent = nullptr);
    explicit SHTextField(const QString& text, QWidget* parent = nullptr);
    ~SHTextField() override;

    // The shadow of the next drawing; none draws the text plain. Both may be called from
    // any thread; the drawing itself stays on the thread that owns the field.
    std::optional<TextShadow> textShadow() const;
    void setTextShadow(const std::optional<TextShadow>& shadow);

    // The shadow every field starts with: blur 1.0, white, one point below.
    static TextShadow defaultShadow();

    // The colour the shadow is drawn in under the field's palette: the one set, or in a dark
    // palette the palette's shadow colour.
    QColor drawnColour(const QColor& shadowColour) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void commonInit();
    // Gives the effect the shadow last set; on the field's thread.
    void applyShadow();

    QGraphicsDropShadowEffect* mEffect = nullptr; // owned by the field
    mutable std::mutex mShadowLock;
    std::optional<TextShadow> mShadow;
};

} // namespace quendle

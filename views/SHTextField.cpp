// The shadowed label: QLabel draws the text, Qt's drop-shadow effect casts its shadow.
#include "views/SHTextField.h"

#include "views/Contrast.h"

#include <QEvent>
#include <QGraphicsDropShadowEffect>

namespace quendle {

namespace {

// The shadow's blur radius is twice the standard deviation, which is how soft a one-point
// shadow looks on a Mac; the effect's radius reaches further, to where the blur fades out.
// Twice the shadow's radius matched the former hand-made blur most closely on screen.
constexpr qreal kEffectRadiusPerBlur = 2.0;

} // namespace

SHTextField::SHTextField(QWidget* parent)
    : QLabel(parent)
{
    commonInit();
}

SHTextField::SHTextField(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    commonInit();
}

SHTextField::~SHTextField()
{
    // Drops the shadow under the lock, so a reader on another thread never sees it half gone.
    std::lock_guard lock(mShadowLock);
    mShadow.reset();
}

TextShadow SHTextField::defaultShadow()
{
    return TextShadow {1.0, QColor(Qt::white), QPointF(0.0, 1.0)};
}

void SHTextField::commonInit()
{
    mEffect = new QGraphicsDropShadowEffect(this);
    setGraphicsEffect(mEffect); // the field owns it from here
    {
        std::lock_guard lock(mShadowLock);
        mShadow = defaultShadow();
    }
    applyShadow();
}

std::optional<TextShadow> SHTextField::textShadow() const
{
    std::lock_guard lock(mShadowLock);
    return mShadow;
}

void SHTextField::setTextShadow(const std::optional<TextShadow>& shadow)
{
    {
        std::lock_guard lock(mShadowLock);
        mShadow = shadow;
    }
    // The effect belongs to the field's own thread; from another one the change is queued.
    QMetaObject::invokeMethod(this, &SHTextField::applyShadow, Qt::AutoConnection);
}

void SHTextField::applyShadow()
{
    const std::optional<TextShadow> shadow = textShadow();
    const bool visible = shadow && shadow->color.isValid() && shadow->color.alpha() > 0;
    if (visible) {
        mEffect->setBlurRadius(shadow->blurRadius * kEffectRadiusPerBlur);
        mEffect->setColor(drawnColour(shadow->color));
        mEffect->setOffset(shadow->offset);
    }
    mEffect->setEnabled(visible);
}

QColor SHTextField::drawnColour(const QColor& shadowColour) const
{
    // A light shadow under a dark palette's light text would blur it into a glow; there the
    // shadow is the palette's own shadow colour, as deep as the one asked for.
    if (!isDarkPalette(palette()))
        return shadowColour;
    QColor dark = palette().color(QPalette::Shadow);
    dark.setAlphaF(shadowColour.alphaF());
    return dark;
}

void SHTextField::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyShadow();
}

} // namespace quendle

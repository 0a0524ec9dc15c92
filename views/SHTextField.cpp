// The shadowed label: its text drawn once as a blurred, offset shadow, then as QLabel draws it.
#include "views/SHTextField.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QTextDocument>
#include <QTextFrame>

#include <cmath>
#include <vector>

namespace quendle {

namespace {

// Gaussian blur of a premultiplied image in place, separable. The blur radius is taken as
// twice the standard deviation, which is how soft a one-point shadow looks on a Mac.
void blurImage(QImage& image, qreal radius)
{
    const qreal sigma = radius / 2.0;
    if (sigma < 0.1)
        return;
    const int half = int(std::ceil(sigma * 3.0));
    std::vector<float> kernel(size_t(2 * half + 1));
    float sum = 0;
    for (int i = -half; i <= half; ++i) {
        kernel[size_t(i + half)] = float(std::exp(-qreal(i * i) / (2.0 * sigma * sigma)));
        sum += kernel[size_t(i + half)];
    }
    for (float& k : kernel)
        k /= sum;

    const int width = image.width();
    const int height = image.height();
    std::vector<float> line;
    auto pass = [&](bool horizontal) {
        const int outer = horizontal ? height : width;
        const int inner = horizontal ? width : height;
        line.assign(size_t(inner) * 4, 0.0f);
        for (int o = 0; o < outer; ++o) {
            auto pixel = [&](int i) -> QRgb& {
                return reinterpret_cast<QRgb*>(image.scanLine(horizontal ? o : i))[horizontal ? i : o];
            };
            for (int i = 0; i < inner; ++i) {
                float acc[4] = {0, 0, 0, 0};
                for (int k = std::max(-half, -i); k <= half && i + k < inner; ++k) {
                    const QRgb p = pixel(i + k);
                    const float weight = kernel[size_t(k + half)];
                    acc[0] += weight * float(qRed(p));
                    acc[1] += weight * float(qGreen(p));
                    acc[2] += weight * float(qBlue(p));
                    acc[3] += weight * float(qAlpha(p));
                }
                std::copy(acc, acc + 4, &line[size_t(i) * 4]);
            }
            for (int i = 0; i < inner; ++i) {
                const float* v = &line[size_t(i) * 4];
                pixel(i) = qRgba(int(v[0] + 0.5f), int(v[1] + 0.5f), int(v[2] + 0.5f), int(v[3] + 0.5f));
            }
        }
    };
    pass(true);
    pass(false);
}

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
    std::lock_guard lock(mShadowLock);
    mShadow = defaultShadow();
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
    // Repainting belongs to the field's own thread; from another one it is queued.
    QMetaObject::invokeMethod(this, qOverload<>(&QWidget::update), Qt::AutoConnection);
}

void SHTextField::paintEvent(QPaintEvent* event)
{
    const std::optional<TextShadow> shadow = textShadow();
    if (shadow && shadow->color.isValid() && shadow->color.alpha() > 0 && !text().isEmpty()) {
        const qreal scale = devicePixelRatioF();
        QImage shape((QSizeF(size()) * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
        shape.setDevicePixelRatio(scale);
        shape.fill(Qt::transparent);
        {
            QPainter shapePainter(&shape);
            shapePainter.setFont(font()); // a painter on the widget would take it from there
            drawTextShape(shapePainter, shadow->color);
        }
        blurImage(shape, shadow->blurRadius * scale);
        QPainter painter(this);
        painter.setClipRegion(event->region());
        painter.drawImage(shadow->offset, shape);
    }
    QLabel::paintEvent(event);
}

// Follows QLabel's own placement of its text (contents rectangle, margin, indent,
// alignment, word wrap, mnemonics, rich text) so that the shadow falls exactly under it.
void SHTextField::drawTextShape(QPainter& painter, const QColor& color) const
{
    const bool rich = textFormat() == Qt::RichText || (textFormat() == Qt::AutoText && Qt::mightBeRichText(text()));
    const Qt::LayoutDirection direction = rich ? layoutDirection()
        : text().isRightToLeft()                 ? Qt::RightToLeft
                                                 : Qt::LeftToRight;
    const int align = QStyle::visualAlignment(direction, alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);

    QRect rect = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    int inset = indent();
    if (inset < 0 && frameWidth())
        inset = fontMetrics().horizontalAdvance(u'x') / 2 - margin();
    if (inset > 0) {
        if (align & Qt::AlignLeft)
            rect.setLeft(rect.left() + inset);
        if (align & Qt::AlignRight)
            rect.setRight(rect.right() - inset);
        if (align & Qt::AlignTop)
            rect.setTop(rect.top() + inset);
        if (align & Qt::AlignBottom)
            rect.setBottom(rect.bottom() - inset);
    }

    const bool selectable = textInteractionFlags() & (Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    if (!rich && !selectable) {
        QStyleOption option;
        option.initFrom(this);
        QPalette palette = option.palette;
        palette.setColor(QPalette::All, foregroundRole(), color);
        int flags = align | (direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
        if (buddy() && text().contains(u'&')) {
            flags |= Qt::TextShowMnemonic;
            if (!style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this))
                flags |= Qt::TextHideMnemonic;
        }
        style()->drawItemText(&painter, rect, flags, palette, true, text(), foregroundRole());
        return;
    }

    // Rich or selectable text: QLabel lays it out as a document without margins.
    QTextDocument document;
    document.setDefaultFont(font());
    if (rich)
        document.setHtml(text());
    else
        document.setPlainText(text());
    QTextOption option = document.defaultTextOption();
    option.setAlignment(Qt::Alignment(align));
    option.setWrapMode(wordWrap() ? QTextOption::WordWrap : QTextOption::ManualWrap);
    document.setDefaultTextOption(option);
    QTextFrameFormat frame = document.rootFrame()->frameFormat();
    frame.setMargin(0);
    document.rootFrame()->setFrameFormat(frame);
    document.setTextWidth(rect.width());
    const qreal height = document.documentLayout()->documentSize().height();
    qreal top = rect.top();
    if (align & Qt::AlignVCenter)
        top += std::max((rect.height() - height) / 2, 0.0);
    else if (align & Qt::AlignBottom)
        top += std::max(rect.height() - height, 0.0);

    painter.save();
    painter.translate(rect.left(), top);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, color);
    context.clip = QRectF(0, 0, rect.width(), rect.height());
    document.documentLayout()->draw(&painter, context);
    painter.restore();
    // Coloured spans and links cast the same shadow as the rest.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(size())), color);
}

} // namespace quendle

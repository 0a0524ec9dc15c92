// Measures text against what is really behind it, in a rendered window.
#include "support/TextContrast.h"

#include "views/Contrast.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <vector>

namespace quendle::test {

namespace {

QImage drawnWindow(QWidget* window)
{
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

QString TextContrast::describe() const
{
    return QStringLiteral("%1 text pixels, contrast %2:1").arg(textPixels).arg(ratio, 0, 'f', 2);
}

TextContrast measureTextContrast(QWidget* target, const QRect& area)
{
    QWidget* window = target->window();
    const QImage withText = drawnWindow(window);
    // The same window without the target's text: what lies behind it. A label is emptied
    // (a warning label keeps its own colour whatever the palette says), in a size held fixed
    // meanwhile; anything else gets invisible text colours.
    QImage withoutText;
    if (auto* label = qobject_cast<QLabel*>(target)) {
        const QString text = label->text();
        const QSize minimum = label->minimumSize();
        const QSize maximum = label->maximumSize();
        label->setFixedSize(label->size());
        label->setText(QString());
        withoutText = drawnWindow(window);
        label->setText(text);
        label->setMinimumSize(minimum);
        label->setMaximumSize(maximum);
    } else {
        const QPalette saved = target->palette();
        QPalette hidden = saved;
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            hidden.setColor(role, Qt::transparent);
        target->setPalette(hidden);
        withoutText = drawnWindow(window);
        target->setPalette(saved);
    }

    const QRect local = area.isNull() ? target->rect() : area;
    const QRect inWindow(target->mapTo(window, local.topLeft()), local.size());
    const qreal ratio = withText.devicePixelRatio();
    const QRect pixels = QRect((inWindow.topLeft() * ratio), inWindow.size() * ratio) & withText.rect();

    struct Spot {
        double change;
        QRgb ink;
        QRgb ground;
    };
    std::vector<Spot> spots;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        for (int x = pixels.left(); x <= pixels.right(); ++x) {
            const QRgb ink = withText.pixel(x, y);
            const QRgb ground = withoutText.pixel(x, y);
            if (ink != ground)
                spots.push_back({std::abs(relativeLuminance(QColor(ink)) - relativeLuminance(QColor(ground))), ink, ground});
        }
    }
    TextContrast result;
    result.textPixels = int(spots.size());
    if (spots.empty())
        return result;
    // The ink: the colour of the pixels the text covers most (the middle of the most changed
    // tenth; the rest is anti-aliasing and the shadow).
    std::sort(spots.begin(), spots.end(), [](const Spot& a, const Spot& b) { return a.change > b.change; });
    const size_t cores = std::max<size_t>(1, spots.size() / 10);
    const QColor ink(spots[cores / 2].ink);
    std::vector<double> ratios;
    ratios.reserve(spots.size());
    for (const Spot& spot : spots)
        ratios.push_back(contrastRatio(ink, QColor(spot.ground)));
    std::sort(ratios.begin(), ratios.end());
    result.ratio = ratios[ratios.size() / 20];
    return result;
}

QRect checkBoxTextArea(QWidget* checkBox)
{
    QStyleOptionButton option;
    option.initFrom(checkBox);
    if (auto* box = qobject_cast<QCheckBox*>(checkBox))
        option.text = box->text();
    return checkBox->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, checkBox);
}

QRect groupBoxTitleArea(QWidget* groupBox)
{
    QStyleOptionGroupBox option;
    option.initFrom(groupBox);
    if (auto* box = qobject_cast<QGroupBox*>(groupBox)) {
        option.text = box->title();
        option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
        option.textAlignment = box->alignment();
    }
    return groupBox->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, groupBox);
}

QPalette lightTestPalette()
{
    // The style is only asked for its palette, then goes.
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
    return fusion->standardPalette();
}

QPalette darkTestPalette()
{
    QPalette dark;
    const QColor window(0x35, 0x35, 0x35);
    const QColor text(0xee, 0xee, 0xec);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
    dark.setColor(QPalette::AlternateBase, QColor(0x3a, 0x3a, 0x3a));
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, QColor(0x3c, 0x3c, 0x3c));
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::BrightText, Qt::white);
    dark.setColor(QPalette::Light, QColor(0x50, 0x50, 0x50));
    dark.setColor(QPalette::Midlight, QColor(0x44, 0x44, 0x44));
    dark.setColor(QPalette::Mid, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Dark, QColor(0x23, 0x23, 0x23));
    dark.setColor(QPalette::Shadow, QColor(0x14, 0x14, 0x14));
    dark.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::ToolTipBase, QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0x9a, 0x9a, 0x98));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x91, 0x91, 0x91));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor(0x91, 0x91, 0x91));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x91, 0x91, 0x91));
    return dark;
}

} // namespace quendle::test

// The determinate bar in doubles: what it keeps and how much of it is filled.
#include "progress/ProgressIndicator.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using quendle::ProgressIndicator;

struct FillCase {
    double max;
    double value;
    double fraction;
};

void PrintTo(const FillCase& c, std::ostream* os) { *os << "max " << c.max << ", value " << c.value; }

class ProgressFill : public testing::TestWithParam<FillCase> { };

TEST_P(ProgressFill, KeepsTheValueAndFillsItsShare)
{
    ProgressIndicator bar;
    bar.setMaxValue(GetParam().max);
    bar.incrementBy(GetParam().value);
    if (!std::isnan(GetParam().max)) {
        EXPECT_DOUBLE_EQ(bar.maxValue(), GetParam().max);
    }
    EXPECT_DOUBLE_EQ(bar.doubleValue(), GetParam().value); // never clamped
    EXPECT_DOUBLE_EQ(bar.filledFraction(), GetParam().fraction);
}

INSTANTIATE_TEST_SUITE_P(Values, ProgressFill,
    testing::Values(FillCase {10, 0, 0}, FillCase {10, 2.5, 0.25}, FillCase {10, 10, 1},
        FillCase {10, 25, 1}, FillCase {10, -3, 0}, FillCase {3, 1, 1.0 / 3},
        // A maximum that is not above the minimum: empty until something arrives, then full.
        FillCase {0, 0, 0}, FillCase {0, 4, 1}, FillCase {-1, 0, 0}, FillCase {-1, 7, 1},
        FillCase {std::numeric_limits<double>::quiet_NaN(), 1, 1},
        FillCase {10, std::numeric_limits<double>::infinity(), 1}));

namespace {

// Columns of the bar's middle row that the highlight colour fills.
int filledColumns(ProgressIndicator& bar)
{
    QImage image(bar.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    bar.render(&image);
    const QColor highlight = bar.palette().color(QPalette::Highlight);
    int filled = 0;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, image.height() / 2);
        if (std::abs(c.hue() - highlight.hue()) < 20 && c.saturation() > 60)
            ++filled;
    }
    return filled;
}

} // namespace

TEST(ProgressIndicator, AZeroMaximumStaysADeterminateBarThatFillsWhenValuesArrive)
{
    ProgressIndicator bar;
    bar.resize(248, 12);
    bar.setMaxValue(0);
    EXPECT_EQ(filledColumns(bar), 0);
    bar.incrementBy(5);
    const int full = filledColumns(bar);
    EXPECT_GT(full, 200);
    // Half way on an ordinary maximum fills about half as much.
    bar.setMaxValue(10);
    bar.setDoubleValue(5);
    EXPECT_NEAR(filledColumns(bar), full / 2, 3);
    bar.setDoubleValue(40);
    EXPECT_EQ(filledColumns(bar), full);
}

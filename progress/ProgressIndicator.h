// A determinate progress bar that keeps its minimum, maximum and value as doubles.
#pragma once

#include <QWidget>

namespace quendle {

// Unlike QProgressBar it never turns into a busy indicator (a maximum of 0 stays a bar) and
// never clamps: a value beyond the maximum is kept and shows a full bar, and increments
// always apply to the value as stored.
class ProgressIndicator : public QWidget {
    Q_OBJECT
public:
    explicit ProgressIndicator(QWidget* parent = nullptr);

    double minValue() const { return mMinValue; }
    double maxValue() const { return mMaxValue; }
    double doubleValue() const { return mValue; }
    void setMinValue(double value);
    void setMaxValue(double value);
    void setDoubleValue(double value);
    void incrementBy(double delta);

    // A bezeled bar draws its groove; a plain one only the filled part.
    bool isBezeled() const { return mBezeled; }
    void setBezeled(bool bezeled);

    // How much of the bar is filled, from 0 to 1. When the maximum does not lie above the
    // minimum, any value above the minimum fills it and any other leaves it empty.
    double filledFraction() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double mMinValue = 0.0;
    double mMaxValue = 100.0;
    double mValue = 0.0;
    bool mBezeled = true;
};

} // namespace quendle

// A small spinning indicator that shows the application is at work.
#pragma once

#include <QBasicTimer>
#include <QWidget>

namespace quendle {

class BusyIndicator : public QWidget {
    Q_OBJECT
public:
    explicit BusyIndicator(QWidget* parent = nullptr);

    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return mAnimating; }

    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The timer runs only while the spinner animates and can be seen.
    void updateTimer();

    QBasicTimer mTimer;
    int mStep = 0;
    bool mAnimating = false;
};

} // namespace quendle

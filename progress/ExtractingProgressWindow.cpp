// The progress window's controller: loads the form, adds the bar, relays the stop request.
#include "progress/ExtractingProgressWindow.h"

#include "platform/StartupTrace.h"
#include "progress/BusyIndicator.h"
#include "progress/ProgressIndicator.h"
#include "ui_ExtractingProgressWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cstdint>
#include <string>

namespace quendle {

namespace {

// The band drawn at the bottom of the window, as the Mac draws a window's bottom bar: a
// soft vertical gradient under a dark hairline with a light line just below it.
class BottomBar : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QColor window = palette().color(QPalette::Window);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0.0, window.darker(103));
        gradient.setColorAt(1.0, window.darker(114));
        painter.fillRect(rect(), gradient);
        painter.setPen(window.darker(145));
        painter.drawLine(0, 0, width(), 0);
        painter.setPen(window.lighter(104));
        painter.drawLine(0, 1, width(), 1);
    }
};

} // namespace

ExtractingProgressWindow::ExtractingProgressWindow(QObject* parent)
    : QObject(parent)
{
}

ExtractingProgressWindow::~ExtractingProgressWindow() = default;

QWidget* ExtractingProgressWindow::window()
{
    if (mWindow)
        return mWindow.get();
    mWindow = std::make_unique<QWidget>();
    mUi = std::make_unique<Ui::ExtractingProgressWindow>();
    mUi->setupUi(mWindow.get());
    // A progress window: no close, minimise or maximise buttons; Stop is the way out.
    mWindow->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    mWindow->installEventFilter(this);

    QFont small = mUi->mBottomText->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    mUi->mBottomText->setFont(small);
    // A large desktop font would cut the destination's descenders off: the label, the band
    // that holds it and the window grow downwards by what the font needs beyond the form's
    // room; everything above stays where the form puts it.
    mBandGrowth = std::max(0, mUi->mBottomText->fontMetrics().height() - mUi->mBottomText->height());
    const QSize size = mWindow->size() + QSize(0, mBandGrowth);
    mWindow->setMinimumSize(size);
    mWindow->setMaximumSize(size);
    mWindow->resize(size);
    mUi->mBottomText->resize(mUi->mBottomText->width(), mUi->mBottomText->height() + mBandGrowth);
    mWindow->setFixedSize(size);

    // The outlets.
    mExtractIndicator = mUi->mExtractIndicator;
    mBottomText = mUi->mBottomText;
    connect(mUi->mStopButton, &QAbstractButton::clicked, this, &ExtractingProgressWindow::stopExtract);

    awakeFromNib();
    return mWindow.get();
}

void ExtractingProgressWindow::awakeFromNib()
{
    mCurrentValue = 0.0;
    setBottomContentBorderThickness(kBottomBorderThickness + mBandGrowth);
    mUi->mExtractIndicator->startAnimation();
}

void ExtractingProgressWindow::setBottomContentBorderThickness(int thickness)
{
    if (!mBottomBorder) {
        mBottomBorder = new BottomBar(mWindow.get());
        mBottomBorder->lower(); // under the destination label that sits in it
    }
    mBottomBorder->setGeometry(0, mWindow->height() - thickness, mWindow->width(), thickness);
    mBottomBorder->show();
}

void ExtractingProgressWindow::setMaxValue(double max)
{
    QWidget* content = window();
    auto* bar = new ProgressIndicator(content);
    bar->setObjectName(QStringLiteral("determinateBar"));
    // The content's y axis grows downwards here; the bar's place is given from the bottom.
    bar->setGeometry(kBarX, content->height() - kBarY - kBarHeight, kBarWidth, kBarHeight);
    bar->setBezeled(true);
    bar->setMaxValue(max);
    bar->setAccessibleName(tr("Expansion progress"));
    bar->setAccessibleDescription(tr("Items of the archive that have appeared on disk"));
    bar->show();
    mExtractIndicator = bar;
}

void ExtractingProgressWindow::updateProgressIndicatorValue(double value)
{
    if (ProgressIndicator* bar = determinateBar())
        bar->incrementBy(value - mCurrentValue);
    // The trace shows when the items appeared, not only when the run began and ended.
    if (value != mCurrentValue)
        traceStep(("progress " + std::to_string(std::uint64_t(std::max(value, 0.0)))).c_str());
    mCurrentValue = value;
}

void ExtractingProgressWindow::setTitle(const QString& title)
{
    window()->setWindowTitle(title);
}

void ExtractingProgressWindow::setBottomText(const QString& text)
{
    if (!mBottomText)
        return;
    // A long destination loses its middle, so that both where it starts and the folder's own
    // name stay in sight; the tooltip has it whole.
    mBottomText->setText(mBottomText->fontMetrics().elidedText(text, Qt::ElideMiddle, mBottomText->contentsRect().width()));
    mBottomText->setToolTip(text);
}

void ExtractingProgressWindow::showWindow()
{
    QWidget* w = window();
    w->show();
    w->raise();
    w->activateWindow();
}

void ExtractingProgressWindow::orderOut()
{
    window()->hide();
}

void ExtractingProgressWindow::close()
{
    if (mWindow)
        mWindow->close();
}

ProgressIndicator* ExtractingProgressWindow::determinateBar() const
{
    return qobject_cast<ProgressIndicator*>(mExtractIndicator.data());
}

QLabel* ExtractingProgressWindow::bottomText() const
{
    return mBottomText;
}

BusyIndicator* ExtractingProgressWindow::firstIndicator() const
{
    return mUi ? mUi->mExtractIndicator : nullptr;
}

QAbstractButton* ExtractingProgressWindow::stopButton() const
{
    return mUi ? mUi->mStopButton : nullptr;
}

void ExtractingProgressWindow::stopExtract()
{
    emit stopRequested();
}

bool ExtractingProgressWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The window manager's close (Alt+F4) would hide the only way to stop the run while the
    // archiver keeps going; the window closes when the run has ended.
    if (watched == mWindow.get() && event->type() == QEvent::Close && event->spontaneous()) {
        event->ignore();
        return true;
    }
    // Escape stops, as in every progress dialog; it reaches the window when the focused
    // control leaves it alone.
    if (watched == mWindow.get() && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape
        && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        stopExtract();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quendle

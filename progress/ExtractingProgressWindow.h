// The controller of the window shown while an archive is extracted: title, destination,
// the progress bar and the stop control.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QAbstractButton;
class QLabel;
class QWidget;

namespace Ui {
class ExtractingProgressWindow;
}

namespace quendle {

class BusyIndicator;
class ProgressIndicator;

class ExtractingProgressWindow : public QObject {
    Q_OBJECT
public:
    // The band at the window's bottom that holds the destination, in points.
    static constexpr int kBottomBorderThickness = 20;
    // Where the determinate bar goes, measured from the content's lower-left corner.
    static constexpr int kBarX = 70;
    static constexpr int kBarY = 45;
    static constexpr int kBarWidth = 248;
    static constexpr int kBarHeight = 12;

    explicit ExtractingProgressWindow(QObject* parent = nullptr);
    ~ExtractingProgressWindow() override;

    // The window, loaded from its Designer file on first use.
    QWidget* window();
    bool isWindowLoaded() const { return mWindow != nullptr; }

    // The delegate's stopExtract() is called when the user stops; not owned. A member pointer
    // rather than a name, so that renaming the delegate's action breaks the build, not Stop.
    template <class Delegate>
    void setDelegate(Delegate* delegate)
    {
        disconnect(mStopConnection);
        mAppDelegate = delegate;
        if (delegate)
            mStopConnection = connect(this, &ExtractingProgressWindow::stopRequested, delegate,
                &Delegate::stopExtract, Qt::DirectConnection);
    }
    QObject* delegate() const { return mAppDelegate; }

    // Adds the determinate bar with that maximum; every later value goes to it.
    void setMaxValue(double max);
    // Moves the bar to the value, as the increment from the last value given.
    void updateProgressIndicatorValue(double value);
    void setTitle(const QString& title);
    // Names the destination; before the window has loaded there is nothing to set.
    void setBottomText(const QString& text);

    void showWindow();
    void orderOut();
    void close();

    // For the window's users and tests.
    double currentValue() const { return mCurrentValue; }
    // The bar that progress values move: the last one setMaxValue made; null before.
    ProgressIndicator* determinateBar() const;
    BusyIndicator* firstIndicator() const;
    QLabel* bottomText() const;
    QAbstractButton* stopButton() const;

public slots:
    // The stop control's action: asks the delegate to stop; the window itself stays as it is.
    void stopExtract();

signals:
    // The user has asked to stop, by the button or by Escape.
    void stopRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void awakeFromNib();
    void setBottomContentBorderThickness(int thickness);

    std::unique_ptr<Ui::ExtractingProgressWindow> mUi;
    std::unique_ptr<QWidget> mWindow;
    QWidget* mBottomBorder = nullptr;
    int mBandGrowth = 0; // how much taller than the form the font makes the bottom band

    QPointer<QWidget> mExtractIndicator; // the form's indicator until setMaxValue replaces it
    QPointer<QObject> mAppDelegate;
    QMetaObject::Connection mStopConnection;
    QPointer<QLabel> mBottomText;
    double mCurrentValue = 0.0;
};

} // namespace quendle

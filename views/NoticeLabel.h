// A label for a short warning in a window (a refused password): red that stays readable on the
// window's colour, and announced to screen readers when it appears.
#pragma once

#include <QLabel>

namespace quendle {

class NoticeLabel : public QLabel {
    Q_OBJECT
public:
    explicit NoticeLabel(QWidget* parent = nullptr);

    // The red of a warning; lighter or darker as the palette's window colour needs.
    static QColor noticeColourOn(const QColor& background);

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void followPalette();
};

} // namespace quendle

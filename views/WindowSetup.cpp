// Small window chores shared by the windows: centring and the bottom bar.
#include "views/WindowSetup.h"

#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace quendle {

void centerOnScreen(QWidget* window)
{
    if (!window)
        return;
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Keep the size the interface file gave, grown to what the contents need.
    window->ensurePolished();
    window->resize(window->size().expandedTo(window->minimumSizeHint()));
    window->setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window->size(), screen->availableGeometry()));
}

void setContentBorderThickness(QWidget* window, int thickness)
{
    if (!window)
        return;
    auto* bar = window->findChild<QFrame*>(QStringLiteral("bottomBar"));
    if (!bar)
        return;
    bar->setFixedHeight(thickness);
    bar->setStyleSheet(QStringLiteral(
        "QFrame#bottomBar { border: none; border-top: 1px solid palette(mid);"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 palette(window), stop:1 palette(midlight)); }"));
}

bool anotherWindowVisible(const QWidget* except)
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != except && window->isWindow() && window->isVisible())
            return true;
    }
    return false;
}

} // namespace quendle

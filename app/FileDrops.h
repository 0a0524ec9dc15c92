// Files dropped on a window: the local ones are handed on, in the order they came.
#pragma once

#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

namespace quendle {

// The local file paths a drag carries; empty when it carries none (web links, text).
QStringList localFilesOf(const QMimeData* data);

// Makes the window (with everything on it) take drops of local files. Each drop's paths go to
// open from the event loop, after the drop itself has been answered: what they lead to may be
// a modal window, and the dragging program should not wait for it.
void acceptFileDrops(QWidget* window, std::function<void(const QStringList&)> open);

} // namespace quendle

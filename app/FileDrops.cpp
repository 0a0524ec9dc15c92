// Files dropped on a window: the local ones are handed on, in the order they came.
#include "app/FileDrops.h"

#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QUrl>
#include <QWidget>

namespace quendle {

namespace {

class DropFilter : public QObject {
public:
    DropFilter(QWidget* window, std::function<void(const QStringList&)> open)
        : QObject(window)
        , mOpen(std::move(open))
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (localFilesOf(drag->mimeData()).isEmpty())
                return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = localFilesOf(drop->mimeData());
            if (files.isEmpty())
                return false;
            drop->acceptProposedAction();
            QMetaObject::invokeMethod(
                this, [this, files] { mOpen(files); }, Qt::QueuedConnection);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    std::function<void(const QStringList&)> mOpen;
};

} // namespace

QStringList localFilesOf(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files.append(url.toLocalFile());
    }
    return files;
}

void acceptFileDrops(QWidget* window, std::function<void(const QStringList&)> open)
{
    window->setAcceptDrops(true);
    window->installEventFilter(new DropFilter(window, std::move(open)));
}

} // namespace quendle

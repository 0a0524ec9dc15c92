// The folder control of the preferences: the folder's icon and name, a URL, and a double-click.
#include "prefs/PathControl.h"

#include "prefs/UserDefaults.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace quendle {

PathControl::PathControl(QWidget* parent)
    : QFrame(parent)
    , mIcon(new QLabel(this))
    , mName(new QLabel(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(6);
    layout->addWidget(mIcon);
    layout->addWidget(mName, 1);
    // The labels only show; the control itself takes the clicks and the focus.
    mIcon->setAttribute(Qt::WA_TransparentForMouseEvents);
    mName->setAttribute(Qt::WA_TransparentForMouseEvents);
    mName->setTextFormat(Qt::PlainText);
    // Looks like a field, as the desktop's own location boxes do.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    refresh();
}

void PathControl::setUrl(const QUrl& url)
{
    mUrl = url;
    refresh();
}

void PathControl::setURL(const QString& pathOrUrl)
{
    if (pathOrUrl.isEmpty()) {
        setUrl(QUrl());
        return;
    }
    if (!pathOrUrl.startsWith(u'/') && QUrl(pathOrUrl).isValid() && !QUrl(pathOrUrl).scheme().isEmpty()) {
        setUrl(QUrl(pathOrUrl, QUrl::TolerantMode));
        return;
    }
    const QFileInfo info(pathOrUrl);
    QString path = info.absoluteFilePath();
    if (!path.endsWith(u'/') && !(info.exists() && !info.isDir()))
        path += u'/';
    setUrl(QUrl::fromLocalFile(path));
}

QString PathControl::folderPath() const
{
    return folderPathFromUrl(mUrl).value_or(QString());
}

QString PathControl::displayedName() const
{
    return mName->text();
}

void PathControl::refresh()
{
    const QString path = folderPath();
    if (path.isEmpty()) {
        mIcon->clear();
        mName->clear();
        setToolTip(QString());
        return;
    }
    const QFileInfo info(path);
    const QString name = path == QLatin1String("/") ? path : info.fileName();
    QFileIconProvider provider;
    const QIcon icon = info.exists() ? provider.icon(info) : provider.icon(QFileIconProvider::Folder);
    const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    mIcon->setPixmap(icon.pixmap(extent, extent));
    mName->setText(name);
    setToolTip(QDir::toNativeSeparators(path));
}

void PathControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
        event->accept();
        return;
    }
    QFrame::mouseDoubleClickEvent(event);
}

void PathControl::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit doubleClicked();
        event->accept();
        return;
    default:
        QFrame::keyPressEvent(event);
    }
}

void PathControl::changeEvent(QEvent* event)
{
    QFrame::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        refresh();
}

void PathControl::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect();
    option.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

void PathControl::focusInEvent(QFocusEvent* event)
{
    QFrame::focusInEvent(event);
    update();
}

void PathControl::focusOutEvent(QFocusEvent* event)
{
    QFrame::focusOutEvent(event);
    update();
}

} // namespace quendle

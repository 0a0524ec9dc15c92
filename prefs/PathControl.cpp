// The folder control of the preferences: the folder's icon and name, a URL, and a double-click.
#include "prefs/PathControl.h"

#include "prefs/UserDefaults.h"

#include <QAccessible>
#include <QAccessibleWidget>
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
#include <QStyleOptionFrame>

#include <algorithm>

namespace quendle {

namespace {

// Room for this many average characters of the name before the control asks for more.
constexpr int kHintCharacters = 28;
constexpr int kMinimumCharacters = 8;

// What assistive tools see: a button (it opens the folder chooser) with the folder as its
// value; pressing it does what the double-click does.
class AccessiblePathControl : public QAccessibleWidget {
public:
    explicit AccessiblePathControl(PathControl* control)
        : QAccessibleWidget(control, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return static_cast<PathControl*>(widget())->folderPath();
        return QAccessibleWidget::text(kind);
    }

    QStringList actionNames() const override { return QStringList {pressAction()} + QAccessibleWidget::actionNames(); }

    void doAction(const QString& action) override
    {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // Queued: the chooser is modal, and the tool that pressed waits for its answer.
        auto* control = static_cast<PathControl*>(widget());
        QMetaObject::invokeMethod(control, &PathControl::doubleClicked, Qt::QueuedConnection);
    }
};

QAccessibleInterface* accessiblePathControl(const QString& className, QObject* object)
{
    if (className == QLatin1String("quendle::PathControl") && object && object->isWidgetType())
        return new AccessiblePathControl(static_cast<PathControl*>(object));
    return nullptr;
}

} // namespace

PathControl::PathControl(QWidget* parent)
    : QFrame(parent)
    , mIcon(new QLabel(this))
    , mName(new QLabel(this))
{
    auto* layout = new QHBoxLayout(this);
    fitMarginsToFrame();
    layout->setSpacing(6);
    layout->addWidget(mIcon);
    layout->addWidget(mName, 1);
    // The labels only show; the control itself takes the clicks and the focus.
    mIcon->setAttribute(Qt::WA_TransparentForMouseEvents);
    mName->setAttribute(Qt::WA_TransparentForMouseEvents);
    mName->setTextFormat(Qt::PlainText);
    // The name is shortened to the room it gets rather than asking for the room it needs.
    mName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    mName->installEventFilter(this);
    // Looks like a field, as the desktop's own location boxes do: the style draws it as it
    // draws a line edit (paintEvent), which keeps its whole border at fractional scale factors
    // where a plain sunken panel loses its top and left lines.
    setFrameStyle(QFrame::NoFrame);
    setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    static const bool installed = (QAccessible::installFactory(accessiblePathControl), true);
    Q_UNUSED(installed);
    setAccessibleName(tr("Folder to expand into"));
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
    return mFullName;
}

QString PathControl::shownText() const
{
    return mName->text();
}

QSize PathControl::sizeHint() const
{
    const QSize base = QFrame::sizeHint(); // the icon, the margins and the frame
    const QFontMetrics metrics = mName->fontMetrics();
    const int name = std::min(metrics.horizontalAdvance(mFullName), metrics.averageCharWidth() * kHintCharacters);
    return {base.width() + name, std::max(base.height(), metrics.height() + 2 * frameWidth() + 4)};
}

QSize PathControl::minimumSizeHint() const
{
    const QSize base = QFrame::minimumSizeHint();
    return {base.width() + mName->fontMetrics().averageCharWidth() * kMinimumCharacters,
        std::max(base.height(), mName->fontMetrics().height() + 2 * frameWidth() + 4)};
}

bool PathControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mName && event->type() == QEvent::Resize)
        elide();
    return QFrame::eventFilter(watched, event);
}

void PathControl::elide()
{
    // The layout has given the label its width by now; the middle goes, so that both the
    // start and the end of the name stay in sight.
    mName->setText(mName->fontMetrics().elidedText(mFullName, Qt::ElideMiddle, std::max(0, mName->width())));
}

void PathControl::refresh()
{
    const QString path = folderPath();
    if (path.isEmpty()) {
        mIcon->clear();
        mName->clear();
        mFullName.clear();
        setToolTip(QString());
        setAccessibleDescription(QString());
        updateGeometry();
        return;
    }
    const QFileInfo info(path);
    const QString name = path == QLatin1String("/") ? path : info.fileName();
    QFileIconProvider provider;
    const QIcon icon = info.exists() ? provider.icon(info) : provider.icon(QFileIconProvider::Folder);
    const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    mIcon->setPixmap(icon.pixmap(extent, extent));
    mFullName = name;
    elide();
    updateGeometry();
    // The whole path, which the control shows only the last name of, and how to change it.
    const QString shown = QDir::toNativeSeparators(path);
    setToolTip(shown + u'\n' + tr("Double-click to choose another folder"));
    setAccessibleDescription(tr("%1. Press Space to choose another folder.").arg(shown));
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
    if (event->type() == QEvent::StyleChange) {
        fitMarginsToFrame();
        refresh();
    }
}

void PathControl::fitMarginsToFrame()
{
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    layout()->setContentsMargins(4 + frame, 2 + frame, 4 + frame, 2 + frame);
}

void PathControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionFrame field;
    field.initFrom(this);
    field.rect = rect();
    field.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &field, this);
    field.midLineWidth = 0;
    field.state |= QStyle::State_Sunken;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &field, &painter, this);
    if (!hasFocus())
        return;
    QStyleOptionFocusRect option;
    option.initFrom(this);
    const int inset = field.lineWidth + 1;
    option.rect = rect().adjusted(inset, inset, -inset, -inset);
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

// The seam as the user meets it: message boxes, file dialogs, the desktop, the terminal.
#include "platform/DesktopSeam.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QSpacerItem>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextStream>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace quendle {

namespace {

QMessageBox::Icon iconFor(AlertStyle style)
{
    switch (style) {
    case AlertStyle::Warning: return QMessageBox::Warning;
    case AlertStyle::Critical: return QMessageBox::Critical;
    case AlertStyle::Informational: break;
    }
    return QMessageBox::Information;
}

// The message leads in bold above the informative text, in a box wide enough to read it.
void layOut(QMessageBox& box, const QString& message, const QString& informative)
{
    box.setTextFormat(Qt::RichText);
    box.setText(QStringLiteral("<b>%1</b>").arg(message.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"))));
    box.setInformativeText(informative);
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(380, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(), 0, 1, grid->columnCount());
}

// The buttons that decline; in the user's language when the callers' texts are translated.
const char* const kDeclining[] = {QT_TRANSLATE_NOOP("quendle::Buttons", "Cancel"), QT_TRANSLATE_NOOP("quendle::Buttons", "No")};

bool isCancel(const QString& button)
{
    return button == QLatin1String("Cancel") || button == QCoreApplication::translate("quendle::Buttons", "Cancel");
}

int indexOfCancel(const QStringList& buttons)
{
    for (const char* name : kDeclining) {
        for (const QString& text : {QString::fromLatin1(name), QCoreApplication::translate("quendle::Buttons", name)}) {
            const int i = int(buttons.indexOf(text));
            if (i >= 0)
                return i;
        }
    }
    return int(buttons.size()) - 1;
}

std::string readLineFromTerminal(bool echo)
{
    termios saved {};
    const bool restore = !echo && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (restore) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        // TCSANOW: what was typed ahead (a script answering on a terminal) is the answer.
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    std::getline(std::cin, line);
    if (restore) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fputc('\n', stderr);
    }
    return line;
}

// Space between a window and the alert placed beside it.
constexpr int kAlertGap = 12;

} // namespace

QPoint alertPositionBeside(const QRect& windowFrame, const QSize& alertSize, const QRect& screen)
{
    const int centredX = std::clamp(windowFrame.center().x() - alertSize.width() / 2, screen.left(),
        std::max(screen.left(), screen.right() + 1 - alertSize.width()));
    const int below = windowFrame.bottom() + 1 + kAlertGap;
    if (below + alertSize.height() <= screen.bottom() + 1)
        return {centredX, below};
    const int above = windowFrame.top() - kAlertGap - alertSize.height();
    if (above >= screen.top())
        return {centredX, above};
    const int right = windowFrame.right() + 1 + kAlertGap;
    const int centredY = std::clamp(windowFrame.center().y() - alertSize.height() / 2, screen.top(),
        std::max(screen.top(), screen.bottom() + 1 - alertSize.height()));
    if (right + alertSize.width() <= screen.right() + 1)
        return {right, centredY};
    return {centredX, std::max(screen.top(), std::min(below, screen.bottom() + 1 - alertSize.height()))};
}

QPoint alertContentsPositionBeside(
    const QRect& windowFrame, const QRect& windowContents, const QSize& alertContents, const QRect& screen)
{
    // The alert is not shown yet, so the window manager has not told its frame: it will get
    // the same title bar and borders as the window it stands beside. The place is chosen for
    // the whole frame, and the alert's contents go where that frame's title bar ends; placed
    // by its contents alone, its title bar would reach over the window.
    const QMargins decoration(windowContents.left() - windowFrame.left(), windowContents.top() - windowFrame.top(),
        windowFrame.right() - windowContents.right(), windowFrame.bottom() - windowContents.bottom());
    const QPoint framePosition = alertPositionBeside(windowFrame, alertContents.grownBy(decoration), screen);
    return framePosition + QPoint(decoration.left(), decoration.top());
}

void configureOpenDialog(QFileDialog& dialog, const OpenPanel& panel)
{
    dialog.setWindowTitle(panel.title);
    dialog.setDirectory(panel.directory);
    dialog.setLabelText(QFileDialog::Accept, panel.prompt);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (panel.canChooseDirectories && !panel.canChooseFiles) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else {
        dialog.setFileMode(panel.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    dialog.setOption(QFileDialog::DontResolveSymlinks, !panel.resolvesAliases);
    dialog.setOption(QFileDialog::ReadOnly, !panel.canCreateDirectories);
    QStringList patterns;
    for (const QString& extension : panel.extensions)
        if (!extension.isEmpty())
            patterns << QStringLiteral("*.") + extension;
    // The listed kinds come first and are chosen at the start; Quendle reads more kinds than
    // these (.tar.xz, .tar.zst, .xz, ...), which the second filter lets the user pick.
    if (!patterns.isEmpty())
        dialog.setNameFilters({QCoreApplication::translate("quendle::DesktopSeam", "Archives (%1)").arg(patterns.join(u' ')),
            QCoreApplication::translate("quendle::DesktopSeam", "All files (*)")});
    // Wide and tall enough that the name, size, kind and date columns are read whole.
    const QFontMetrics metrics(dialog.font());
    QSize size(metrics.averageCharWidth() * 120, metrics.height() * 32);
    if (const QScreen* screen = dialog.screen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(size.expandedTo(dialog.minimumSizeHint()));
    // Qt's own dialog (there is no desktop one): the name takes the room that the size, kind
    // and date leave, and those are as wide as what they show.
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        for (int column = 1; column < header->count(); ++column)
            header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
}

DesktopSeam::DesktopSeam()
    : mHeadless(QGuiApplication::platformName() == QLatin1String("offscreen"))
{
}

int DesktopSeam::answerWithoutWindow(const QString& text, const QStringList& buttons, int cancelIndex)
{
    QTextStream err(stderr);
    err << text << '\n';
    if (buttons.isEmpty())
        return 0;
    if (isatty(STDIN_FILENO)) {
        for (;;) {
            for (int i = 0; i < buttons.size(); ++i)
                err << "  " << (i + 1) << ") " << buttons.at(i) << '\n';
            err << QCoreApplication::translate("quendle::DesktopSeam", "Answer [1-%1]: ").arg(buttons.size()) << Qt::flush;
            const std::string line = readLineFromTerminal(true);
            if (!std::cin)
                break; // end of input: fall back to Cancel below
            bool ok = false;
            const int n = QString::fromStdString(line).trimmed().toInt(&ok);
            if (ok && n >= 1 && n <= buttons.size())
                return n - 1;
        }
    }
    err << QCoreApplication::translate("quendle::DesktopSeam", "(no display and no terminal: answered \"%1\")").arg(buttons.at(cancelIndex))
        << '\n' << Qt::flush;
    return cancelIndex;
}

int DesktopSeam::runAlert(const Alert& alert)
{
    if (mHeadless) {
        QString text = alert.messageText;
        if (!alert.informativeText.isEmpty())
            text += u'\n' + alert.informativeText;
        return kAlertFirstButtonReturn + answerWithoutWindow(text, alert.buttons, indexOfCancel(alert.buttons));
    }
    QMessageBox box(iconFor(alert.style), QGuiApplication::applicationDisplayName(), QString(), QMessageBox::NoButton,
        alert.parentWindow);
    layOut(box, alert.messageText, alert.informativeText);
    QList<QAbstractButton*> added;
    for (int i = 0; i < alert.buttons.size(); ++i) {
        // The first button is the default one, as on every desktop's alert.
        const auto role = i == 0 ? QMessageBox::AcceptRole
            : isCancel(alert.buttons.at(i))                  ? QMessageBox::RejectRole
                                                             : QMessageBox::NoRole;
        added.append(box.addButton(alert.buttons.at(i), role));
    }
    if (!added.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
    if (QWidget* window = alert.parentWindow; window && window->isVisible()) {
        // Centred over its window, as a child dialog would be, the alert would hide it.
        const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        if (screen)
            box.move(alertContentsPositionBeside(
                window->frameGeometry(), window->geometry(), box.sizeHint(), screen->availableGeometry()));
    }
    box.exec();
    const int index = int(added.indexOf(box.clickedButton()));
    return kAlertFirstButtonReturn + (index >= 0 ? index : indexOfCancel(alert.buttons));
}

int DesktopSeam::runPanel(const Panel& panel)
{
    QStringList buttons {panel.defaultButton};
    if (!panel.alternateButton.isEmpty())
        buttons << panel.alternateButton;
    if (mHeadless) {
        const int index = answerWithoutWindow(panel.title + u'\n' + panel.message, buttons, int(buttons.size()) - 1);
        return index == 0 ? kPanelDefaultReturn : kPanelAlternateReturn;
    }
    // The title leads in bold, as a panel's title does; window managers may hide window titles.
    QMessageBox box(iconFor(panel.style), QGuiApplication::applicationDisplayName(), QString());
    layOut(box, panel.title, panel.message);
    QAbstractButton* defaultButton = box.addButton(panel.defaultButton, QMessageBox::AcceptRole);
    if (!panel.alternateButton.isEmpty())
        box.addButton(panel.alternateButton, QMessageBox::RejectRole);
    box.setDefaultButton(qobject_cast<QPushButton*>(defaultButton));
    box.exec();
    return box.clickedButton() == defaultButton ? kPanelDefaultReturn : kPanelAlternateReturn;
}

std::optional<QStringList> DesktopSeam::runOpenPanel(const OpenPanel& panel)
{
    if (mHeadless)
        return std::nullopt;
    QFileDialog dialog;
    configureOpenDialog(dialog, panel);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles();
}

void DesktopSeam::terminate(int status)
{
    // Queued, so that a terminate asked for before the event loop starts still ends it.
    QMetaObject::invokeMethod(qApp, [this, status] {
        mEndedWith = status;
        QCoreApplication::exit(status);
    }, Qt::QueuedConnection);
}

void DesktopSeam::exitProcess(int status)
{
    std::fflush(nullptr);
    std::exit(status);
}

bool DesktopSeam::openUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

void DesktopSeam::revealInFileManager(const QString& path)
{
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << QStringList {QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded)} << QString();
    // The answer may take seconds (a file manager starting, or none at all until the time-out):
    // it is waited for with the event loop turning, so that the windows are drawn and a second
    // launch is answered meanwhile, and the file manager has the item before it may go to the
    // Trash or the process ends.
    QDBusPendingCallWatcher answer(QDBusConnection::sessionBus().asyncCall(call, 5000));
    if (!answer.isFinished()) {
        QEventLoop loop;
        QObject::connect(&answer, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // Nobody answers for the file manager: at least open the folder that holds the item. (The
    // application quitting meanwhile leaves no answer to look at.)
    if (answer.isFinished() && answer.isError() && !mHeadless)
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

void DesktopSeam::log(const QString& line)
{
    QTextStream(stderr) << line << '\n' << Qt::flush;
}

Seam::PasswordReply DesktopSeam::askPasswordWithoutWindow(const QString& prompt)
{
    if (!mHeadless)
        return {PasswordReply::ShowWindow, {}};
    QTextStream err(stderr);
    if (isatty(STDIN_FILENO)) {
        err << prompt << ": " << Qt::flush;
        const std::string typed = readLineFromTerminal(false);
        if (std::cin)
            return {PasswordReply::Typed, QString::fromStdString(typed)};
    }
    err << prompt << '\n'
        << QCoreApplication::translate("quendle::DesktopSeam", "(no display and no terminal: answered \"%1\")")
               .arg(QCoreApplication::translate("quendle::Buttons", "Cancel"))
        << '\n' << Qt::flush;
    return {PasswordReply::Cancelled, {}};
}

} // namespace quendle

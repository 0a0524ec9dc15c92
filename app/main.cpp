// Quendle's entry point: the application, its settings, its delegate, and the files it was given.
#include "app/QuendleAppDelegate.h"
#include "app/SingleInstance.h"
#include "platform/DesktopSeam.h"
#include "platform/StartupTrace.h"
#include "prefs/UserDefaults.h"

#include <QApplication>
#include <QFileInfo>
#include <QWidget>

namespace {

// With no display at all, windows go to Qt's offscreen platform so that an archive that
// needs no answer is still expanded on a server; alerts are then answered on the terminal.
void chooseOffscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Without windows, Qt's notes that the platform cannot raise or resize a window are noise on
// the terminal where the user reads Quendle's own questions; everything else passes.
QtMessageHandler gDefaultHandler = nullptr;
void quietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    gDefaultHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    quendle::traceStep("main");
    chooseOffscreenWithoutDisplay();
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        gDefaultHandler = qInstallMessageHandler(quietOffscreenNotes);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quendle"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quendle"));
    QApplication::setDesktopFileName(QStringLiteral("quendle"));
    // Quitting when the last window closes is the delegate's decision (alerts don't count).
    QApplication::setQuitOnLastWindowClosed(false);

    QStringList files;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        files.append(QFileInfo(arguments.at(i)).absoluteFilePath());

    // A Quendle of this user already runs: it takes the files (or, given none, comes forward)
    // and this launch is done.
    if (quendle::SingleInstance::handOver(files))
        return 0;
    quendle::SingleInstance instance;
    instance.listen();

    quendle::UserDefaults defaults;
    quendle::QuendleAppDelegate::initialize(defaults);
    quendle::DesktopSeam seam;
    quendle::QuendleAppDelegate delegate(seam, defaults);
    delegate.loadMainInterface(files.isEmpty());
    quendle::traceStep("main interface");
    QObject::connect(&instance, &quendle::SingleInstance::filesReceived, &delegate, [&delegate](const QStringList& handed) {
        if (!handed.isEmpty()) {
            delegate.applicationOpenFiles(handed);
            return;
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) {
                window->raise();
                window->activateWindow();
            }
        }
    });

    if (!files.isEmpty())
        delegate.applicationOpenFiles(files);
    delegate.applicationDidFinishLaunching();
    const int status = QApplication::exec();
    quendle::traceStep("end");
    return status;
}

// Quendle's entry point: the application, its settings, its delegate, and the files it was given.
#include "app/QuendleAppDelegate.h"
#include "app/SingleInstance.h"
#include "platform/DesktopSeam.h"
#include "platform/EventLoopProbe.h"
#include "platform/Paths.h"
#include "platform/StartupTrace.h"
#include "platform/Translations.h"
#include "prefs/UserDefaults.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QTextStream>
#include <QThread>
#include <QWidget>

#include <cstdlib>

namespace {

// With no display at all, windows go to Qt's offscreen platform so that an archive that
// needs no answer is still expanded on a server; alerts are then answered on the terminal.
void chooseOffscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Notes of Qt's that are noise on the terminal where the user reads Quendle's own questions;
// everything else passes.
QtMessageHandler gDefaultHandler = nullptr;
bool gOffscreen = false;
void quietNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg) {
        // Without windows, the platform cannot raise or resize one.
        if (gOffscreen && message.startsWith(QLatin1String("This plugin does not support")))
            return;
        // A session without a runtime folder: Quendle's socket has its own place then.
        if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
            return;
    }
    gDefaultHandler(type, context, message);
}

// The status for a command line that makes no sense (sysexits' EX_USAGE), and for an archive
// that is not there (as ls and cat use it).
constexpr int kUsageStatus = 64;
constexpr int kMissingFileStatus = 2;
// How often a launch tries to become the instance or to reach the one that is.
constexpr int kListenAttempts = 40;

// What the command line asks for: the archive, made absolute (a running instance that takes it
// over has another working folder), and the folder given with --into (empty: none).
struct CommandLine {
    QStringList files;
    QString into;
};

// --help, --version, an unknown option, an archive that is not there or an --into without a
// folder or an archive end the process here, before any window.
CommandLine commandLine()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Expands an archive beside it (or in the folder chosen in its window)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption into(QStringLiteral("into"),
        QCoreApplication::translate("main", "Expand into <folder> this time, whatever the preferences say (they stay as they are)."),
        QCoreApplication::translate("main", "folder"));
    parser.addOption(into);
    parser.addPositionalArgument(QCoreApplication::translate("main", "archive"),
        QCoreApplication::translate("main", "The archive to expand; of several, the first is taken."),
        QCoreApplication::translate("main", "[archive...]"));
    QTextStream err(stderr);
    if (!parser.parse(QApplication::arguments())) {
        err << "quendle: " << parser.errorText() << '\n'
            << QCoreApplication::translate("main", "Try 'quendle --help' for more information.") << '\n' << Qt::flush;
        std::exit(kUsageStatus);
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    // One archive per launch: the first is the one expanded, so only it must be there.
    const QStringList arguments = parser.positionalArguments();
    CommandLine given;
    if (parser.isSet(into)) {
        if (arguments.isEmpty()) {
            err << "quendle: --into needs an archive to expand\nTry 'quendle --help' for more information.\n" << Qt::flush;
            std::exit(kUsageStatus);
        }
        const QFileInfo folder(parser.value(into));
        if (parser.value(into).isEmpty() || !folder.isDir()) {
            err << "quendle: cannot expand into \"" << parser.value(into) << "\": no such folder\n" << Qt::flush;
            std::exit(kMissingFileStatus);
        }
        given.into = folder.absoluteFilePath();
    }
    if (arguments.isEmpty())
        return given;
    const QString& first = arguments.first();
    const QFileInfo info(first);
    if (first.isEmpty() || !info.exists()) {
        err << "quendle: " << QCoreApplication::translate("main", "cannot open \"%1\": no such file or folder").arg(first)
            << '\n' << Qt::flush;
        std::exit(kMissingFileStatus);
    }
    if (arguments.size() > 1)
        err << "quendle: " << QCoreApplication::translate("main", "one archive at a time: only \"%1\" is expanded").arg(first)
            << '\n' << Qt::flush;
    given.files = {info.absoluteFilePath()};
    return given;
}

} // namespace

int main(int argc, char** argv)
{
    quendle::traceStep("main");
    chooseOffscreenWithoutDisplay();
    gOffscreen = qgetenv("QT_QPA_PLATFORM") == "offscreen";
    gDefaultHandler = qInstallMessageHandler(quietNotes);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quendle"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quendle"));
    QApplication::setApplicationVersion(QStringLiteral(QUENDLE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.quendle.Quendle"));
    // Quitting when the last window closes is the delegate's decision (alerts don't count).
    QApplication::setQuitOnLastWindowClosed(false);

    // Before anything is said: --help and the first alert already speak the user's language.
    const quendle::Translations translations;
    const CommandLine given = commandLine();
    const QStringList& files = given.files;
    // Task bars and window switchers show the installed icon, or the ones beside the program:
    // the hand-drawn small sizes, the scalable one for the rest.
    QIcon besideTheProgram(quendle::resourcePath() + QStringLiteral("/quendle.svg"));
    for (const int size : {16, 24, 32})
        besideTheProgram.addFile(quendle::resourcePath() + QStringLiteral("/quendle-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("quendle"), besideTheProgram));

    // A Quendle of this user already runs: it takes the files (or, given none, comes forward)
    // and this launch is done. Two launches at the same moment both find nobody; the one that
    // loses the socket's name to the other hands over to it instead of expanding beside it.
    // An archive with a folder of its own stays here (the running one would expand it as its
    // preferences say): this launch expands it itself, and takes later launches' files when
    // nobody else does.
    quendle::SingleInstance instance;
    for (int attempt = 0; given.into.isEmpty(); ++attempt) {
        if (quendle::SingleInstance::handOver(files))
            return 0;
        // No private place for the socket at all: this launch runs on its own, as it must.
        if (instance.listen() || quendle::SingleInstance::socketPath().isEmpty() || attempt == kListenAttempts)
            break;
        QThread::msleep(50);
    }
    if (!given.into.isEmpty())
        instance.listen();

    quendle::UserDefaults defaults;
    if (!given.into.isEmpty()) {
        defaults.setForThisLaunch(QStringLiteral("1"), quendle::keys::IsUsedCustomFolder);
        defaults.setForThisLaunch(given.into, quendle::keys::CustomFolder);
    }
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

    // From here on the event loop's thread is to answer at any moment (QUENDLE_PROBE_EVENT_LOOP).
    const quendle::EventLoopProbe probe;
    if (!files.isEmpty())
        delegate.applicationOpenFiles(files);
    delegate.applicationDidFinishLaunching();
    const int status = seam.endedWith() ? *seam.endedWith() : QApplication::exec();
    quendle::traceStep("end");
    return status;
}

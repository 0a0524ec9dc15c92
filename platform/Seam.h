// The one door for every modal answer and every end of the process, so tests can script them.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

class QWidget;

namespace quendle {

enum class AlertStyle { Warning = 0, Informational = 1, Critical = 2 };

// A modal alert built button by button; the answer is 1000 for the first button added,
// 1001 for the second, and so on.
struct Alert {
    QString messageText;
    QString informativeText;
    QStringList buttons;
    AlertStyle style = AlertStyle::Warning;
    // The window the alert is about, when one is showing: the alert is placed beside it
    // instead of over it, so that it stays in sight. Null: the alert stands alone.
    QWidget* parentWindow = nullptr;
};
inline constexpr int kAlertFirstButtonReturn = 1000;
// The process's status when an archive could not be expanded.
inline constexpr int kExitExpansionFailed = 2;
inline constexpr int kAlertSecondButtonReturn = 1001;

// A titled panel with a default and an optional alternate button; the answer is
// kPanelDefaultReturn for the default button and kPanelAlternateReturn for the other.
struct Panel {
    QString title;
    QString message;
    QString defaultButton;
    QString alternateButton; // empty: no alternate button
    AlertStyle style = AlertStyle::Informational;
};
inline constexpr int kPanelDefaultReturn = 1;
inline constexpr int kPanelAlternateReturn = 0;

// An Open panel, configured field by field.
struct OpenPanel {
    QString title;
    QString prompt;
    QString directory;
    QStringList extensions; // empty: any file
    bool allowsMultipleSelection = false;
    bool canCreateDirectories = true;
    bool resolvesAliases = true;
    bool canChooseDirectories = false;
    bool canChooseFiles = true;
};

class Seam {
public:
    virtual ~Seam() = default;

    virtual int runAlert(const Alert& alert) = 0;
    virtual int runPanel(const Panel& panel) = 0;
    // The chosen paths, or nothing when the user cancels.
    virtual std::optional<QStringList> runOpenPanel(const OpenPanel& panel) = 0;

    // Quits the event loop so that main returns status (0, or non-zero when the expansion
    // failed); takes effect once the loop runs.
    virtual void terminate(int status = 0) = 0;
    // Ends the process at once with the given status. A caller returns right after it.
    virtual void exitProcess(int status) = 0;

    // Hands a web page or a file to the desktop; false when nothing could open it.
    virtual bool openUrl(const QUrl& url) = 0;
    // Shows the item selected in the desktop's file manager.
    virtual void revealInFileManager(const QString& path) = 0;
    // One line for the session's journal.
    virtual void log(const QString& line) = 0;

    // When nobody can see a window, the password window is answered here instead.
    struct PasswordReply {
        enum Kind { ShowWindow, Typed, Cancelled } kind = ShowWindow;
        QString password;
    };
    virtual PasswordReply askPasswordWithoutWindow(const QString& prompt) = 0;
};

} // namespace quendle

// The seam as the user meets it: message boxes, file dialogs, the desktop, the terminal.
#pragma once

#include "platform/Seam.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

class QFileDialog;

namespace quendle {

// Where an alert of the given size goes so that the window (its frame) stays visible: below
// it, else above it, else to its right, else below it as far as the screen allows.
QPoint alertPositionBeside(const QRect& windowFrame, const QSize& alertSize, const QRect& screen);
// Where an alert's contents go so that its frame, with the title bar and borders that the
// window's frame has around its contents, stands beside the window as alertPositionBeside
// places a frame.
QPoint alertContentsPositionBeside(
    const QRect& windowFrame, const QRect& windowContents, const QSize& alertContents, const QRect& screen);

// Sets a file dialog up as the Open panel describes: title, prompt, modes, and the archive
// filter followed by one for every file.
void configureOpenDialog(QFileDialog& dialog, const OpenPanel& panel);

class DesktopSeam final : public Seam {
public:
    DesktopSeam();

    int runAlert(const Alert& alert) override;
    int runPanel(const Panel& panel) override;
    std::optional<QStringList> runOpenPanel(const OpenPanel& panel) override;
    void terminate(int status = 0) override;
    void exitProcess(int status) override;
    bool openUrl(const QUrl& url) override;
    void revealInFileManager(const QString& path) override;
    void log(const QString& line) override;
    PasswordReply askPasswordWithoutWindow(const QString& prompt) override;

    // True when windows cannot be seen (the offscreen platform): alerts are then answered
    // on the terminal, or with their Cancel answer when there is no terminal.
    bool headless() const { return mHeadless; }
    // The status of an end that has reached the event loops. One that came while the first
    // archive was listed, before the application's own loop ran, ended only the loop turning then.
    std::optional<int> endedWith() const { return mEndedWith; }

private:
    int answerWithoutWindow(const QString& text, const QStringList& buttons, int cancelIndex);

    bool mHeadless = false;
    std::optional<int> mEndedWith;
};

} // namespace quendle

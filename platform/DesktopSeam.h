// The seam as the user meets it: message boxes, file dialogs, the desktop, the terminal.
#pragma once

#include "platform/Seam.h"

namespace quendle {

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

private:
    int answerWithoutWindow(const QString& text, const QStringList& buttons, int cancelIndex);

    bool mHeadless = false;
};

} // namespace quendle

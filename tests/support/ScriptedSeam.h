// A seam for tests: records every alert, panel and end of the process, answers from a script.
#pragma once

#include "platform/Seam.h"

#include <QList>
#include <QUrl>

#include <deque>
#include <functional>

namespace quendle::test {

class ScriptedSeam : public Seam {
public:
    // Answers, taken in order; when none is left, the default answer is given.
    std::deque<int> alertAnswers;
    int defaultAlertAnswer = kAlertFirstButtonReturn;
    std::deque<int> panelAnswers;
    int defaultPanelAnswer = kPanelAlternateReturn;
    std::deque<std::optional<QStringList>> openPanelAnswers; // none left: cancelled
    bool openUrlAnswer = true;
    std::deque<PasswordReply> passwordReplies; // taken in order, then passwordReply
    PasswordReply passwordReply;               // ShowWindow unless a test says otherwise
    int passwordQuestions = 0;
    // Called when an alert is shown, before it is answered (a test may look around).
    std::function<void(const Alert&)> onAlert;

    // What happened.
    QList<Alert> alerts;
    QList<Panel> panels;
    QList<OpenPanel> openPanels;
    QList<QUrl> openedUrls;
    QStringList revealed;
    QStringList logLines;
    int terminateCount = 0;
    int terminateStatus = 0; // the status of the last terminate
    QList<int> exitStatuses;

    int runAlert(const Alert& alert) override;
    int runPanel(const Panel& panel) override;
    std::optional<QStringList> runOpenPanel(const OpenPanel& panel) override;
    void terminate(int status = 0) override
    {
        ++terminateCount;
        terminateStatus = status;
    }
    void exitProcess(int status) override { exitStatuses.append(status); }
    bool openUrl(const QUrl& url) override;
    void revealInFileManager(const QString& path) override { revealed.append(path); }
    void log(const QString& line) override { logLines.append(line); }
    PasswordReply askPasswordWithoutWindow(const QString& prompt) override;
};

} // namespace quendle::test

// A seam for tests: records every alert, panel and end of the process, answers from a script.
#include "support/ScriptedSeam.h"

namespace quendle::test {

int ScriptedSeam::runAlert(const Alert& alert)
{
    alerts.append(alert);
    if (onAlert)
        onAlert(alert);
    if (alertAnswers.empty())
        return defaultAlertAnswer;
    const int answer = alertAnswers.front();
    alertAnswers.pop_front();
    return answer;
}

int ScriptedSeam::runPanel(const Panel& panel)
{
    panels.append(panel);
    if (panelAnswers.empty())
        return defaultPanelAnswer;
    const int answer = panelAnswers.front();
    panelAnswers.pop_front();
    return answer;
}

std::optional<QStringList> ScriptedSeam::runOpenPanel(const OpenPanel& panel)
{
    openPanels.append(panel);
    if (openPanelAnswers.empty())
        return std::nullopt;
    // Taken apart rather than moved whole: GCC 12 at -O2 takes the moved optional's list for
    // uninitialized.
    const bool chosen = openPanelAnswers.front().has_value();
    QStringList files = chosen ? std::move(*openPanelAnswers.front()) : QStringList();
    openPanelAnswers.pop_front();
    if (!chosen)
        return std::nullopt;
    return files;
}

bool ScriptedSeam::openUrl(const QUrl& url)
{
    openedUrls.append(url);
    return openUrlAnswer;
}

Seam::PasswordReply ScriptedSeam::askPasswordWithoutWindow(const QString&)
{
    ++passwordQuestions;
    if (passwordReplies.empty())
        return passwordReply;
    const PasswordReply reply = passwordReplies.front();
    passwordReplies.pop_front();
    return reply;
}

} // namespace quendle::test

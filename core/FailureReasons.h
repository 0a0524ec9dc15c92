// Why an extraction failed, in plain words: what 7-Zip and the adapter said, read from the
// archiver's output as it streams, for the failure alert.
#pragma once

#include <QString>
#include <QStringList>

namespace quendle {

class FailureReasons {
public:
    static constexpr int kMaxReasons = 5;

    // Output as it comes; chunks may end anywhere in a line.
    void feed(const QString& output);
    // The reasons given so far (with the last, unfinished line), at most kMaxReasons, each
    // once: "ERROR:" lines, the line after "System ERROR:" or "Command Line Error:", the
    // lines of an "ERRORS:" block and the adapter's own "7z:" lines,
    // with errno numbers in words and each path named once.
    QStringList reasons() const;

private:
    void takeLine(const QString& line);

    QStringList mReasons;
    QString mPartialLine;
    bool mInErrorsBlock = false;
    bool mReasonOnNextLine = false;
};

// One reason as a person reads it: " : "-separated parts without their repeats, "errno=N"
// replaced by the system's text unless that text follows.
QString plainReason(const QString& raw);

} // namespace quendle

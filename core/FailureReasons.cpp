// Why an extraction failed, in plain words.
#include "core/FailureReasons.h"

#include <QRegularExpression>

#include <cstring>

namespace quendle {

namespace {

// Distinct reasons kept (each is kept once); a failing archive can print thousands of lines,
// and only the first kMaxReasons are shown.
constexpr int kMaxRawReasons = 4 * FailureReasons::kMaxReasons;
constexpr qsizetype kMaxLine = 4096;

} // namespace

QString plainReason(const QString& raw)
{
    static const QRegularExpression errnoPart(QStringLiteral("^errno=(\\d+)$"));
    const QStringList parts = raw.split(QStringLiteral(" : "));
    QStringList kept;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString part = parts.at(i).trimmed();
        if (part.isEmpty())
            continue;
        if (const QRegularExpressionMatch number = errnoPart.match(part); number.hasMatch()) {
            const QString text = QString::fromLocal8Bit(std::strerror(number.captured(1).toInt()));
            // 7-Zip usually prints the text itself right after the number.
            if (i + 1 < parts.size() && parts.at(i + 1).trimmed() == text)
                continue;
            kept.append(text);
            continue;
        }
        // A part already said, or said again at the start of the next part ("PATH : PATH: why").
        if (kept.contains(part))
            continue;
        if (i + 1 < parts.size() && parts.at(i + 1).trimmed().startsWith(part + u':'))
            continue;
        kept.append(part);
    }
    return kept.join(QStringLiteral(": "));
}

void FailureReasons::feed(const QString& output)
{
    if (output.isNull())
        return;
    mPartialLine += output;
    qsizetype start = 0;
    for (qsizetype end = mPartialLine.indexOf(u'\n'); end >= 0; end = mPartialLine.indexOf(u'\n', start)) {
        takeLine(mPartialLine.mid(start, end - start));
        start = end + 1;
    }
    mPartialLine.remove(0, start);
    if (mPartialLine.size() > kMaxLine)
        mPartialLine.truncate(kMaxLine);
}

void FailureReasons::takeLine(const QString& rawLine)
{
    // A line redrawn in place (progress) counts from its last carriage return.
    QString line = rawLine.trimmed();
    line = line.mid(line.lastIndexOf(u'\r') + 1).trimmed();
    QString reason;
    if (mReasonOnNextLine && !line.isEmpty()) {
        // "System ERROR:" (a full disk, a read-only file system) and "Command Line Error:" put
        // their reason on the line below.
        mReasonOnNextLine = false;
        reason = line;
    } else if (line == QLatin1String("System ERROR:") || line == QLatin1String("Command Line Error:"))
        mReasonOnNextLine = true;
    else if (line.startsWith(QLatin1String("ERROR:")))
        reason = line.mid(6);
    else if (line.startsWith(QLatin1String("Open ERROR:")))
        reason = line.mid(11);
    else if (line.startsWith(QLatin1String("7z: ")))
        reason = line.mid(4);
    else if (line == QLatin1String("ERRORS:"))
        mInErrorsBlock = true;
    else if (mInErrorsBlock && (line.isEmpty() || line.contains(QLatin1String(" = "))))
        mInErrorsBlock = false; // the block ends with a blank line or the next field
    else if (mInErrorsBlock)
        reason = line;
    reason = plainReason(reason);
    if (!reason.isEmpty() && mReasons.size() < kMaxRawReasons && !mReasons.contains(reason))
        mReasons.append(reason);
}

QStringList FailureReasons::reasons() const
{
    FailureReasons copy = *this;
    if (!copy.mPartialLine.isEmpty())
        copy.takeLine(copy.mPartialLine);
    return copy.mReasons.mid(0, kMaxReasons);
}

} // namespace quendle

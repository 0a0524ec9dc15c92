// Counts the items that have appeared below the extraction's result, for the progress bar.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

namespace quendle {

// Counts every file and folder at any depth below a folder (0 when the path is missing or
// not a folder). Cheap enough to be asked on every tick of the progress timer: it never
// blocks the caller for long, never runs two counts at once, and paces its walks by their
// own cost so that counting does not slow the archiver down.
class ProgressCounter : public QObject {
    Q_OBJECT
public:
    explicit ProgressCounter(QString root, QObject* parent = nullptr);
    ~ProgressCounter() override;

    // The latest known count; may start a new count in the background.
    std::uint64_t poll();
    // An exact count, made now on the calling thread (for the final value).
    std::uint64_t countNow();

signals:
    // A background count has ended with this result (delivered on the owner's thread).
    void counted(std::uint64_t count);

private:
    QString mRoot;
    // The implementation adds its own private state here.
};

// Counts the entries below root without a stat per entry where the file system gives the type.
std::uint64_t countEntriesBelow(const QString& root);

} // namespace quendle

// What the hardening tests add to the shared harness: snapshots of folders to prove nothing
// changed, mounts that clean up after themselves, and archives too large to keep.
#pragma once

#include "support/Processes.h"
#include "support/QtPrinters.h"
#include "support/Sandbox.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <sys/types.h>
#include <vector>

namespace quendle::hardening {

// The shared harness, by the names these tests have always used.
using test::Account;
using test::childrenOf;
using test::commandName;
using test::openDescriptorCount;
using test::peakResidentKiB;
using test::QuendleRun;
using test::readFile;
using test::resourcePath;
using test::resetPeakResident;
using test::residentKiB;
using test::runPython;
using test::runQuendle;
using test::RunOptions;
using test::Sandbox;
using test::sevenZip;
using test::spinUntil;
using test::Tree;
using test::unprivilegedAccount;

// A folder's state, entry by entry: type, size, contents digest, mode, link target. Keys are
// the relative paths' bytes, percent-encoded but for "/" and spaces, so that names that are
// not UTF-8 count like any other.
using Snapshot = QMap<QString, QString>;
// Every entry below root except those at or below the excluded relative paths.
Snapshot snapshot(const QString& root, const QStringList& excluded = {});
// Readable differences ("changed: x", "gone: y", "new: z"); empty when both are the same.
QStringList differences(const Snapshot& before, const Snapshot& after);

// A mount that is undone (lazily, so a busy one cannot stay behind) when the object goes.
class Mount {
public:
    Mount() = default;
    ~Mount();
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;
    // False with the system's reason when the machine refuses (no privilege, no tmpfs...).
    bool tmpfs(const QString& target, const QString& options, QString* whyNot);
    bool bindReadOnly(const QString& source, const QString& target, QString* whyNot);
    void unmount();

private:
    QString mTarget;
};

// Writes a single-entry gzip file named entryName holding `gigabytes` GiB of zeros, in a few
// seconds and a few megabytes (one compressed block, repeated).
bool writeZerosGzip(const QString& path, const QString& entryName, int gigabytes, QString* output = nullptr);

// Every process below this one, alive or zombie.
std::vector<pid_t> descendants();

// How much a file system has free, in bytes.
qint64 freeBytes(const QString& path);

} // namespace quendle::hardening

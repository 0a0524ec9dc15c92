// Processes as /proc shows them: children, names, memory and open descriptors.
#include "support/Processes.h"

#include <QDir>
#include <QFile>

namespace quendle::test {

namespace {
// The status line of /proc/<pid>/status that starts with key, as a number of KiB.
qint64 statusValue(pid_t pid, const QByteArray& key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}
} // namespace

std::vector<pid_t> childrenOf(pid_t parent)
{
    std::vector<pid_t> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isNumber = false;
        const pid_t pid = entry.toInt(&isNumber);
        if (!isNumber)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == parent)
            children.push_back(pid);
    }
    return children;
}

pid_t descendantNamed(pid_t ancestor, const QString& name)
{
    std::vector<pid_t> pending {ancestor};
    while (!pending.empty()) {
        const pid_t parent = pending.back();
        pending.pop_back();
        for (const pid_t child : childrenOf(parent)) {
            if (commandName(child) == name)
                return child;
            pending.push_back(child);
        }
    }
    return -1;
}

QString commandName(pid_t pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    return comm.open(QIODevice::ReadOnly) ? QString::fromUtf8(comm.readAll()).trimmed() : QString();
}

qint64 residentKiB(pid_t pid) { return statusValue(pid, "VmRSS:"); }
qint64 peakResidentKiB(pid_t pid) { return statusValue(pid, "VmHWM:"); }

bool resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

int openDescriptorCount()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

} // namespace quendle::test

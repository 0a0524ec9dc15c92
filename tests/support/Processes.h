// Processes as /proc shows them: children, names, memory and open descriptors.
#pragma once

#include <QString>

#include <sys/types.h>
#include <vector>

namespace quendle::test {

// The processes, alive or zombie, whose parent is `parent`.
std::vector<pid_t> childrenOf(pid_t parent);
// A process named `name` among the descendants of `ancestor` (at any depth); -1 when none.
pid_t descendantNamed(pid_t ancestor, const QString& name);
QString commandName(pid_t pid);
// VmRSS and VmHWM from /proc/<pid>/status, in KiB; -1 when the process is gone.
qint64 residentKiB(pid_t pid);
qint64 peakResidentKiB(pid_t pid);
// Forgets this process's peak, so that the next VmHWM measures what follows.
bool resetPeakResident();
int openDescriptorCount();

} // namespace quendle::test

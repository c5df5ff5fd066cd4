#pragma once
// The operator's jobs at the line rate, each against the paced virtual printer: backup and
// restore of a full printer (32 cells and 20 full logos), the 32-cell read, the thirteen
// parameters, the names list and the mark picture. Each job is timed through the program's link
// and done again by the plain-POSIX reference host on a paced printer of its own, in alternating
// order, several rounds; the stand-in's own lateness is taken off both. Prints one JOB line a job
// and notes (BenchReport).

#include <QString>

namespace bench {

// `vprinter`: stampline-vprinter; `stampctl`: the command-line program, which makes the full
// printer's state with its own operations. False when a job could not run, or when the bytes a run
// traced differ from those its job must carry.
bool operatorJobs(const QString &vprinter, const QString &stampctl, int baud, int rounds);

} // namespace bench

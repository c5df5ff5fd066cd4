#pragma once
// The job the line's benchmarks apply, made with stampctl's own operations on the built-in
// virtual printer: `logos` full logos written and placed in row 4, text in the other cells, then
// taken with save-job.

#include "Job.h"

#include <QStringList>
#include <QTemporaryDir>
#include <optional>

namespace bench {

// Runs stampctl (`program`) to its end; false, with what it said, when it failed.
bool runStampctl(const QString &program, const QStringList &arguments, QString *failure);

// The job, saved as job.json in `dir` and loaded back.
std::optional<backup::Job> makeLineJob(QTemporaryDir &dir, const QString &stampctl, int logos,
                                       int baud, QString *failure);

} // namespace bench

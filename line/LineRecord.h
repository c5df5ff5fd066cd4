#pragma once
// What each printer of the line last received and when it last held its job, read back: kept
// across runs of the program and of stampctl in the job library (line-record.ini there), written
// as each job on the line ends, read by the line window and by "stampctl line".

#include "LineRun.h"

#include <QDateTime>
#include <QString>
#include <vector>

namespace line {

struct Record {
    QString job;        // the job's name (its file's name without .json); empty: none yet
    QString outcome;    // what came of it: PrinterResult::word()
    QDateTime at;       // when it ended
    QDateTime verified; // when the printer last held a job, read back
    // "last job changeover: verified at 2026-12-07 13:05:11" (and "; last verified …" when that
    // was another time); empty when there is none.
    QString describe() const;
};

class LineRecord {
public:
    // The record of the line whose job library is `jobFolder`.
    explicit LineRecord(const QString &jobFolder);

    Record of(const QString &printer) const;
    // The job's results, each under its printer's name; false when the record was not written.
    bool note(const QString &job, const std::vector<PrinterResult> &results) const;

private:
    QString path;
};

} // namespace line

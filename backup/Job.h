#pragma once
// A job: what a product changeover changes on a printer. The 32 cells with their fonts, the logos
// they place, the post-date day count, and, when the job keeps them, the parameters, the auto-run
// period and the script. A part of a backup, kept in a file of its own kind (docs/job-format.md)
// that the backup's own code reads and checks. A job is taken from a printer, written into
// printers, and compared with what a printer holds.

#include "BackupFile.h"
#include "BackupTransfer.h"

namespace backup {

struct Job {
    Backup content; // its parameters, period and script count only where `parts` says so
    Parts parts;
};

// The job of a printer's backup: its cells, the logos they place, and the parts asked for. A job
// whose cells hold the special counter keeps the script, which makes it one.
Job jobOf(const Backup &whole, const Parts &parts);
// The first thing wrong with a job, or nothing: the backup's checks, and every logo a cell
// places is in the job, and only those.
std::optional<QString> validate(const Job &job);

struct ParsedJob {
    std::optional<Job> job;
    QString error;
};
ParsedJob parseJob(const QByteArray &json);
ParsedJob loadJob(const QString &path);
std::optional<QString> saveJob(const QString &path, const Job &job);

// Reads from the printer what a job of these parts holds (the logos its cells place).
Outcome takeJob(Functions &f, Job &out, const Parts &parts, const Progress &progress = {});
// Writes the job into the printer: its logos, cells, day count and the parts it keeps. A job that
// fails its checks, or a printer with another font count, is refused before anything is written.
Outcome applyJob(Functions &f, const Job &job, const Progress &progress = {});
// What a job writes, for the audit trail: "32 cells, 1 logo, post-date 0 days, script".
QString jobWords(const Job &job);

// Where a printer differs from a job, one line each as an operator reads it:
// "cell 2,5: printer holds "LOT 41", job says "LOT 42"", "logo 12: dots differ",
// "parameter T: 14, job 15"; empty when the printer holds the job.
QStringList differences(const Job &job, const Backup &printer);

struct Verification {
    Outcome read;            // reading the printer back
    QStringList differences; // when it was read
    bool matches() const { return read.ok() && differences.isEmpty(); }
};
// Reads the printer back as far as the job reaches and compares.
Verification verifyJob(Functions &f, const Job &job, const Progress &progress = {});

} // namespace backup

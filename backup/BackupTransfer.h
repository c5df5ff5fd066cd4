#pragma once
// A whole printer read into a backup, and a backup written into a printer, step by step: a step is
// one cell, one logo, one parameter, the period, the day count or the script. Between two steps
// (and between the retries and parameter steps inside one) a progress callback tells how far the
// transfer is and may stop it; the outcome says how far it got.

#include "BackupFile.h"
#include "Functions.h"

#include <functional>

namespace backup {

// done and total steps; false stops the transfer where it is.
using Progress = std::function<bool(int done, int total)>;

struct Outcome {
    enum class End {
        Done,
        Cancelled, // the progress callback stopped it
        Failed,    // a step did not go through
        Refused,   // a restore that wrote nothing: the backup does not fit the printer
    };
    End end = End::Done;
    int done = 0;  // steps done (a restore: written)
    int total = 0; // steps in all (a back-up learns the logos only from the names list)
    QString step;  // the step it ended at: the one that failed, or the next when cancelled
    QString last;  // the last step done
    QString cause; // a failure's cause or a refusal's reason
    bool ok() const { return end == End::Done; }
};

// What of a printer a transfer takes: the whole printer (a backup), or a part of it (a job).
struct Scope {
    bool allLogos = true;       // false: only the logos that the cells place, and these:
    std::vector<int> alsoLogos; // slots read beside those the cells place
    bool parameters = true;     // the thirteen print parameters
    bool autoRun = true;        // the auto-run period (a read has it from the state block anyway)
    bool script = true;         // the script (a read always takes it: the cells depend on it)
};

// Reads the state block, the 32 cells (ten tries each, as the editors), the names list, every
// logo it lists, the thirteen parameters and the script; the backup is then checked as a file
// would be, so that what cannot be restored is not reported as backed up. A narrower scope reads
// only the logos the cells place and leaves the parameters out when asked.
Outcome backUp(Functions &f, Backup &out, const Progress &progress = {}, const Scope &scope = {});

// Checks the backup and the printer's font count first and writes nothing when either is wrong;
// then writes the logos, the cells (with their fonts, counters with their direction, post-dates
// with the day count), steps each parameter from the printer's value to the stored one, and
// writes the auto-run period, the post-date day count and the script; of them what the scope
// holds (the logos are those of the backup, whatever the scope).
Outcome restore(Functions &f, const Backup &b, const Progress &progress = {},
                const Scope &scope = {});

// The restore's writing, which the audit trail is not told of as a whole: a restore is told as
// "RestoreBackup", a job's apply as "ApplyJob" once it is read back.
Outcome writeBackup(Functions &f, const Backup &b, const Progress &progress = {},
                    const Scope &scope = {});
// What a restore writes, for the audit trail: "32 cells, 3 logos, post-date 0 days, script".
QString contentWords(const Backup &b, const Scope &scope);

// The outcome of a restore that wrote nothing, for the reason given.
Outcome refusal(const QString &why);

// What an operator reads of an outcome: what was done, or where it ended and how far it got.
QString describeBackUp(const Outcome &o);
QString describeRestore(const Outcome &o);

} // namespace backup

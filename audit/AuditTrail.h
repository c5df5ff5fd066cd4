#pragma once
// The audit trail: every change made to a printer, by whichever program of the station (the
// windows, stampctl, the agent), one record each in an SQLite file, each record chained to the one
// before it by its hash. Several programs and threads may write to one file at once: each record
// is appended in a transaction of its own that takes the file's write lock first, so the chain
// stays one line. An object is used by the thread that made it; each thread makes its own.

#include "AuditRecord.h"
#include "Change.h"

#include <QString>
#include <functional>
#include <memory>

namespace audit {

// Which records a listing shows; an empty field or an unset time lets every record through.
struct Filter {
    QString printer; // letter case ignored
    QString user;
    QString operation;
    QDateTime since;    // from this time on
    QDateTime until;    // up to this time
    qint64 afterId = 0; // only records written after this one
};

class Trail : public ChangeRecorder {
public:
    // The file: STAMPLINE_AUDIT_DB, or audit.sqlite in the user's data folder of the program
    // (~/.local/share/stampline).
    static QString defaultPath();
    // Opens the trail at `path` (made when it does not exist); nullptr, with why, when the file
    // cannot be used: not a regular file, not SQLite, a table of another kind, or not writable.
    static std::unique_ptr<Trail> open(const QString &path, QString *why);
    ~Trail() override;
    Trail(const Trail &) = delete;
    Trail &operator=(const Trail &) = delete;

    const QString &path() const { return file; }

    // Appends a record of the change, stamped now with the station and the user.
    void record(const Change &change) override;
    // The record as written (id, time, chain), or nothing when it could not be written (why in
    // problem()).
    std::optional<Record> append(const Change &change);
    // Told of each record as it is written, on the thread that wrote it.
    std::function<void(const Record &)> written;
    // Told when a record could not be written, with why.
    std::function<void(const QString &)> failed;
    // Why the last thing asked of the trail failed; empty when it went through.
    const QString &problem() const { return lastProblem; }

    // The records the filter lets through, oldest first.
    std::vector<Record> list(const Filter &filter = {});
    // The id of the newest record (0: none).
    qint64 lastId();
    // The distinct values of a column ("printer", "user", "operation"), sorted.
    QStringList values(const char *column);
    // The chain checked from the first record, or on from a check that held (only the records
    // written since; a broken one is checked again from the start).
    ChainCheck verify(const ChainCheck &from = {});

private:
    Trail() = default;
    bool exec(const QString &sql);
    // The highest id the file ever gave a record (0: none).
    qint64 idsGiven();

    QString file;
    QString connection;
    QString station;
    QString user;
    QString lastProblem;
};

// The operating system's user running this program.
QString systemUser();

// The station's trail (Trail::defaultPath) for this thread's changes, telling `problem` why it
// cannot be opened or a record could not be written; nullptr when it cannot be opened.
std::shared_ptr<Trail> stationTrail(const std::function<void(const QString &)> &problem);

} // namespace audit

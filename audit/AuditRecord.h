#pragma once
// One record of the audit trail: who changed what on which printer, when, and how it ended; and
// the chain that binds each record to the one before it, so that a record changed or removed
// afterwards is found.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace audit {

// The chain's start: what the first record names as the hash before it.
QString chainStart();

struct Record {
    qint64 id = 0;                 // 1, 2, ... in the order written; never used twice
    QDateTime time;                // UTC, to the millisecond
    QString station;               // the host's name
    QString user;                  // the operating system's user
    QString printer;               // the printer's name of the line, or the port's
    QString device;                // the device the exchanges went to
    QString operation;             // "WriteTextFragment", "ApplyJob"
    QString arguments;             // "cell 1,3: text \"LOT 42\""
    QString outcome;               // "done", "failed: …"
    std::optional<QString> before; // what a cell held before, when known
    QString previous;              // the hash of the record before (64 zeros for the first)
    QString hash;                  // SHA-256 over the fields above and `previous`, in hex

    // The hash the record's fields and `previous` make.
    QString computeHash() const;
    // The time as it is kept and shown: "2026-12-07T15:12:05.123Z".
    QString timeText() const;
    // The record as JSON (every field but the chain's), for the broker's event topic.
    QByteArray toJson() const;
};

// The columns of a listing, in order, and one record's cells under them.
QStringList columnNames();
QStringList cellsOf(const Record &record);

// A listing as CSV (RFC 4180: a header line, fields quoted where needed, CRLF line ends).
QByteArray toCsv(const std::vector<Record> &records);

// How the chain held, record by record from the first.
struct ChainCheck {
    qint64 records = 0;           // records checked
    std::optional<qint64> broken; // the first record that does not hold (its id)
    QString why;                  // what is wrong with it
    // The last record found whole, from which a later check may go on.
    qint64 lastId = 0;
    QString lastHash = chainStart();
    // "The audit trail holds 12 records, each as it was written." or
    // "The audit trail is broken at record 7: …"
    QString describe() const;
};

// Walks the records in order (each passed once) and says where the chain first breaks; from the
// first record, or on from a check that held.
class ChainWalk {
public:
    explicit ChainWalk(ChainCheck from = {}) : check(std::move(from)) {}
    // False once the chain has broken (the rest need not be given).
    bool next(const Record &record);
    const ChainCheck &result() const { return check; }

private:
    ChainCheck check;
};

} // namespace audit

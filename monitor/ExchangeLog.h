#pragma once
// The exchanges the line monitor shows, a row each: time, operation, bytes sent and received (hex
// and their characters), the echo verdict, the time it took. New exchanges wait in a batch until
// the next flush, so a busy line costs one row insertion a batch, not one an exchange.

#include "Exchange.h"

#include <QAbstractTableModel>
#include <deque>
#include <vector>

class ExchangeLog : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Time, Operation, Sent, Received, Echo, Took, ColumnCount };
    // The oldest rows go beyond this many, shown or waiting.
    static constexpr int kMaxRows = 100000;
    // A cell shows at most this many bytes and then their count; the saved text has them all.
    static constexpr int kShownBytes = 32;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // An exchange for the next batch.
    void add(Exchange exchange);
    // The waiting exchanges become rows; false when none waited.
    bool flush();
    int waiting() const { return int(pending.size()); }
    // Every row and every waiting exchange gone.
    void clear();
    // The rows as text: a header line, then a line a row, the fields separated by tabs, every
    // byte in full, and the outcome last ("ok", or "failed" and why).
    QString text() const;

    const Exchange &at(int row) const { return rows[size_t(row)]; }

private:
    std::deque<Exchange> rows;
    std::vector<Exchange> pending;
};

// "11 31 31  .11": the bytes in hex, then their characters in the printer's code page (a dot for
// what cannot be shown). `limit` > 0 shows only so many and then their count.
QString bytesWithCharacters(const QByteArray &bytes, int limit = 0);
// "0.8 ms", "125.0 ms".
QString tookText(qint64 microseconds);

#pragma once
// The records of the audit trail as a table for a view: one row a record, the columns of a
// listing.

#include "AuditRecord.h"

#include <QAbstractTableModel>

namespace audit {

class Model : public QAbstractTableModel {
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRecords(std::vector<Record> records);
    // Records written since, after the rows shown.
    void append(const std::vector<Record> &records);
    const std::vector<Record> &records() const { return shown; }
    // The row of the record with that id, or -1.
    int rowOf(qint64 id) const;
    // Marks the record where the chain breaks (shown on a warning background); 0: none.
    void setBroken(qint64 id);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<Record> shown;
    QStringList headers = columnNames();
    qint64 broken = 0;
};

} // namespace audit

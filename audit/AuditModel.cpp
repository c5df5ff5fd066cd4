#include "AuditModel.h"

#include <QBrush>
#include <QColor>

namespace audit {

void Model::setRecords(std::vector<Record> records) {
    beginResetModel();
    shown = std::move(records);
    endResetModel();
}

void Model::append(const std::vector<Record> &records) {
    if (records.empty())
        return;
    beginInsertRows({}, rowCount(), rowCount() + int(records.size()) - 1);
    shown.insert(shown.end(), records.begin(), records.end());
    endInsertRows();
}

int Model::rowOf(qint64 id) const {
    for (size_t i = 0; i < shown.size(); ++i)
        if (shown[i].id == id)
            return int(i);
    return -1;
}

void Model::setBroken(qint64 id) {
    broken = id;
    if (!shown.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                         {Qt::BackgroundRole});
}

int Model::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(shown.size());
}

int Model::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(headers.size());
}

QVariant Model::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const Record &r = shown[size_t(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::AccessibleTextRole)
        return cellsOf(r).value(index.column());
    if (role == Qt::BackgroundRole && broken && r.id == broken)
        return QBrush(QColor(255, 200, 200));
    if (role == Qt::ForegroundRole && !r.outcome.startsWith(QLatin1String("done")) &&
        index.column() == headers.indexOf(QStringLiteral("Outcome")))
        return QBrush(QColor(160, 0, 0));
    return {};
}

QVariant Model::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    return headers.value(section);
}

} // namespace audit

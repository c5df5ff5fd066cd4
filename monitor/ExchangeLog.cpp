#include "ExchangeLog.h"

#include "WireText.h"

#include <QBrush>
#include <QColor>

namespace {
const char *const kHeaders[] = {"Time", "Operation", "Sent", "Received", "Echo", "Took"};

QString timeText(const Exchange &x) {
    return x.started.toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString outcome(const Exchange &x) {
    if (x.ok)
        return QStringLiteral("ok");
    return x.cause.isEmpty() ? QStringLiteral("failed") : QStringLiteral("failed: ") + x.cause;
}
} // namespace

QString bytesWithCharacters(const QByteArray &bytes, int limit) {
    if (bytes.isEmpty())
        return {};
    const bool clipped = limit > 0 && bytes.size() > limit;
    const QByteArray shown = clipped ? bytes.left(limit) : bytes;
    // The code page has one character a byte, so the text lines up with the bytes.
    QString characters = fromWire(shown);
    if (characters.size() != shown.size())
        characters = QString::fromLatin1(shown);
    for (QChar &c : characters)
        if (!c.isPrint() || c == QChar::ReplacementCharacter)
            c = QLatin1Char('.');
    QString text = hexBytes(shown) + QStringLiteral("  ") + characters;
    if (clipped)
        text += QStringLiteral(" … (%1 bytes)").arg(bytes.size());
    return text;
}

QString tookText(qint64 microseconds) {
    return QStringLiteral("%1 ms").arg(double(microseconds) / 1000.0, 0, 'f', 1);
}

int ExchangeLog::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows.size());
}

int ExchangeLog::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ExchangeLog::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= int(rows.size()))
        return {};
    const Exchange &x = rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Time:
            return timeText(x);
        case Operation:
            return x.operation;
        case Sent:
            return bytesWithCharacters(x.sent, kShownBytes);
        case Received:
            return bytesWithCharacters(x.received, kShownBytes);
        case Echo:
            return x.echoVerdict();
        case Took:
            return tookText(x.durationUs);
        }
        break;
    case Qt::ToolTipRole:
        return outcome(x);
    case Qt::BackgroundRole:
        if (!x.ok)
            return QBrush(QColor(255, 205, 205));
        break;
    case Qt::ForegroundRole:
        if (!x.ok)
            return QBrush(QColor(140, 0, 0));
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == Took)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    }
    return {};
}

QVariant ExchangeLog::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return QString::fromLatin1(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void ExchangeLog::add(Exchange exchange) {
    if (pending.size() >= size_t(kMaxRows)) // held long (a pause): the oldest go
        pending.erase(pending.begin(), pending.begin() + kMaxRows / 10);
    pending.push_back(std::move(exchange));
}

bool ExchangeLog::flush() {
    if (pending.empty())
        return false;
    const size_t over = rows.size() + pending.size() > size_t(kMaxRows)
                            ? rows.size() + pending.size() - size_t(kMaxRows)
                            : 0;
    if (over > 0) {
        const size_t dropRows = qMin(over, rows.size());
        if (dropRows > 0) {
            beginRemoveRows({}, 0, int(dropRows) - 1);
            rows.erase(rows.begin(), rows.begin() + qsizetype(dropRows));
            endRemoveRows();
        }
        if (over > dropRows)
            pending.erase(pending.begin(), pending.begin() + qsizetype(over - dropRows));
    }
    const int first = int(rows.size());
    beginInsertRows({}, first, first + int(pending.size()) - 1);
    for (Exchange &x : pending)
        rows.push_back(std::move(x));
    endInsertRows();
    pending.clear();
    return true;
}

void ExchangeLog::clear() {
    pending.clear();
    if (rows.empty())
        return;
    beginResetModel();
    rows.clear();
    endResetModel();
}

QString ExchangeLog::text() const {
    QStringList lines;
    lines << QStringLiteral("Time\tOperation\tSent\tReceived\tEcho\tTook\tResult");
    for (const Exchange &x : rows)
        lines << QStringList{timeText(x),
                             x.operation,
                             bytesWithCharacters(x.sent),
                             bytesWithCharacters(x.received),
                             x.echoVerdict(),
                             tookText(x.durationUs),
                             outcome(x)}
                     .join(QLatin1Char('\t'));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

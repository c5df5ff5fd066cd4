#include "AuditRecord.h"

#include <QCryptographicHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace audit {

namespace {

// Each field as its length and its bytes, so that no two sets of fields hash alike.
void field(QCryptographicHash &hash, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    hash.addData(QByteArray::number(bytes.size()) + ':');
    hash.addData(bytes);
}

QString csvField(const QString &text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString chainStart() {
    return QString(64, QLatin1Char('0'));
}

QString Record::timeText() const {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString Record::computeHash() const {
    QCryptographicHash sum(QCryptographicHash::Sha256);
    field(sum, QString::number(id));
    field(sum, timeText());
    for (const QString *text :
         {&station, &user, &printer, &device, &operation, &arguments, &outcome})
        field(sum, *text);
    // A cell's "before" not known is told from one known to be empty.
    field(sum, before ? QStringLiteral("+") + *before : QStringLiteral("-"));
    field(sum, previous);
    return QString::fromLatin1(sum.result().toHex());
}

QByteArray Record::toJson() const {
    QJsonObject o{{QStringLiteral("id"), id},
                  {QStringLiteral("time"), timeText()},
                  {QStringLiteral("station"), station},
                  {QStringLiteral("user"), user},
                  {QStringLiteral("printer"), printer},
                  {QStringLiteral("device"), device},
                  {QStringLiteral("operation"), operation},
                  {QStringLiteral("arguments"), arguments},
                  {QStringLiteral("outcome"), outcome},
                  {QStringLiteral("hash"), hash}};
    if (before)
        o.insert(QStringLiteral("before"), *before);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QStringList columnNames() {
    return {QStringLiteral("Record"),    QStringLiteral("Time (UTC)"), QStringLiteral("Station"),
            QStringLiteral("User"),      QStringLiteral("Printer"),    QStringLiteral("Device"),
            QStringLiteral("Operation"), QStringLiteral("Arguments"),  QStringLiteral("Outcome"),
            QStringLiteral("Before")};
}

QStringList cellsOf(const Record &r) {
    return {QString::number(r.id),
            r.timeText(),
            r.station,
            r.user,
            r.printer,
            r.device,
            r.operation,
            r.arguments,
            r.outcome,
            r.before.value_or(QString())};
}

QByteArray toCsv(const std::vector<Record> &records) {
    QString text;
    const auto line = [&text](const QStringList &cells) {
        QStringList fields;
        for (const QString &cell : cells)
            fields << csvField(cell);
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    };
    line(columnNames());
    for (const Record &r : records)
        line(cellsOf(r));
    return text.toUtf8();
}

QString ChainCheck::describe() const {
    if (!broken)
        return records == 1 ? QStringLiteral("The audit trail holds 1 record, as it was written.")
                            : QStringLiteral("The audit trail holds %1 records, each as it was "
                                             "written.")
                                  .arg(records);
    return QStringLiteral("The audit trail is broken at record %1: %2.").arg(*broken).arg(why);
}

bool ChainWalk::next(const Record &r) {
    if (check.broken)
        return false;
    ++check.records;
    if (r.id != check.lastId + 1)
        check.why = r.id <= check.lastId
                        ? QStringLiteral("it comes after record %1 but does not follow it")
                              .arg(check.lastId)
                    : r.id == check.lastId + 2
                        ? QStringLiteral("record %1 before it was removed").arg(check.lastId + 1)
                        : QStringLiteral("records %1 to %2 before it were removed")
                              .arg(check.lastId + 1)
                              .arg(r.id - 1);
    else if (r.previous != check.lastHash)
        check.why = QStringLiteral("it does not name the record before it as it was written");
    else if (r.computeHash() != r.hash)
        check.why = QStringLiteral("it was changed after it was written");
    if (!check.why.isEmpty()) {
        check.broken = r.id;
        return false;
    }
    check.lastId = r.id;
    check.lastHash = r.hash;
    return true;
}

} // namespace audit

#include "LineRecord.h"

#include "FileAccess.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QUrl>

namespace line {

namespace {

// A printer's group: its name, so encoded that no name makes a group of another.
QString groupOf(const QString &printer) {
    return QStringLiteral("Printers/") +
           QString::fromLatin1(QUrl::toPercentEncoding(printer, {}, "/\\"));
}

QString when(const QDateTime &t) {
    return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

QString Record::describe() const {
    if (job.isEmpty())
        return {};
    QString text = QStringLiteral("last job %1: %2 at %3").arg(job, outcome, when(at));
    if (verified.isValid() && verified != at)
        text += QStringLiteral("; last verified %1").arg(when(verified));
    return text;
}

LineRecord::LineRecord(const QString &jobFolder)
    : path(QDir(jobFolder).filePath(QStringLiteral("line-record.ini"))) {}

Record LineRecord::of(const QString &printer) const {
    Record r;
    // Only a regular file is handed to the INI reader.
    if (!QFileInfo::exists(path) || files::unreadable(path, files::kSettingsLimit))
        return r;
    QSettings record(path, QSettings::IniFormat);
    record.beginGroup(groupOf(printer));
    r.job = record.value(QStringLiteral("Job")).toString();
    r.outcome = record.value(QStringLiteral("Outcome")).toString();
    r.at = QDateTime::fromString(record.value(QStringLiteral("At")).toString(), Qt::ISODate);
    r.verified =
        QDateTime::fromString(record.value(QStringLiteral("Verified")).toString(), Qt::ISODate);
    return r;
}

bool LineRecord::note(const QString &job, const std::vector<PrinterResult> &results) const {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || files::unwritable(path) ||
        (QFileInfo::exists(path) && files::unreadable(path, files::kSettingsLimit)))
        return false;
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    QSettings record(path, QSettings::IniFormat);
    for (const PrinterResult &r : results) {
        record.beginGroup(groupOf(r.printer));
        record.setValue(QStringLiteral("Job"), job);
        record.setValue(QStringLiteral("Outcome"), r.word());
        record.setValue(QStringLiteral("At"), now);
        if (r.end == PrinterResult::End::Verified)
            record.setValue(QStringLiteral("Verified"), now);
        record.endGroup();
    }
    record.sync();
    return record.status() == QSettings::NoError;
}

} // namespace line

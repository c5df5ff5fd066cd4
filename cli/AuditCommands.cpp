#include "AuditCommands.h"

#include "AuditTrail.h"

#include <QFileInfo>

namespace ctl {

namespace {

int usage(const Console &console, const QString &reason) {
    return usageError(console, reason,
                      QStringLiteral("usage: stampctl ") + auditUsage().trimmed() +
                          QLatin1Char('\n'));
}

// "2026-12-07" (from its start, or `endOfDay` to its end) or "2026-12-07T13:05:00", both UTC.
QDateTime timeOf(const QString &text, bool endOfDay) {
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (day.isValid())
        return endOfDay ? QDateTime(day, QTime(23, 59, 59, 999), Qt::UTC)
                        : QDateTime(day, QTime(0, 0), Qt::UTC);
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (time.isValid() && time.timeSpec() == Qt::LocalTime)
        time.setTimeSpec(Qt::UTC);
    return time;
}

std::unique_ptr<audit::Trail> openTrail(const Console &console) {
    const QString path = audit::Trail::defaultPath();
    if (!QFileInfo::exists(path)) {
        console.say(QStringLiteral("stampctl: there is no audit trail at %1 yet").arg(path), false);
        return nullptr;
    }
    QString why;
    auto trail = audit::Trail::open(path, &why);
    if (!trail)
        console.say(QStringLiteral("stampctl: ") + why, false);
    return trail;
}

} // namespace

QString auditUsage() {
    return QStringLiteral(
        "  audit [--since DATE] [--until DATE] [--printer NAME] [--user USER] "
        "[--operation NAME] [--csv]\n"
        "      the records of the station's audit trail, oldest first, one a line (tab between\n"
        "      the fields), or as CSV; DATE is 2026-12-07 or 2026-12-07T13:05:00, in UTC\n"
        "  audit verify\n"
        "      checks the chain of the records; names the first broken record, exit 1 then\n");
}

bool isAuditCommand(const QStringList &words) {
    return !words.isEmpty() && words[0] == QLatin1String("audit");
}

int runAuditCommand(const QStringList &words, const Console &console) {
    if (words.size() == 2 && words[1] == QLatin1String("verify")) {
        auto trail = openTrail(console);
        if (!trail)
            return Failed;
        const audit::ChainCheck check = trail->verify();
        if (!trail->problem().isEmpty()) {
            console.say(QStringLiteral("stampctl: the audit trail could not be read: ") +
                            trail->problem(),
                        false);
            return Failed;
        }
        console.say(check.describe(), !check.broken);
        return check.broken ? Failed : Success;
    }
    audit::Filter filter;
    bool csv = false;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString &a = words[i];
        if (a == QLatin1String("--csv")) {
            csv = true;
            continue;
        }
        static const QStringList valued{QStringLiteral("--since"), QStringLiteral("--until"),
                                        QStringLiteral("--printer"), QStringLiteral("--user"),
                                        QStringLiteral("--operation")};
        if (!valued.contains(a))
            return usage(console, QStringLiteral("unexpected \"%1\"").arg(a));
        if (i + 1 >= words.size())
            return usage(console, a + QStringLiteral(" needs a value"));
        const QString value = words[++i];
        if (a == QLatin1String("--since") || a == QLatin1String("--until")) {
            const QDateTime time = timeOf(value, a == QLatin1String("--until"));
            if (!time.isValid())
                return usage(console, QStringLiteral("%1 needs a date, 2026-12-07 or "
                                                     "2026-12-07T13:05:00, not \"%2\"")
                                          .arg(a, value));
            (a == QLatin1String("--since") ? filter.since : filter.until) = time;
        } else if (a == QLatin1String("--printer")) {
            filter.printer = value;
        } else if (a == QLatin1String("--user")) {
            filter.user = value;
        } else {
            filter.operation = value;
        }
    }
    auto trail = openTrail(console);
    if (!trail)
        return Failed;
    const std::vector<audit::Record> records = trail->list(filter);
    if (!trail->problem().isEmpty()) {
        console.say(QStringLiteral("stampctl: the audit trail could not be read: ") +
                        trail->problem(),
                    false);
        return Failed;
    }
    if (csv) {
        console.out(audit::toCsv(records));
        return Success;
    }
    for (const audit::Record &r : records) {
        QStringList cells = audit::cellsOf(r);
        // One record a line, whatever its texts hold.
        for (QString &cell : cells)
            for (QChar &ch : cell)
                if (ch == QLatin1Char('\t') || ch == QLatin1Char('\n') || ch == QLatin1Char('\r'))
                    ch = QLatin1Char(' ');
        console.say(cells.join(QLatin1Char('\t')));
    }
    return Success;
}

} // namespace ctl

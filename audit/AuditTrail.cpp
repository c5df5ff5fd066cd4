#include "AuditTrail.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QSysInfo>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace audit {

namespace {

constexpr int kFormat = 1;     // PRAGMA user_version of a trail
constexpr int kBusyMs = 10000; // how long a writer waits for another program's record

const char kSchema[] = "CREATE TABLE IF NOT EXISTS records ("
                       "id INTEGER PRIMARY KEY AUTOINCREMENT, time TEXT NOT NULL, "
                       "station TEXT NOT NULL, user TEXT NOT NULL, printer TEXT NOT NULL, "
                       "device TEXT NOT NULL, operation TEXT NOT NULL, arguments TEXT NOT NULL, "
                       "outcome TEXT NOT NULL, before TEXT, previous TEXT NOT NULL, "
                       "hash TEXT NOT NULL)";

const char kColumns[] = "id, time, station, user, printer, device, operation, arguments, outcome, "
                        "before, previous, hash";

Record recordAt(const QSqlQuery &q) {
    Record r;
    r.id = q.value(0).toLongLong();
    r.time = QDateTime::fromString(q.value(1).toString(), Qt::ISODateWithMs);
    r.station = q.value(2).toString();
    r.user = q.value(3).toString();
    r.printer = q.value(4).toString();
    r.device = q.value(5).toString();
    r.operation = q.value(6).toString();
    r.arguments = q.value(7).toString();
    r.outcome = q.value(8).toString();
    if (!q.value(9).isNull())
        r.before = q.value(9).toString();
    r.previous = q.value(10).toString();
    r.hash = q.value(11).toString();
    return r;
}

QString timeKey(const QDateTime &time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

} // namespace

QString systemUser() {
    // Asked once: getpwuid answers in a buffer of its own that another thread's call overwrites.
    static const QString user = [] {
#ifdef Q_OS_UNIX
        if (const passwd *pw = ::getpwuid(::geteuid()); pw && pw->pw_name)
            return QString::fromLocal8Bit(pw->pw_name);
#endif
        const QString name = qEnvironmentVariable("USER", qEnvironmentVariable("USERNAME"));
        return name.isEmpty() ? QStringLiteral("unknown") : name;
    }();
    return user;
}

std::shared_ptr<Trail> stationTrail(const std::function<void(const QString &)> &problem) {
    QString why;
    std::shared_ptr<Trail> trail = Trail::open(Trail::defaultPath(), &why);
    if (!trail) {
        if (problem)
            problem(why + QStringLiteral("; changes are not recorded"));
        return nullptr;
    }
    trail->failed = problem;
    return trail;
}

QString Trail::defaultPath() {
    const QString named = qEnvironmentVariable("STAMPLINE_AUDIT_DB");
    if (!named.isEmpty())
        return named;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("stampline/audit.sqlite"));
}

std::unique_ptr<Trail> Trail::open(const QString &path, QString *why) {
    const auto refuse = [&](const QString &reason) {
        if (why)
            *why = QStringLiteral("the audit trail %1 cannot be used: %2").arg(path, reason);
        return nullptr;
    };
    const QFileInfo info(path);
    // Only a regular file is opened: a device or a pipe under the name would hang or be harmed.
    if (info.exists() && !info.isFile())
        return refuse(QStringLiteral("it is not a regular file"));
    if (!info.exists() && !QDir().mkpath(info.absolutePath()))
        return refuse(QStringLiteral("its folder cannot be made"));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return refuse(QStringLiteral("Qt's SQLite driver is not installed"));

    static QAtomicInteger<quint64> made;
    auto trail = std::unique_ptr<Trail>(new Trail);
    trail->file = path;
    trail->connection = QStringLiteral("audit-%1").arg(made.fetchAndAddRelaxed(1));
    trail->station = QSysInfo::machineHostName();
    trail->user = systemUser();
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), trail->connection);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyMs));
    if (!db.open())
        return refuse(db.lastError().text());
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return refuse(
            QStringLiteral("it is not an SQLite database (%1)").arg(q.lastError().text()));
    const int version = q.value(0).toInt();
    q.finish();
    if (version != 0 && version != kFormat)
        return refuse(QStringLiteral("it is a trail of format %1, this program knows %2")
                          .arg(version)
                          .arg(kFormat));
    if (version == 0) {
        // A new file, or an SQLite file of something else: that one is left as it is.
        if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) || !q.next())
            return refuse(
                QStringLiteral("it is not an SQLite database (%1)").arg(q.lastError().text()));
        if (q.value(0).toInt() != 0)
            return refuse(QStringLiteral("it is an SQLite database of something else"));
        q.finish();
        if (!trail->exec(QLatin1String(kSchema)) ||
            !trail->exec(QStringLiteral("PRAGMA user_version = %1").arg(kFormat)))
            return refuse(trail->lastProblem);
    }
    // A record survives the program's crash once its transaction ends, without waiting for the
    // disk at each one; only a power cut or a crash of the system may lose the last records.
    trail->exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    trail->exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
    trail->lastProblem.clear();
    return trail;
}

Trail::~Trail() {
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

bool Trail::exec(const QString &sql) {
    QSqlQuery q(QSqlDatabase::database(connection, false));
    if (q.exec(sql))
        return true;
    lastProblem = q.lastError().text();
    return false;
}

void Trail::record(const Change &change) {
    if (!append(change) && failed)
        failed(lastProblem);
}

std::optional<Record> Trail::append(const Change &change) {
    lastProblem.clear();
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    // The write lock first: no other writer may slip a record in between the last one read here
    // and the one appended.
    if (!exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        lastProblem = QStringLiteral("the change was not put in the audit trail %1: %2")
                          .arg(file, lastProblem);
        return std::nullopt;
    }
    Record r;
    r.previous = chainStart();
    QSqlQuery last(db);
    if (last.exec(QStringLiteral("SELECT id, hash FROM records ORDER BY id DESC LIMIT 1")) &&
        last.next()) {
        r.id = last.value(0).toLongLong();
        r.previous = last.value(1).toString();
    }
    last.finish();
    // The next id as the file will give it: AUTOINCREMENT never gives one twice, even after
    // the last record was removed.
    r.id = std::max(r.id, idsGiven()) + 1;
    r.time = QDateTime::currentDateTimeUtc();
    r.station = station;
    r.user = user;
    r.printer = change.printer;
    r.device = change.device;
    r.operation = change.operation;
    r.arguments = change.arguments;
    r.outcome = change.outcome();
    r.before = change.before;
    r.hash = r.computeHash();

    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO records (%1) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)")
                       .arg(QLatin1String(kColumns)));
    const QStringList cells{r.timeText(), r.station,   r.user,      r.printer,
                            r.device,     r.operation, r.arguments, r.outcome};
    insert.addBindValue(r.id);
    for (const QString &cell : cells) // an empty text is kept as one, never as NULL
        insert.addBindValue(cell.isNull() ? QString(QLatin1String("")) : cell);
    insert.addBindValue(r.before
                            ? QVariant(r.before->isNull() ? QString(QLatin1String("")) : *r.before)
                            : QVariant(QMetaType(QMetaType::QString)));
    insert.addBindValue(r.previous);
    insert.addBindValue(r.hash);
    if (!insert.exec()) {
        lastProblem = QStringLiteral("the change was not put in the audit trail %1: %2")
                          .arg(file, insert.lastError().text());
        insert.finish();
        exec(QStringLiteral("ROLLBACK"));
        return std::nullopt;
    }
    insert.finish();
    if (!exec(QStringLiteral("COMMIT"))) {
        lastProblem = QStringLiteral("the change was not put in the audit trail %1: %2")
                          .arg(file, lastProblem);
        exec(QStringLiteral("ROLLBACK"));
        return std::nullopt;
    }
    if (written)
        written(r);
    return r;
}

std::vector<Record> Trail::list(const Filter &filter) {
    lastProblem.clear();
    QStringList where;
    QVariantList values;
    const auto match = [&](const QString &value, const char *clause) {
        if (!value.trimmed().isEmpty()) {
            where << QLatin1String(clause);
            values << value.trimmed();
        }
    };
    match(filter.printer, "printer = ? COLLATE NOCASE");
    match(filter.user, "user = ?");
    match(filter.operation, "operation = ?");
    if (filter.since.isValid()) {
        where << QStringLiteral("time >= ?");
        values << timeKey(filter.since);
    }
    if (filter.afterId > 0) {
        where << QStringLiteral("id > ?");
        values << filter.afterId;
    }
    if (filter.until.isValid()) {
        where << QStringLiteral("time <= ?");
        values << timeKey(filter.until);
    }
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM records%2 ORDER BY id")
                  .arg(QLatin1String(kColumns),
                       where.isEmpty()
                           ? QString()
                           : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "))));
    for (const QVariant &v : values)
        q.addBindValue(v);
    std::vector<Record> records;
    if (!q.exec()) {
        lastProblem = q.lastError().text();
        return records;
    }
    while (q.next())
        records.push_back(recordAt(q));
    return records;
}

qint64 Trail::idsGiven() {
    QSqlQuery q(QSqlDatabase::database(connection, false));
    return q.exec(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = 'records'")) &&
                   q.next()
               ? q.value(0).toLongLong()
               : 0;
}

qint64 Trail::lastId() {
    QSqlQuery q(QSqlDatabase::database(connection, false));
    return q.exec(QStringLiteral("SELECT max(id) FROM records")) && q.next()
               ? q.value(0).toLongLong()
               : 0;
}

QStringList Trail::values(const char *column) {
    QStringList found;
    static const QStringList known{QStringLiteral("printer"), QStringLiteral("user"),
                                   QStringLiteral("operation")};
    if (!known.contains(QLatin1String(column)))
        return found;
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    if (q.exec(QStringLiteral("SELECT DISTINCT %1 FROM records ORDER BY %1")
                   .arg(QLatin1String(column))))
        while (q.next())
            found << q.value(0).toString();
    return found;
}

ChainCheck Trail::verify(const ChainCheck &from) {
    lastProblem.clear();
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    ChainWalk walk(from.broken ? ChainCheck() : from);
    q.prepare(QStringLiteral("SELECT %1 FROM records WHERE id > ? ORDER BY id")
                  .arg(QLatin1String(kColumns)));
    q.addBindValue(walk.result().lastId);
    if (!q.exec()) {
        lastProblem = q.lastError().text();
        ChainCheck check;
        check.why = lastProblem;
        return check;
    }
    while (q.next() && walk.next(recordAt(q))) {
    }
    q.finish();
    ChainCheck check = walk.result();
    if (check.broken)
        return check;
    // The chain cannot show its own end cut off; the file's count of ids given can.
    if (const qint64 given = idsGiven(); given > check.lastId) {
        check.broken = check.lastId + 1;
        check.why = given == check.lastId + 1
                        ? QStringLiteral("it was the last and was removed")
                        : QStringLiteral("it and the records after it, to record %1, were removed")
                              .arg(given);
    }
    return check;
}

} // namespace audit

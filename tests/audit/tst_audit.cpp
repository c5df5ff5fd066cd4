// The audit trail: records chained so that one changed, removed or cut off afterwards is named;
// the files it will not take; its CSV; and stampctl, whose every change goes into the trail
// (what a cell held before included), listed, filtered and verified from the command line.

#include "AuditTrail.h"
#include "Devices.h"
#include "Functions.h"
#include "Stampctl.h"

#include <QImage>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>

namespace {

Change change(const QString &printer, const QString &operation, const QString &arguments,
              bool ok = true) {
    Change c;
    c.printer = printer;
    c.device = QStringLiteral("virtual");
    c.operation = operation;
    c.arguments = arguments;
    c.ok = ok;
    if (!ok)
        c.cause = QStringLiteral("the printer did not answer");
    return c;
}

// Runs SQL on the trail's file behind the trail's back, as someone editing it would.
void tamper(const QString &path, const QString &sql) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "tamper");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY2(q.exec(sql), qPrintable(sql));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("tamper"));
}

struct Run {
    int exit = -1;
    QByteArray out, err;
    QStringList lines() const { return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts); }
};

} // namespace

class TestAudit : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }
    void chainNamesTheFirstBrokenRecord();
    void filesThatAreNoTrail();
    void listingsAndTheirCsv();
    void stampctlRecordsEveryChange();
    void aCellsBeforeIsItsOwnPrinters();
};

void TestAudit::chainNamesTheFirstBrokenRecord() {
    const QString path = dir.filePath(QStringLiteral("chain.sqlite"));
    QString why;
    auto trail = audit::Trail::open(path, &why);
    QVERIFY2(trail, qPrintable(why));
    for (int i = 1; i <= 5; ++i) {
        const auto r = trail->append(
            change("North", "WriteTextFragment", QStringLiteral("cell 1,%1: text \"LOT\"").arg(i)));
        QVERIFY(r);
        QCOMPARE(r->id, qint64(i));
        QCOMPARE(r->user, audit::systemUser());
    }
    const audit::ChainCheck held = trail->verify();
    QCOMPARE(held.describe(),
             QStringLiteral("The audit trail holds 5 records, each as it was written."));
    // Checked on from there: only the records written since are read.
    QVERIFY(trail->append(change("North", "SetTime", "12:00:00")));
    const audit::ChainCheck on = trail->verify(held);
    QCOMPARE(on.records, qint64(6));
    QCOMPARE(on.lastId, qint64(6));
    tamper(path, "DELETE FROM records WHERE id = 6");

    // A record's text changed.
    tamper(path, "UPDATE records SET arguments = 'cell 1,3: text \"LOT 9\"' WHERE id = 3");
    QCOMPARE(trail->verify().describe(), QStringLiteral("The audit trail is broken at record 3: it "
                                                        "was changed after it was written."));
    // Changed with its own hash made again: the next record does not name it.
    const std::vector<audit::Record> now = trail->list();
    audit::Record forged = now[2];
    forged.hash = forged.computeHash();
    tamper(path, QStringLiteral("UPDATE records SET hash = '%1' WHERE id = 3").arg(forged.hash));
    QCOMPARE(trail->verify().describe(),
             QStringLiteral("The audit trail is broken at record 4: it does not name the record "
                            "before it as it was written."));
    // A record removed in the middle, and the last ones cut off.
    tamper(path, "DELETE FROM records WHERE id = 3");
    QCOMPARE(*trail->verify().broken, qint64(4));
    QCOMPARE(trail->verify().why, QStringLiteral("record 3 before it was removed"));

    const QString cut = dir.filePath(QStringLiteral("cut.sqlite"));
    auto second = audit::Trail::open(cut, &why);
    QVERIFY(second);
    for (int i = 0; i < 4; ++i)
        QVERIFY(second->append(change("South", "SetTime", "12:00:00")));
    tamper(cut, "DELETE FROM records WHERE id >= 3");
    QCOMPARE(second->verify().describe(),
             QStringLiteral("The audit trail is broken at record 3: it and the records after it, "
                            "to record 4, were removed."));
    // Ids are never given twice: a record written after the cut does not hide it.
    QCOMPARE(second->append(change("South", "SetTime", "12:00:01"))->id, qint64(5));
    QCOMPARE(*second->verify().broken, qint64(5));
}

void TestAudit::filesThatAreNoTrail() {
    QString why;
    QVERIFY(!audit::Trail::open(dir.path(), &why));
    QVERIFY2(why.endsWith("cannot be used: it is not a regular file"), qPrintable(why));

    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!audit::Trail::open(fifo, &why)); // would hang if it were opened
    QVERIFY(why.endsWith("it is not a regular file"));

    const QString text = dir.filePath(QStringLiteral("notes.txt"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    QVERIFY(!audit::Trail::open(text, &why));
    QVERIFY2(why.contains("it is not an SQLite database"), qPrintable(why));
    QCOMPARE(QFileInfo(text).size(), 4096); // left as it was

    const QString other = dir.filePath(QStringLiteral("other.sqlite"));
    tamper(other, "CREATE TABLE orders (id INTEGER)");
    QVERIFY(!audit::Trail::open(other, &why));
    QVERIFY(why.endsWith("it is an SQLite database of something else"));

    const QString later = dir.filePath(QStringLiteral("later.sqlite"));
    tamper(later, "PRAGMA user_version = 7");
    QVERIFY(!audit::Trail::open(later, &why));
    QVERIFY(why.endsWith("it is a trail of format 7, this program knows 1"));
}

void TestAudit::listingsAndTheirCsv() {
    const QString path = dir.filePath(QStringLiteral("list.sqlite"));
    QString why;
    auto trail = audit::Trail::open(path, &why);
    QVERIFY(trail);
    QVERIFY(trail->append(change("North", "WriteTextFragment", "cell 1,1: text \"A, \"B\"\"")));
    QVERIFY(trail->append(change("South", "SetTime", "12:00:00", false)));
    Change cell = change("north", "PlaceLogo", "cell 2,2: logo 7");
    cell.before = QStringLiteral("empty");
    QVERIFY(trail->append(cell));

    audit::Filter filter;
    filter.printer = QStringLiteral("NORTH"); // letter case ignored
    QCOMPARE(trail->list(filter).size(), size_t(2));
    filter = {};
    filter.operation = QStringLiteral("SetTime");
    const auto failed = trail->list(filter);
    QCOMPARE(failed.size(), size_t(1));
    QCOMPARE(failed[0].outcome, QStringLiteral("failed: the printer did not answer"));
    filter = {};
    filter.since = QDateTime::currentDateTimeUtc().addDays(1);
    QVERIFY(trail->list(filter).empty());
    filter = {};
    filter.afterId = 2;
    QCOMPARE(trail->list(filter).size(), size_t(1));
    QCOMPARE(trail->values("printer"), (QStringList{"North", "South", "north"}));

    // Quotes doubled, fields with commas quoted, a before known or not, CRLF ends.
    const std::vector<audit::Record> all = trail->list();
    const QByteArray csv = audit::toCsv(all);
    const QList<QByteArray> lines = csv.split('\n');
    QCOMPARE(lines[0], QByteArray("Record,Time (UTC),Station,User,Printer,Device,Operation,"
                                  "Arguments,Outcome,Before\r"));
    QCOMPARE(lines[1], "1," + all[0].timeText().toUtf8() + "," + all[0].station.toUtf8() + "," +
                           all[0].user.toUtf8() +
                           ",North,virtual,WriteTextFragment,\"cell 1,1: text \"\"A, "
                           "\"\"B\"\"\"\"\",done,\r");
    QVERIFY(lines[3].endsWith(",PlaceLogo,\"cell 2,2: logo 7\",done,empty\r"));
    QCOMPARE(all[2].toJson().contains("\"before\":\"empty\""), true);
}

void TestAudit::stampctlRecordsEveryChange() {
    const QString db = dir.filePath(QStringLiteral("stampctl.sqlite"));
    qputenv("STAMPLINE_AUDIT_DB", QFile::encodeName(db));
    const QString settings = dir.filePath(QStringLiteral("stampline.dev"));
    {
        QSettings file(settings, QSettings::IniFormat);
        file.setValue(QStringLiteral("PortParams/Com"), QStringLiteral("com1"));
        file.setValue(QStringLiteral("PortParams/Speed"), QStringLiteral("57600"));
        file.setValue(QStringLiteral("PortDevices/COM1"),
                      QStringLiteral("virtual:") + dir.filePath(QStringLiteral("printer.json")));
    }
    const auto run = [&](const QStringList &args) {
        Run r;
        r.exit = ctl::run(
            args, settings, devices::open,
            {[&r](const QByteArray &b) { r.out += b; }, [&r](const QByteArray &b) { r.err += b; }});
        return r;
    };
    QImage logo(16, 8, QImage::Format_Mono);
    logo.fill(0);
    logo.setColor(0, qRgb(255, 255, 255));
    logo.setColor(1, qRgb(0, 0, 0));
    logo.setPixel(3, 3, 1);
    QVERIFY(logo.save(dir.filePath("logo.bmp"), "BMP"));
    // Each kind of change, and a cell read before it is written again.
    const QList<QStringList> changes{
        {"write-text-fragment", "1", "2", "LOT 1"},
        {"read-fragment", "1", "2", "--", "write-text-fragment", "1", "2", "LOT 2"},
        {"set-font", "3", "1", "2"},
        {"write-counter-fragment", "2", "1", "0001"},
        {"write-post-date-fragment", "2", "3", "30", "DD.MM.YY"},
        {"write-logo", "7", dir.filePath("logo.bmp"), "BOX"},
        {"place-logo", "7", "3", "3"},
        {"set-time", "120000"},
        {"set-date", "010226"},
        {"set-auto-run-period", "12"},
        {"mark-storage", "2", "4"},
        {"rename-logo", "7", "PALLET"},
        {"delete-logo", "7"},
        {"write-spec-func", "", "1", "500", "1", "1", "34"},
        {"mark-delete"},
    };
    for (const QStringList &args : changes) {
        const Run r = run(args);
        QVERIFY2(r.exit == ctl::Success, r.err.constData());
    }
    // A change that fails is kept too, with why.
    QCOMPARE(run({"--device", dir.filePath("gone"), "set-time", "130000"}).exit, int(ctl::Failed));

    const Run listed = run({"audit", "--printer", "com1"});
    QCOMPARE(listed.exit, int(ctl::Success));
    QStringList seen;
    for (const QString &line : listed.lines()) {
        const QStringList f = line.split('\t');
        QCOMPARE(f.size(), 10);
        QCOMPARE(f[4], QStringLiteral("Com1"));
        seen << f.mid(6, 2).join(" | ") + (f[9].isEmpty() ? QString() : " | before: " + f[9]) +
                    (f[8] == "done" ? QString() : " | " + f[8].section(':', 0, 0));
    }
    QCOMPARE(seen,
             (QStringList{
                 "WriteTextFragment | cell 1,2: text \"LOT 1\"",
                 "WriteTextFragment | cell 1,2: text \"LOT 2\" | before: text \"LOT 1\", font 3",
                 "SetFont | cell 1,2: font 3",
                 "WriteCounterFragment | cell 2,1: counter \"0001\"",
                 "WritePostDateFragment | cell 2,3: post-date \"DD.MM.YY\", 30 days",
                 "WriteLogo | logo 7 \"BOX\", 4 x 8 dots",
                 "PlaceLogo | cell 3,3: logo 7",
                 "SetTime | 12:00:00",
                 "SetDate | 01.02.26",
                 "SetAutoRunPeriod | every 12",
                 "MarkStorage | the current mark into stored mark 5",
                 "RenameLogo | logo 7 \"PALLET\"",
                 "DeleteLogo | logo 7",
                 "WriteSpecFunc | fragment 34, initial 1, finish 500, step 1, discrete step 1",
                 "MarkDelete | ",
                 "SetTime | 13:00:00 | failed",
             }));

    const Run csv = run({"audit", "--operation", "SetTime", "--csv", "--since", "2000-01-01"});
    QCOMPARE(csv.exit, int(ctl::Success));
    QCOMPARE(csv.lines().size(), 3);
    QVERIFY(csv.lines()[1].contains(",SetTime,12:00:00,done,"));
    QVERIFY(csv.lines()[2].contains(",SetTime,13:00:00,"));
    QVERIFY(csv.lines()[2].contains("failed: "));
    QCOMPARE(run({"audit", "--until", "2000-01-01"}).out, QByteArray());
    QCOMPARE(run({"audit", "--since", "yesterday"}).exit, int(ctl::Usage));

    const Run good = run({"audit", "verify"});
    QCOMPARE(good.exit, int(ctl::Success));
    QCOMPARE(good.out, QByteArray("The audit trail holds 16 records, each as it was written.\n"));
    tamper(db, "UPDATE records SET outcome = 'done' WHERE id = 16");
    const Run bad = run({"audit", "verify"});
    QCOMPARE(bad.exit, int(ctl::Failed));
    QCOMPARE(bad.err, QByteArray("The audit trail is broken at record 16: it was changed after it "
                                 "was written.\n"));
    qunsetenv("STAMPLINE_AUDIT_DB");
}

void TestAudit::aCellsBeforeIsItsOwnPrinters() {
    QString why;
    std::shared_ptr<audit::Trail> trail =
        audit::Trail::open(dir.filePath(QStringLiteral("before.sqlite")), &why);
    QVERIFY(trail);
    PortState port;
    port.portName = QStringLiteral("Com1");
    port.baudName = QStringLiteral("57600");
    port.ports.devices[0] = QStringLiteral("virtual:") + dir.filePath(QStringLiteral("a.json"));
    devices::install(port);
    port.recorder = trail;
    Functions f(port);
    QVERIFY(f.WriteTextFragment(1, 1, "FIRST"));
    FragmentReply cell;
    QVERIFY(f.ReadFragment(1, 1, cell));
    QVERIFY(f.WriteTextFragment(1, 1, "SECOND"));
    // Read, then the port's device changed: what the other printer held is no "before" here.
    QVERIFY(f.ReadFragment(1, 1, cell));
    port.ports.devices[0] = QStringLiteral("virtual:") + dir.filePath(QStringLiteral("b.json"));
    QVERIFY(f.WriteTextFragment(1, 1, "THIRD"));
    const std::vector<audit::Record> records = trail->list();
    QCOMPARE(records.size(), size_t(3));
    QVERIFY(!records[0].before);
    QVERIFY2(records[1].before && records[1].before->startsWith("text \"FIRST\""),
             qPrintable(records[1].before.value_or("-")));
    QVERIFY(!records[2].before);
    QCOMPARE(records[2].device, port.ports.devices[0]);
}

QTEST_GUILESS_MAIN(TestAudit)
#include "tst_audit.moc"

// The record of each printer operation while somebody watches: one record an operation under its
// own name (never the Connect or SendByte inside it), the bytes both ways, the echo verdict, and
// a failure's cause, against the scripted printer.

#include "ScriptedPrinter.h"

#include <QTest>

namespace {
struct Watch : ExchangeWatcher {
    QStringList began_;
    QList<Exchange> records;
    void began(const Exchange &x) override {
        // Told before any byte of the operation crosses.
        began_ << x.operation + QStringLiteral(" %1").arg(x.sent.size() + x.received.size());
    }
    void ended(const Exchange &x) override { records << x; }
};

using Script = std::function<void(ScriptedPrinter &)>;
using Run = std::function<bool(Functions &)>;
} // namespace

Q_DECLARE_METATYPE(Script)
Q_DECLARE_METATYPE(Run)

class TestRecord : public QObject {
    Q_OBJECT

private slots:
    void oneRecordAnOperation_data() {
        QTest::addColumn<Script>("script");
        QTest::addColumn<Run>("run");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("echo");
        QTest::addColumn<QString>("cause"); // the end of it; empty: it went through
        const auto row = [](const char *tag, Script script, Run run, const char *name,
                            const char *echo, const char *cause = "") {
            QTest::newRow(tag) << script << run << QString(name) << QString(echo) << QString(cause);
        };
        const Run readFragment = [](Functions &f) {
            FragmentReply cell;
            return f.ReadFragment(1, 2, cell);
        };
        const Run readParam = [](Functions &f) {
            quint8 value = 0;
            return f.ReadParam('B', value);
        };

        row(
            "read with a reply",
            [](ScriptedPrinter &p) { p.expect(bytes("11 31 32")).reply(bytes("02 41 42 01 FF")); },
            readFragment, "ReadFragment", "3 echoed");
        row(
            "raw byte at the end",
            [](ScriptedPrinter &p) {
                p.expect(bytes("0C 42 05")).reply(bytes("33")).expectRaw(bytes("12"));
            },
            readParam, "ReadParam", "3 echoed");
        row(
            "two commands, one operation",
            [](ScriptedPrinter &p) { p.expect(bytes("1D 31 32 44 0D 1D 44 35 0D")); },
            [](Functions &f) { return f.WritePostDateFragment(1, 2, "5", "D"); },
            "WritePostDateFragment", "9 echoed");
        row(
            "search after silent rates", [](ScriptedPrinter &p) { p.expect(bytes("0D")); },
            [](Functions &f) { return f.FindDevice(); }, "FindDevice", "1 echoed, 3 not");
        row(
            "wrong echo",
            [](ScriptedPrinter &p) {
                p.expect(bytes("17"));
                p.wrongAt(0);
            },
            [](Functions &f) { return f.Start(); }, "Start", "E8 for 17",
            "the printer echoed E8 for 17");
        row(
            "silent printer",
            [](ScriptedPrinter &p) {
                p.expect(bytes("1B 31 32 33 0D"));
                p.silentFrom(2);
            },
            [](Functions &f) { return f.SetFont(3, 1, 2); }, "SetFont", "no echo for 32",
            "the printer did not answer");
        row(
            "reply stops short",
            [](ScriptedPrinter &p) {
                p.expect(bytes("11 31 32")).reply(bytes("02 41 42 01 FF"));
                p.silentFrom(5);
            },
            readFragment, "ReadFragment", "3 echoed", "the printer's reply stopped short");
    }

    void oneRecordAnOperation() {
        QFETCH(Script, script);
        QFETCH(Run, run);
        QFETCH(QString, name);
        QFETCH(QString, cause);
        PrinterRig rig;
        script(*rig.printer);
        Watch watch;
        rig.state.watcher = &watch;
        const QDateTime before = QDateTime::currentDateTime();

        const bool ok = run(rig.f);

        QCOMPARE(ok, cause.isEmpty());
        QCOMPARE(watch.began_, QStringList{name + " 0"});
        QCOMPARE(watch.records.size(), 1);
        const Exchange &x = watch.records[0];
        QCOMPARE(x.operation, name);
        // The bytes both ways as they crossed the line, at every rate.
        QCOMPARE(hexBytes(x.sent), hexBytes(rig.printer->hostBytes()));
        QCOMPARE(hexBytes(x.received), hexBytes(rig.printer->printerBytes()));
        QTEST(x.echoVerdict(), "echo");
        QCOMPARE(x.ok, ok);
        QVERIFY2(cause.isEmpty() ? x.cause.isEmpty() : x.cause.endsWith(cause),
                 qPrintable(x.cause));
        QVERIFY(x.started >= before && x.started <= QDateTime::currentDateTime());
        QVERIFY(x.durationUs >= 0);
        QVERIFY(!rig.state.exchange); // nothing left open for the next operation
    }

    // Nobody watching: nothing is recorded, and a watcher that comes later sees only what
    // follows.
    void nothingRecordedUnwatched() {
        PrinterRig rig;
        rig.printer->expect(bytes("17")).expect(bytes("02"));
        QVERIFY(rig.f.Start());
        Watch watch;
        rig.state.watcher = &watch;
        QVERIFY(rig.f.Stop());
        QCOMPARE(watch.records.size(), 1);
        QCOMPARE(watch.records[0].operation, QStringLiteral("Stop"));
        QCOMPARE(watch.records[0].sent, bytes("02"));
    }
};

QTEST_GUILESS_MAIN(TestRecord)
#include "tst_record.moc"

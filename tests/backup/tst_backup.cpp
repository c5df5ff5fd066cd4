// The whole-printer backup over virtual printers: a printer backed up, restored into an empty one
// and backed up again gives the same file; a file that is damaged, of another version or out of
// range writes nothing; a cancelled or failed restore says how far it got; the Printer menu's
// entries; stampctl's backup and restore.

#include "BackupTransfer.h"
#include "Devices.h"
#include "FormRig.h"
#include "MainRig.h"
#include "Stampctl.h"
#include "TestFiles.h"
#include "Windows.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using printer::Fragment;

namespace {

// A printer holding one cell of every kind, a special counter with its group, a post-date day
// count, a full-size logo and parameters away from their first values.
void fillEveryKind(printer::PrinterState &s) {
    s.cell(3, 1) = {.kind = Fragment::Kind::PostDate, .font = 2, .text = "DD/MM/YY"};
    s.postDays = 300;
    s.countUp = false;
    s.writeCounter(3, 2, "0099");
    s.countUp = true;
    s.writeCounter(3, 4, "500");
    s.writeScript({true, "34", "00000001", "00000500", "0001", "0002", true, '3'});
    s.cell(4, 8).text = "\xC0\xC1 end"; // Cyrillic in the printer's code page
    s.logos[200] = {4, 125, QByteArray(500, char(0xFF)), "FULLSIZE"}; // B 4, C 125
    for (int i = 0; i < 500; i += 7)
        s.logos[200].data[i] = char(0x5A);
    s.parameters[4] = 9;
    s.parameters[12] = 255;
    s.autoRunPeriod = 42;
}

QJsonObject withoutDate(const QByteArray &json) {
    QJsonObject o = QJsonDocument::fromJson(json).object();
    o.remove(QStringLiteral("made"));
    return o;
}

QByteArray backUpJson(Functions &f) {
    backup::Backup b;
    return backup::backUp(f, b).ok() ? backup::toJson(b) : QByteArray();
}

// The file's value at a path of keys and indexes ("cells/1/font") set to `value`; an undefined
// value takes an array's element away.
QJsonValue changed(const QJsonValue &at, QStringList path, const QJsonValue &value) {
    if (path.isEmpty())
        return value;
    const QString key = path.takeFirst();
    bool isIndex = false;
    const int i = key.toInt(&isIndex);
    if (!isIndex) {
        QJsonObject o = at.toObject();
        o[key] = changed(o[key], path, value);
        return o;
    }
    QJsonArray a = at.toArray();
    if (path.isEmpty() && value.isUndefined())
        a.removeAt(i);
    else
        a[i] = changed(a[i], path, value);
    return a;
}

// A rig whose printer holds nothing: no cells, logos, parameters, period or script.
struct EmptyRig : FormRig {
    EmptyRig() { state() = printer::PrinterState{}; }
};

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

private slots:
    void roundTripIntoAnEmptyPrinter();
    void refusedFilesWriteNothing_data();
    void refusedFilesWriteNothing();
    void cancelledAndFailedRestoresSayHowFar();
    void fullPrinterLosesNoLogo();
    void printerMenu();
    void stampctl();
};

void TestBackup::roundTripIntoAnEmptyPrinter() {
    FormRig source;
    fillEveryKind(source.state());
    const QByteArray first = backUpJson(source.fn());
    QVERIFY(!first.isEmpty());
    // Readable by a person: logos as rows of dots, texts as text.
    const QJsonObject file = QJsonDocument::fromJson(first).object();
    const QJsonObject star = file[u"logos"].toArray()[0].toObject();
    QCOMPARE(star[u"name"].toString(), QStringLiteral("STAR"));
    QCOMPARE(star[u"dots"].toArray()[0].toString(), QStringLiteral(".......##......."));
    QCOMPARE(file[u"cells"].toArray()[31].toObject()[u"text"], QStringLiteral("АБ end"));
    QCOMPARE(file[u"script"].toString(), QStringLiteral("Q34N00000001E00000500S0001P0002G3"));

    EmptyRig target;
    const backup::Outcome restored =
        backup::restore(target.fn(), *backup::parseBackup(first).backup);
    QVERIFY2(restored.ok(), qPrintable(backup::describeRestore(restored)));
    QCOMPARE(restored.done, 32 + 4 + 13 + 3);
    QCOMPARE(target.state().mark, source.state().mark);
    QCOMPARE(target.state().logos, source.state().logos);
    QCOMPARE(withoutDate(backUpJson(target.fn())), withoutDate(first));
}

void TestBackup::refusedFilesWriteNothing_data() {
    QTest::addColumn<QString>("path");     // keys and indexes of the value changed; none: cut short
    QTest::addColumn<QJsonValue>("value"); // undefined: the value taken away
    QTest::addColumn<QString>("reason");
    const auto row = [](const char *name, const char *path, const QJsonValue &value,
                        const char *reason) {
        QTest::newRow(name) << QString::fromLatin1(path) << value << QString::fromUtf8(reason);
    };
    row("damaged", "", {}, "the file is not JSON: ");
    row("another version", "version", 2, "the file is of version 2; this program reads version 1");
    row("font", "cells/1/font", 7, "cell 1,2: font 7 is out of range 0 to 6");
    row("kind", "cells/1/kind", "banner", "cells[1]: \"kind\" \"banner\" is no kind of cell");
    row("text too long", "cells/1/text", QString(39, QLatin1Char('x')),
        "is longer than 38 characters");
    row("missing cell", "cells/31", QJsonValue::Undefined, "cells: 31 cells, not 32");
    row("logo row", "logos/2/C", 25,
        "logo in slot 2: row 1 of the dots has 24 characters, not C = 25");
    row("logo size", "logos/2/B", 5, "logo in slot 2: B 5 is out of range 1 to 4");
    row("parameter", "parameters/J", 256, "parameter J 256 is out of range 0 to 255");
    row("period", "autoRunPeriod", -1, "autoRunPeriod -1 is out of range 0 to 255");
    row("script", "script", "G33", "script \"G33\" is not a script of special functions");
    // A CR inside a text would end its command and the printer would run the rest.
    row("control byte in a text", "cells/1/text", "X\r\u000bM",
        "cell 1,2: text holds a control character (0Dh) at position 2");
    row("control byte in a logo name", "logos/0/name", "A\tB",
        "name holds a control character (09h) at position 2");
    // The counter's cell must be one of the mark's; every value as long as the printer keeps it.
    row("counter in no cell", "script", "Q99N00000001E00000500S0001P0001",
        "the counter's fragment number \"99\" names no cell of the mark");
    row("counter in cell 0,0", "script", "Q00N00000001E00000500S0001P0001", "\"00\" names no cell");
    row("three-digit fragment", "script", "Q345N00000001E00000500S0001P0001",
        "is not a script of special functions");
    row("a million digits", "script",
        "Q12N" + QString(1000000, QLatin1Char('9')) + "E00000500S0001P0001",
        "script \"Q12N999999999999999999999999999999999999…\" is not a script");
    row("font count of another printer", "fontCount", 8,
        "the printer has 7 fonts; the backup was made on one with 8");
}

void TestBackup::refusedFilesWriteNothing() {
    QFETCH(QString, path);
    QFETCH(QJsonValue, value);
    QFETCH(QString, reason);
    FormRig rig;
    const QByteArray json = backUpJson(rig.fn());
    const QJsonValue file = QJsonDocument::fromJson(json).object();
    const QByteArray refused =
        path.isEmpty() ? json.chopped(json.size() / 3)
                       : QJsonDocument(changed(file, path.split('/'), value).toObject()).toJson();
    rig.mark();
    const printer::PrinterState before = rig.state();
    const backup::Parsed parsed = backup::parseBackup(refused);
    const backup::Outcome outcome =
        parsed.backup ? backup::restore(rig.fn(), *parsed.backup) : backup::refusal(parsed.error);
    QCOMPARE(outcome.end, backup::Outcome::End::Refused);
    const QString message = backup::describeRestore(outcome);
    QVERIFY2(message.startsWith(QStringLiteral("Restore refused: ")) && message.contains(reason) &&
                 message.endsWith(QStringLiteral(". Nothing was written.")),
             qPrintable(message));
    // At most the state block was read to learn the printer's font count.
    QVERIFY(rig.commandNames().size() <= 1);
    printer::PrinterState after = rig.state();
    after.lastPrintMs = before.lastPrintMs; // the read moves the printer's run clock only
    QVERIFY(after == before);
}

void TestBackup::cancelledAndFailedRestoresSayHowFar() {
    FormRig source;
    const backup::Backup b = *backup::parseBackup(backUpJson(source.fn())).backup;
    {
        EmptyRig target;
        const backup::Outcome outcome =
            backup::restore(target.fn(), b, [](int done, int) { return done < 10; });
        QCOMPARE(backup::describeRestore(outcome),
                 QStringLiteral("Restore cancelled at cell 1,8. Written: 10 of 51 steps, the last "
                                "cell 1,7; from cell 1,8 on the printer keeps its own."));
        QCOMPARE(target.state().cell(1, 2).text, QByteArray("STAMPLINE"));
        QVERIFY(target.state().cell(1, 8).isEmpty() && target.state().cell(2, 1).isEmpty());
    }
    {
        EmptyRig target;
        const backup::Outcome outcome = backup::restore(target.fn(), b, [&](int done, int) {
            if (done == 1)
                target.switchOff(); // the printer falls silent after the first logo
            return true;
        });
        const QString message = backup::describeRestore(outcome);
        QVERIFY2(message.startsWith(u"Restore failed at logo 1: ") &&
                     message.endsWith(u". Written: 1 of 51 steps, the last logo 0; from logo 1 on "
                                      u"the printer keeps its own."),
                 qPrintable(message));
        QVERIFY(!target.state().logos[0].isEmpty());
        QVERIFY(target.state().logos[1].isEmpty());
    }
}

void TestBackup::fullPrinterLosesNoLogo() {
    // The names list counts in one byte: with all 256 slots filled it lists 255. The slot it
    // leaves out is looked at, and its logo is backed up with the others.
    FormRig rig;
    for (int slot = 0; slot < 256; ++slot)
        rig.state().logos[size_t(slot)] = {1, 1, QByteArray(1, char(slot == 255 ? 0x00 : 0xFE)),
                                           "L" + QByteArray::number(slot).leftJustified(7)};
    backup::Backup b;
    backup::Outcome outcome = backup::backUp(rig.fn(), b);
    QVERIFY2(outcome.ok(), qPrintable(backup::describeBackUp(outcome)));
    QCOMPARE(b.logos.size(), size_t(256));
    QCOMPARE(b.logos.back().slot, 255);
    QCOMPARE(b.logos.back().name, QStringLiteral("L255"));
    QCOMPARE(b.logos.back().dots[0][0], quint8(0xFF)); // every dot of its one column
    // An empty slot beside 255 listed ones adds nothing.
    rig.state().logos[40] = {};
    outcome = backup::backUp(rig.fn(), b);
    QVERIFY(outcome.ok());
    QCOMPARE(b.logos.size(), size_t(255));
}

void TestBackup::printerMenu() {
    MainRig rig;
    rig.main->FormActivate();
    wireWindows(*rig.main);
    const QString file = rig.path(QStringLiteral("printer"));
    rig.messages.fileNames = {file};
    QAction *backUp = rig.main->findChild<QAction *>(QStringLiteral("BackUp1"));
    QAction *restore = rig.main->findChild<QAction *>(QStringLiteral("Restore2"));
    QVERIFY(backUp->isVisible() && restore->isVisible());
    rig.mark();
    backUp->trigger();
    QCOMPARE(rig.messages.take(),
             QStringList{"Information: The printer is backed up to " + file + ".json."});
    QVERIFY(backup::loadBackup(file + QStringLiteral(".json")).backup);

    // No to the question (its default) writes nothing; Yes restores.
    rig.printer->state().cell(1, 2).text = "CHANGED";
    rig.messages.fileNames = {file + QStringLiteral(".json"), file + QStringLiteral(".json")};
    rig.messages.answers = {false, true};
    rig.mark();
    restore->trigger();
    QCOMPARE(rig.messages.defaults, QList<DefaultButton>{DefaultButton::No});
    QCOMPARE(rig.commands(), QStringList{});
    restore->trigger();
    const QString question =
        QStringLiteral("Question Confirm: Restore the printer from printer.json? It overwrites the "
                       "printer's mark, logos, parameters, auto-run period, post-date day count "
                       "and script.");
    QCOMPARE(rig.messages.log,
             (QStringList{question, question,
                          QStringLiteral("Information: The printer is restored (51 steps "
                                         "written).")}));
    QCOMPARE(rig.printer->state().cell(1, 2).text, QByteArray("STAMPLINE"));
    for (QWidget *over : rig.messages.over)
        QCOMPARE(over, rig.main.get());

    // A damaged file: the reason, no question, nothing sent.
    rig.messages.fileNames = {rig.path(QStringLiteral("damaged.json"))};
    QVERIFY(writeFile(rig.messages.fileNames.front(), "{\"format\": "));
    rig.mark();
    restore->trigger();
    QCOMPARE(rig.messages.take().size(), 1);
    QCOMPARE(rig.commands(), QStringList{});
}

void TestBackup::stampctl() {
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("stampline.dev"));
    const QString a = QStringLiteral("virtual:") + dir.filePath(QStringLiteral("a.state"));
    const QString b = QStringLiteral("virtual:") + dir.filePath(QStringLiteral("b.state"));
    QVERIFY(writeFile(
        settings, "[PortParams]\nCom=com1\nSpeed=57600\n[PortDevices]\nCOM1=" + a.toUtf8() + "\n"));
    QByteArray err;
    const auto run = [&](const QStringList &args) {
        err.clear();
        return ctl::run(
            args, settings, devices::open,
            {[](const QByteArray &) {}, [&](const QByteArray &bytes) { err += bytes; }});
    };
    const QString file = dir.filePath(QStringLiteral("a.json"));
    QCOMPARE(run({"backup", file}), 0);
    QVERIFY(backup::loadBackup(file).backup);
    QCOMPARE(run({"--device", b, "restore", file}), 0);

    const QString other = dir.filePath(QStringLiteral("v2.json"));
    QVERIFY(writeFile(other, R"({"format": "stampline-printer-backup", "version": 2})"));
    QCOMPARE(run({"restore", other}), 1);
    QCOMPARE(err,
             QByteArray("stampctl: Restore refused: the file is of version 2; this program reads "
                        "version 1. Nothing was written.\n"));
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"

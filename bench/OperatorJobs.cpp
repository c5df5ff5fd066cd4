#include "OperatorJobs.h"

#include "LineJob.h"

#include "MarkOperations.h"

#include "BackupFile.h"
#include "BackupTransfer.h"
#include "BenchReport.h"
#include "Functions.h"
#include "MarkCells.h"
#include "PacedPrinter.h"
#include "PrintParameters.h"
#include "ReferenceHost.h"
#include "Script.h"
#include "WireText.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <functional>

namespace bench {

namespace {

constexpr int kLogos = 20;
constexpr int kLogoPauseMs = 9; // the printer's pause before each of the logo's B and C
// Parameters the full printer holds away from its first state, and by how many steps.
constexpr struct {
    char letter;
    int steps;
} kRaised[] = {{'C', 3}, {'H', 2}, {'S', 1}, {'Y', 4}};

// --- The bytes a job carries, counted from the protocol ----------------------------------------

// n bytes sent one at a time, each echoed by the printer.
constexpr qint64 echoed(qint64 n) {
    return 2 * n;
}
// ReadTimeParams: 08 echoed, the count, the 14 bytes of the state block.
constexpr qint64 kStateBlockBytes = echoed(1) + 1 + 14;
// ReadParam: 0C, the letter, 05 echoed; the value; the host's raw 12.
constexpr qint64 kReadParamBytes = echoed(3) + 1 + 1;
// IncreaseParam and DecreaseParam: 0C, the letter, 15 or 16, 05 echoed; the value; 00 CR echoed.
constexpr qint64 kStepParamBytes = echoed(4) + 1 + echoed(2);
// ReadLogo of a slot holding a logo of B x C <= 501 bytes: 07 01 n echoed; B and C; 501 bytes of
// data and padding; the name, its checksum; 's' sent and echoed.
constexpr qint64 kReadLogoBytes = echoed(3) + 2 + 501 + 9 + echoed(1);
// WriteLogo: 07 89 n echoed; B and C raw; the 510-byte frame; the printer's 's' echoed back.
constexpr qint64 kWriteLogoBytes = echoed(3) + 2 + 510 + 2;
// The mark picture: 07 08 08 echoed; the height and the length's two bytes; always 5120 bytes of
// picture and padding.
constexpr qint64 kMarkPictureBytes = echoed(3) + 3 + MarkImage::kImageBytes;

qint64 textBytes(const backup::Cell &c) {
    return c.kind == CellKind::Graphic ? 1 : toWire(c.text).size();
}

// ReadFragment: 11, the row and the column echoed; the count, the text, the font and the kind.
qint64 readCellBytes(const backup::Cell &c) {
    return echoed(3) + 1 + textBytes(c) + 2;
}

qint64 markCellsBytes(const backup::Backup &b) {
    qint64 n = kStateBlockBytes;
    for (const backup::Cell &c : b.cells)
        n += readCellBytes(c);
    return n;
}

// ReadLogoNamesList: 01 03 echoed, the count, ten bytes a logo.
qint64 namesBytes(const backup::Backup &b) {
    return echoed(2) + 1 + 10 * qint64(b.logos.size());
}

qint64 backupBytes(const backup::Backup &b) {
    // The script: 01 05 echoed, the count, the text.
    return markCellsBytes(b) + namesBytes(b) + kReadLogoBytes * qint64(b.logos.size()) +
           kReadParamBytes * qint64(b.parameters.size()) + echoed(2) + 1 + toWire(b.script).size();
}

// What a restore of `b` into a printer holding `first` carries; -1 for a cell of a kind this count
// does not know (the full printer holds texts and logos only).
qint64 restoreBytes(const backup::Backup &b, const backup::Backup &first) {
    qint64 n = kStateBlockBytes + kWriteLogoBytes * qint64(b.logos.size());
    for (const backup::Cell &c : b.cells) {
        // SetFont and PlaceLogo: the command, the row, the column, one more byte and CR echoed.
        if (c.kind == CellKind::Graphic)
            n += echoed(5);
        else if (c.kind == CellKind::Text) // 18, row, column, the text, CR echoed; then SetFont
            n += echoed(3 + qMin<qint64>(toWire(c.text).size(), backup::kMaxCellText) + 1) +
                 echoed(5);
        else
            return -1;
    }
    for (size_t i = 0; i < b.parameters.size(); ++i)
        n += kReadParamBytes + kStepParamBytes * qAbs(b.parameters[i] - first.parameters[i]);
    n += echoed(2 + 3 + 1); // SetAutoRunPeriod: 0C 'A', three digits, CR
    n += echoed(2 + 4 + 1); // SetPostDays: 1D 'D', four digits, CR
    // WriteSpecFunc of the script's items.
    const auto items = parseScript(b.script.toLatin1());
    if (!items)
        return -1;
    const auto width = [](const QByteArray &v, int w) {
        return qMax<qint64>(w, trimBlanks(v).size());
    };
    const bool group = !trimBlanks(items->group).isEmpty();
    if (items->hasCounter()) {
        n += echoed(4) + echoed(width(items->fragment, 2)) + echoed(1) +
             echoed(width(items->initial, 8)) + echoed(1) + echoed(width(items->finish, 8)) +
             echoed(1) + echoed(width(items->step, 4)) + echoed(1) +
             echoed(width(items->discrete, 4));
        n += group ? echoed(4) : echoed(1);
    } else {
        n += group ? echoed(2) + echoed(4) : echoed(4);
    }
    return n;
}

// --- The printers -----------------------------------------------------------------------------

struct Printers {
    QTemporaryDir dir;
    QString full, first;        // state files: the full printer, one in its first state (or none)
    backup::Backup fullBackup;  // what each holds, as the program backs it up
    backup::Backup firstBackup; //
    QString failure;
    int copies = 0;

    // A fresh copy of a state file, for one run; none for none.
    QString copyOf(const QString &state) {
        if (state.isEmpty())
            return {};
        const QString copy = dir.filePath(QStringLiteral("run%1.state").arg(++copies));
        QFile::remove(copy);
        return QFile::copy(state, copy) ? copy : QString();
    }
};

// The full printer made with stampctl's own operations on the built-in virtual printer: 20 full
// logos, text in 28 cells and four of the logos placed in the others, four parameters raised.
// Both printers are then backed up the same way.
bool makePrinters(Printers &p, const QString &program, int baud) {
    p.full = p.dir.filePath(QStringLiteral("full.state"));
    p.first = p.dir.filePath(QStringLiteral("first.state"));
    // The four logos placed are slots 102, 104, 106 and 108.
    auto made = markOperations(
        QDir(p.dir.path()), kLogos, QStringLiteral("LOGO"),
        [](int column) { return kFirstLogoSlot + column; }, &p.failure);
    if (!made)
        return false;
    QStringList &ops = *made;
    for (const auto &raised : kRaised)
        for (int i = 0; i < raised.steps; ++i)
            addOperation(ops,
                         {QStringLiteral("increase-param"), QString(QLatin1Char(raised.letter))});
    const auto device = [baud](const QString &state) {
        return QStringList{QStringLiteral("--device"), QStringLiteral("virtual:") + state,
                           QStringLiteral("--port"),   QStringLiteral("Com1"),
                           QStringLiteral("--baud"),   QString::number(baud)};
    };
    const QString fullJson = p.dir.filePath(QStringLiteral("full.json"));
    const QString firstJson = p.dir.filePath(QStringLiteral("first.json"));
    if (!runStampctl(program, device(p.full) + ops, &p.failure) ||
        !runStampctl(program, device(p.full) + QStringList{QStringLiteral("backup"), fullJson},
                     &p.failure) ||
        !runStampctl(program, device(p.first) + QStringList{QStringLiteral("backup"), firstJson},
                     &p.failure))
        return false;
    const backup::Parsed full = backup::loadBackup(fullJson);
    const backup::Parsed first = backup::loadBackup(firstJson);
    if (!full.backup || !first.backup) {
        p.failure = QStringLiteral("the backups made by stampctl do not load: %1 %2")
                        .arg(full.error, first.error);
        return false;
    }
    p.fullBackup = *full.backup;
    p.firstBackup = *first.backup;
    // A printer never changed keeps no file: the paced printer then starts in its first state
    // without one.
    if (!QFile::exists(p.first))
        p.first.clear();
    return true;
}

// --- The jobs ---------------------------------------------------------------------------------

struct Job {
    QString name;
    bool ontoFirst = false; // runs against a printer in its first state (the restore)
    double goal = 1.05;     // against the floor
    qint64 bytes = 0;       // counted from the protocol
    double pausesMs = 0;    // the printer's own pauses
    std::function<bool(Functions &)> run;

    LineScript script = {}; // the program's last run, for the reference host
    QList<double> program = {}, programLate = {}, reference = {}, referenceLate = {};
    QList<double> overFloor = {}, referenceOverFloor = {}, overReference = {};
    QList<double> lateMedianUs = {}, lateP95Us = {}, lateMaxUs = {};
    QString failure = {};

    double floorMs(int baud) const { return double(bytes) * 10 * 1000 / baud + pausesMs; }
};

QList<Job> jobs(const Printers &p) {
    const backup::Backup &full = p.fullBackup;
    const qint64 logos = qint64(full.logos.size());
    QList<Job> all;
    all.append({QStringLiteral("Backup of the full printer"), false, 1.05, backupBytes(full), 0,
                [](Functions &f) {
                    backup::Backup b;
                    return backup::backUp(f, b).ok();
                }});
    all.append({QStringLiteral("Restore of the full printer"), true, 1.05,
                restoreBytes(full, p.firstBackup), double(2 * kLogoPauseMs * logos),
                [full](Functions &f) { return backup::restore(f, full).ok(); }});
    all.append({QStringLiteral("The 32-cell read"), false, 1.10, markCellsBytes(full), 0,
                [](Functions &f) { return readMarkCells(f).done(); }});
    all.append({QStringLiteral("The thirteen parameters"), false, 1.10,
                kReadParamBytes * qint64(kPrintParameters.size()), 0, [](Functions &f) {
                    quint8 value = 0;
                    for (const PrintParameter &parameter : kPrintParameters)
                        if (!f.ReadParam(quint8(parameter.letter), value))
                            return false;
                    return true;
                }});
    all.append(
        {QStringLiteral("The names list"), false, 1.10, namesBytes(full), 0, [](Functions &f) {
             LogoNames names;
             return f.ReadLogoNamesList(names);
         }});
    all.append(
        {QStringLiteral("The mark picture"), false, 1.02, kMarkPictureBytes, 0, [](Functions &f) {
             MarkImage image;
             return f.ReadMarkImage(image);
         }});
    return all;
}

// A job may end on a raw byte of the host's, which the stand-in takes one line time after it came:
// it is let arrive before the stand-in is stopped (after the clock stopped), so that the
// stand-in's count holds it.
StandInLateness stopAfterLastByte(PacedPrinter &printer) {
    QThread::msleep(20);
    return printer.stop();
}

struct Run {
    bool ok = false;
    double ms = 0;
    StandInLateness late;
};

// The job through the program's link: the line opened and set up first (the program keeps it
// open from one operation to the next), then the job timed.
Run runProgram(Job &job, const QString &vprinter, const QString &state, int baud) {
    Run r;
    PacedPrinter printer(vprinter, state, {QStringLiteral("--baud"), QString::number(baud)});
    if (!printer.ready()) {
        job.failure = QStringLiteral("the paced printer did not start");
        return r;
    }
    PortState port;
    port.ports.devices[0] = printer.link();
    port.portName = QStringLiteral("Com1");
    port.baudName = QString::number(baud);
    LineScript script;
    port.openLine = recordingLines(script);
    qint64 crossed = 0;
    port.trace = [&crossed](bool, quint8) { ++crossed; };
    Functions f(port);
    if (!f.Connect()) {
        job.failure =
            QStringLiteral("the line did not open: ") + port.causes.join(QStringLiteral("; "));
        return r;
    }
    script.append({LineStep::Clock, {}, 0});
    crossed = 0;
    const double start = wallMs();
    const bool done = job.run(f);
    r.ms = wallMs() - start;
    port.handle.reset();
    r.late = stopAfterLastByte(printer);
    const ScriptCount count = countOf(script);
    if (!done) {
        job.failure =
            QStringLiteral("the program's run failed: ") + port.causes.join(QStringLiteral("; "));
    } else if (crossed != job.bytes || count.bytes() != job.bytes) {
        job.failure = QStringLiteral("%1 bytes traced (%2 on the line), %3 counted from the "
                                     "protocol")
                          .arg(crossed)
                          .arg(count.bytes())
                          .arg(job.bytes);
    } else if (count.missed || qAbs(count.pausedMs - job.pausesMs) > 0.001) {
        job.failure = QStringLiteral("%1 reads missed and %2 ms paused, %3 ms of the printer's "
                                     "own pauses expected")
                          .arg(count.missed)
                          .arg(count.pausedMs)
                          .arg(job.pausesMs);
    } else if (!r.late.read || r.late.bytes != job.bytes) {
        job.failure = QStringLiteral("the paced printer reported %1 bytes, %2 expected")
                          .arg(r.late.bytes)
                          .arg(job.bytes);
    } else {
        r.ok = true;
        job.script = script;
    }
    return r;
}

// The same bytes by the reference host.
Run runReference(Job &job, const QString &vprinter, const QString &state, int baud) {
    Run r;
    PacedPrinter printer(vprinter, state, {QStringLiteral("--baud"), QString::number(baud)});
    if (!printer.ready()) {
        job.failure = QStringLiteral("the paced printer did not start");
        return r;
    }
    const HostRun host = replay(job.script, printer.link(), baud);
    r.late = stopAfterLastByte(printer);
    r.ms = host.ms;
    if (!host.ok)
        job.failure = QStringLiteral("the reference host failed: ") + host.failure;
    else if (host.bytes != job.bytes || r.late.bytes != job.bytes)
        job.failure = QStringLiteral("the reference host moved %1 bytes (the printer %2), %3 "
                                     "expected")
                          .arg(host.bytes)
                          .arg(r.late.bytes)
                          .arg(job.bytes);
    else
        r.ok = true;
    return r;
}

QString ms(double value) {
    return number(value, value < 100 ? 1 : 0) + QStringLiteral(" ms");
}
QString times(double value) {
    return number(value, 3) + QStringLiteral("×");
}
QString range(const QList<double> &v, int decimals) {
    if (v.isEmpty())
        return QStringLiteral("none");
    return QStringLiteral("%1 to %2")
        .arg(number(*std::min_element(v.begin(), v.end()), decimals),
             number(*std::max_element(v.begin(), v.end()), decimals));
}

} // namespace

bool operatorJobs(const QString &vprinter, const QString &stampctlProgram, int baud, int rounds) {
    Printers printers;
    if (!makePrinters(printers, stampctlProgram, baud)) {
        note(QStringLiteral("operator's jobs: no full printer: ") + printers.failure);
        std::printf("JOB\tall jobs\tfailed\t\t\t\t\t\tnot met\t\t\t\tnot met\n");
        return false;
    }
    const backup::Backup &full = printers.fullBackup;
    note(QStringLiteral("the full printer, made with stampctl on the built-in virtual printer: "
                        "%1 logos (%2 of them %3 × %4 bytes), %5 cells, parameters %6 steps "
                        "from the first state's")
             .arg(full.logos.size())
             .arg(std::count_if(
                 full.logos.begin(), full.logos.end(),
                 [](const backup::Logo &l) { return l.B == kLogoBytes && l.C == kLogoColumns; }))
             .arg(kLogoBytes)
             .arg(kLogoColumns)
             .arg(full.cells.size())
             .arg([&] {
                 int steps = 0;
                 for (size_t i = 0; i < full.parameters.size(); ++i)
                     steps += qAbs(full.parameters[i] - printers.firstBackup.parameters[i]);
                 return steps;
             }()));
    QList<Job> all = jobs(printers);
    bool good = true;
    for (int round = 0; round < rounds; ++round) {
        for (Job &job : all) {
            if (!job.failure.isEmpty())
                continue;
            const QString &from = job.ontoFirst ? printers.first : printers.full;
            Run program, reference;
            // Alternate which goes first, so that neither always meets a warmer machine; the
            // reference host replays the program's last run, which is the same every time.
            const bool programFirst = round % 2 == 0 || job.script.isEmpty();
            if (programFirst)
                program = runProgram(job, vprinter, printers.copyOf(from), baud);
            if (job.failure.isEmpty())
                reference = runReference(job, vprinter, printers.copyOf(from), baud);
            if (!programFirst && job.failure.isEmpty())
                program = runProgram(job, vprinter, printers.copyOf(from), baud);
            if (!program.ok || !reference.ok) {
                if (job.failure.isEmpty())
                    job.failure = QStringLiteral("the run did not complete");
                continue;
            }
            const double programLate = program.late.waitsLateMs();
            const double referenceLate = reference.late.waitsLateMs();
            const double programNet = program.ms - programLate;
            const double referenceNet = reference.ms - referenceLate;
            job.program << programNet;
            job.programLate << programLate;
            job.reference << referenceNet;
            job.referenceLate << referenceLate;
            job.overFloor << programNet / job.floorMs(baud);
            job.referenceOverFloor << referenceNet / job.floorMs(baud);
            job.overReference << programNet / referenceNet;
            job.lateMedianUs << double(program.late.medianNs) / 1e3;
            job.lateP95Us << double(program.late.p95Ns) / 1e3;
            job.lateMaxUs << double(program.late.maxNs) / 1e3;
        }
    }
    for (const Job &job : all) {
        if (!job.failure.isEmpty()) {
            good = false;
            note(job.name + QStringLiteral(": ") + job.failure);
            std::printf("JOB\t%s\tfailed\t\t\t\t\t\tnot met\t\t\t\tnot met\n",
                        qPrintable(job.name));
            continue;
        }
        const double overFloor = median(job.overFloor);
        const double overReference = median(job.overReference);
        note(QStringLiteral("%1: %2 bytes, floor %3 (line %4, the printer's pauses %5); %6 runs. "
                            "Program %7 (%8 before the stand-in's lateness, %9 of it), %10 its "
                            "floor (runs %11); reference host %12 (%13 late), %14 its floor; "
                            "program ÷ reference %15 (runs %16). The stand-in's bytes in the "
                            "program's runs: median %17 us late, p95 %18 us, the latest %19 us")
                 .arg(job.name)
                 .arg(job.bytes)
                 .arg(ms(job.floorMs(baud)), ms(double(job.bytes) * 10 * 1000 / baud),
                      ms(job.pausesMs))
                 .arg(job.program.size())
                 .arg(ms(median(job.program)), ms(median(job.program) + median(job.programLate)),
                      ms(median(job.programLate)), times(overFloor), range(job.overFloor, 3),
                      ms(median(job.reference)), ms(median(job.referenceLate)),
                      times(median(job.referenceOverFloor)), times(overReference))
                 .arg(range(job.overReference, 3), number(median(job.lateMedianUs), 0),
                      number(median(job.lateP95Us), 0), number(median(job.lateMaxUs), 0)));
        // JOB, job, bytes, floor, program, stand-in late, ÷ floor, goal, met, reference,
        // ÷ reference, goal, met
        std::printf("JOB\t%s\t%lld\t%s\t%s\t%s\t%s\t≤ %s×\t%s\t%s\t%s\t≤ 1.05×\t%s\n",
                    qPrintable(job.name), job.bytes, qPrintable(ms(job.floorMs(baud))),
                    qPrintable(ms(median(job.program))), qPrintable(ms(median(job.programLate))),
                    qPrintable(times(overFloor)), qPrintable(number(job.goal, 2)),
                    overFloor <= job.goal ? "met" : "not met",
                    qPrintable(ms(median(job.reference))), qPrintable(times(overReference)),
                    overReference <= 1.05 ? "met" : "not met");
        std::fflush(stdout);
    }
    return good;
}

} // namespace bench

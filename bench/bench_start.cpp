// Program start to the main window shown, twice: on the built-in virtual printer, offscreen; and
// on a real X server (the one BENCH_X_DISPLAY names, an Xvfb that bench.sh starts) with the printer
// on a pseudo-terminal (stampline-vprinter --link, paced at 57600 baud). Each time a copy of the
// program with a settings file beside it naming that printer on Com1 at 57600 baud, started with
// STAMPLINE_REPORT_SHOWN=1, timed until it says that its first paint has connected. No ratio can
// be had here: the figure is the median wall time of several starts after one that warms the
// caches, with the CPU time the program took by then in a note.
//
//   bench_start [STARTS]   (default 5)

#include "BenchReport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <unistd.h>

namespace {

// User and system CPU time of a running process, in milliseconds; -1 when it cannot be read.
double cpuMsOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    // The fields after the command name, which ends with the last ')': utime and stime are the
    // 12th and 13th of them.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields[11].toDouble() + fields[12].toDouble()) * 1000 / double(sysconf(_SC_CLK_TCK));
}

struct Start {
    bool shown = false;
    double wallMs = 0;
    double cpuMs = 0;
};

// `display`: the X server to show the window on; empty: offscreen.
Start startOnce(const QString &program, const QString &folder, const QString &display) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (display.isEmpty()) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), display);
    }
    env.insert(QStringLiteral("STAMPLINE_REPORT_SHOWN"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    process.setReadChannel(QProcess::StandardError);
    Start start;
    const double begin = bench::wallMs();
    process.start(program, {});
    QByteArray said;
    while (!start.shown && process.waitForReadyRead(30000)) {
        said += process.readAllStandardError();
        start.shown = said.contains("stampline: shown\n");
    }
    start.wallMs = bench::wallMs() - begin;
    start.cpuMs = cpuMsOf(process.processId());
    process.kill();
    process.waitForFinished();
    if (!start.shown)
        bench::note(QStringLiteral("start: the program never said it was shown: ") +
                    QString::fromLocal8Bit(said).simplified());
    return start;
}

// A copy of the program in a folder of its own (it reads its settings beside itself) with
// Com1 naming `device` at 57600 baud; empty when it cannot be made.
QString programFor(const QTemporaryDir &folder, const QString &device) {
    const QString program = folder.filePath(QStringLiteral("stampline"));
    QFile settings(folder.filePath(QStringLiteral("stampline.dev")));
    if (!QFile::copy(QStringLiteral(STAMPLINE_PATH), program) ||
        !settings.open(QIODevice::WriteOnly))
        return {};
    settings.write(QStringLiteral("[PortParams]\nCom=com1\nSpeed=57600\n[PortDevices]\nCOM1=%1\n")
                       .arg(device)
                       .toUtf8());
    return program;
}

// Starts after one that warms the caches; the figure and its note. False when a start failed.
bool measure(const QString &name, const QString &where, const QString &program,
             const QString &folder, const QString &display, int starts) {
    startOnce(program, folder, display); // warms the caches
    QList<double> walls, cpus;
    for (int i = 0; i < starts; ++i) {
        const Start s = startOnce(program, folder, display);
        if (!s.shown) {
            bench::figure(name, QStringLiteral("not shown"), QStringLiteral("≤ 1 s"), false);
            return false;
        }
        walls << s.wallMs;
        cpus << s.cpuMs;
    }
    const double wall = bench::median(walls);
    bench::note(QStringLiteral("start (%1): %2 starts, %3 to %4 ms wall, median %5 ms; median "
                               "%6 ms of CPU by then")
                    .arg(where)
                    .arg(starts)
                    .arg(bench::number(*std::min_element(walls.begin(), walls.end()), 0),
                         bench::number(*std::max_element(walls.begin(), walls.end()), 0),
                         bench::number(wall, 0), bench::number(bench::median(cpus), 0)));
    bench::figure(name, bench::number(wall / 1000, 2) + QStringLiteral(" s"),
                  QStringLiteral("≤ 1 s"), wall <= 1000);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int starts = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 5;
    bool good = true;

    const QString offscreen =
        QStringLiteral("Program start to main window shown (virtual printer, offscreen)");
    QTemporaryDir virtualFolder;
    const QString virtualProgram =
        programFor(virtualFolder, QStringLiteral("virtual:") +
                                      virtualFolder.filePath(QStringLiteral("state.json")));
    if (virtualProgram.isEmpty()) {
        bench::figure(offscreen, QStringLiteral("no program"), QStringLiteral("≤ 1 s"), false);
        good = false;
    } else {
        good = measure(offscreen, QStringLiteral("virtual printer, offscreen"), virtualProgram,
                       virtualFolder.path(), {}, starts) &&
               good;
    }

    const QString onX =
        QStringLiteral("Program start to main window shown (pty printer at 57600, Xvfb)");
    const QString display = qEnvironmentVariable("BENCH_X_DISPLAY");
    if (display.isEmpty()) {
        bench::note(QStringLiteral("start on X: BENCH_X_DISPLAY names no X server"));
        bench::figure(onX, QStringLiteral("no X server"), QStringLiteral("≤ 1 s"), false);
        return 1;
    }
    QTemporaryDir ptyFolder;
    const QString link = ptyFolder.filePath(QStringLiteral("line"));
    QProcess printer;
    printer.start(QStringLiteral(VPRINTER_PATH),
                  {QStringLiteral("--link"), link, QStringLiteral("--pace"),
                   QStringLiteral("--baud"), QStringLiteral("57600")});
    QByteArray said;
    while (!said.contains('\n') && printer.waitForReadyRead(30000))
        said += printer.readAllStandardOutput();
    const QString ptyProgram = programFor(ptyFolder, link);
    if (said != "ready " + link.toUtf8() + '\n' || ptyProgram.isEmpty()) {
        bench::figure(onX, QStringLiteral("no printer"), QStringLiteral("≤ 1 s"), false);
        good = false;
    } else {
        good = measure(onX, QStringLiteral("pty printer at 57600, Xvfb ") + display, ptyProgram,
                       ptyFolder.path(), display, starts) &&
               good;
    }
    printer.terminate();
    if (!printer.waitForFinished(10000)) {
        printer.kill();
        printer.waitForFinished();
    }
    return good ? 0 : 1;
}

// Program start to the main window shown, on the virtual printer: a copy of the program with a
// settings file beside it naming the virtual printer on Com1 at 57600 baud, started offscreen
// with STAMPLINE_REPORT_SHOWN=1, timed until it says that its first paint has connected. No
// ratio can be had here: the figure is the median wall time of several starts after one that
// warms the caches, with the CPU time the program took by then in a note.
//
//   bench_start [STARTS]   (default 5)

#include "BenchReport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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

Start startOnce(const QString &program, const QString &folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int starts = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 5;
    const QString name = QStringLiteral("Program start to main window shown (virtual printer)");

    // The program reads its settings beside itself: a copy of it in a folder of its own.
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("stampline"));
    QFile settings(folder.filePath(QStringLiteral("stampline.dev")));
    if (!QFile::copy(QStringLiteral(STAMPLINE_PATH), program) ||
        !settings.open(QIODevice::WriteOnly)) {
        bench::figure(name, QStringLiteral("no program"), QStringLiteral("≤ 1 s"), false);
        return 1;
    }
    settings.write(QStringLiteral("[PortParams]\nCom=com1\nSpeed=57600\n[PortDevices]\n"
                                  "COM1=virtual:%1\n")
                       .arg(folder.filePath(QStringLiteral("state.json")))
                       .toUtf8());
    settings.close();

    startOnce(program, folder.path()); // warms the caches
    QList<double> walls, cpus;
    for (int i = 0; i < starts; ++i) {
        const Start s = startOnce(program, folder.path());
        if (!s.shown) {
            bench::figure(name, QStringLiteral("not shown"), QStringLiteral("≤ 1 s"), false);
            return 1;
        }
        walls << s.wallMs;
        cpus << s.cpuMs;
    }
    const double wall = bench::median(walls);
    bench::note(QStringLiteral("start: %1 starts, %2 to %3 ms wall, median %4 ms; median %5 ms "
                               "of CPU by then")
                    .arg(starts)
                    .arg(bench::number(*std::min_element(walls.begin(), walls.end()), 0),
                         bench::number(*std::max_element(walls.begin(), walls.end()), 0),
                         bench::number(wall, 0), bench::number(bench::median(cpus), 0)));
    bench::figure(name, bench::number(wall / 1000, 2) + QStringLiteral(" s"),
                  QStringLiteral("≤ 1 s"), wall <= 1000);
    return 0;
}

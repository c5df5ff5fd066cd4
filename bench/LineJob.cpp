#include "LineJob.h"

#include "MarkCells.h"
#include "MarkOperations.h"

#include <QDir>
#include <QProcess>

namespace bench {

bool runStampctl(const QString &program, const QStringList &arguments, QString *failure) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *failure = QStringLiteral("stampctl %1: %2")
                       .arg(arguments.mid(0, 8).join(QLatin1Char(' ')),
                            QString::fromLocal8Bit(p.readAllStandardError()).simplified());
        return false;
    }
    return true;
}

std::optional<backup::Job> makeLineJob(QTemporaryDir &dir, const QString &stampctl, int logos,
                                       int baud, QString *failure) {
    // The logos placed are the job's own, from the first slot of the benchmarks on.
    const auto ops = markOperations(
        QDir(dir.path()), logos, QStringLiteral("JOB"),
        [](int column) { return kFirstLogoSlot + column / 2 - 1; }, failure);
    if (!ops)
        return std::nullopt;
    const QStringList device = {QStringLiteral("--device"),
                                QStringLiteral("virtual:") +
                                    dir.filePath(QStringLiteral("job.state")),
                                QStringLiteral("--baud"), QString::number(baud)};
    const QString path = dir.filePath(QStringLiteral("job.json"));
    if (!runStampctl(stampctl, device + *ops, failure) ||
        !runStampctl(stampctl, device + QStringList{QStringLiteral("save-job"), path}, failure))
        return std::nullopt;
    const backup::ParsedJob parsed = backup::loadJob(path);
    if (!parsed.job) {
        *failure = QStringLiteral("the job made by stampctl does not load: ") + parsed.error;
        return std::nullopt;
    }
    if (parsed.job->content.cells.size() != size_t(kMarkCells) ||
        parsed.job->content.logos.size() != size_t(logos)) {
        *failure = QStringLiteral("the job holds %1 cells and %2 logos")
                       .arg(parsed.job->content.cells.size())
                       .arg(parsed.job->content.logos.size());
        return std::nullopt;
    }
    return parsed.job;
}

} // namespace bench

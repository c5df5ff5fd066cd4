#include "LineCommands.h"

#include "AuditTrail.h"
#include "Job.h"
#include "LineRecord.h"
#include "LineRun.h"

#include <QFileInfo>
#include <mutex>

namespace ctl {

namespace {

int usage(const Console &console, const QString &reason) {
    return usageError(console, reason,
                      QStringLiteral("usage: stampctl [--printer NAME] ") + lineUsage().trimmed() +
                          QLatin1Char('\n'));
}

// The printers a command names: --all, --printers A,B, or the one --printer chose, or the only
// one of the line; nullopt (with the reason) when they cannot be told.
std::optional<std::vector<line::Printer>> chosenPrinters(const QStringList &options,
                                                         const line::LineSettings &line,
                                                         const std::optional<line::Printer> &chosen,
                                                         QString &why) {
    if (options == QStringList{QStringLiteral("--all")})
        return line.printers;
    if (options.size() == 2 && options[0] == QLatin1String("--printers")) {
        std::vector<line::Printer> named;
        for (const QString &name : options[1].split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const line::Printer *p = line.find(name.trimmed());
            if (!p) {
                why = QStringLiteral("the line has no printer \"%1\"").arg(name.trimmed());
                return std::nullopt;
            }
            if (std::none_of(named.begin(), named.end(),
                             [&](const line::Printer &q) { return q.name == p->name; }))
                named.push_back(*p);
        }
        if (named.empty())
            why = QStringLiteral("--printers needs the names of printers, separated by commas");
        return named.empty() ? std::nullopt : std::optional(named);
    }
    if (!options.isEmpty()) {
        why = QStringLiteral("unexpected %1; name the printers with --printers A,B or --all")
                  .arg(options.join(QLatin1Char(' ')));
        return std::nullopt;
    }
    if (chosen)
        return std::vector<line::Printer>{*chosen};
    if (line.printers.size() == 1)
        return line.printers;
    why = line.printers.empty()
              ? QStringLiteral("the line has no printers")
              : QStringLiteral("the line has %1 printers: name them with --printers A,B or --all")
                    .arg(line.printers.size());
    return std::nullopt;
}

} // namespace

QString lineUsage() {
    return QStringLiteral(
        "line\n"
        "      prints \"NAME DEVICE: STATE\" for each printer of the line, all looked at at once\n"
        "  apply JOB [--printers A,B | --all]\n"
        "      writes the job into the printers at once, reads each back and compares; prints\n"
        "      \"NAME: verified\" or what went wrong; exit 0 only when every printer verified\n"
        "  verify JOB [--printers A,B | --all]\n"
        "      compares the printers with the job, writing nothing; prints \"NAME: matches\" or\n"
        "      each difference as \"NAME: cell 2,5: ...\"; exit 0 only when all match\n");
}

bool isLineCommand(const QStringList &words) {
    return !words.isEmpty() &&
           (words[0] == QLatin1String("line") || words[0] == QLatin1String("apply") ||
            words[0] == QLatin1String("verify"));
}

int runLineCommand(const QStringList &words, const line::LineSettings &line,
                   const std::optional<line::Printer> &chosen, const LineFactory &lines,
                   const Console &console) {
    if (words[0] == QLatin1String("line")) {
        if (words.size() > 1)
            return usage(console, QStringLiteral("line takes no arguments"));
        const std::vector<line::Printer> printers =
            chosen ? std::vector<line::Printer>{*chosen} : line.printers;
        const std::vector<line::Look> looks = line::lookAt(printers, lines);
        const line::LineRecord record(line.jobFolder);
        for (size_t i = 0; i < looks.size(); ++i) {
            const QString last = record.of(printers[i].name).describe();
            console.say(QStringLiteral("%1 %2: %3%4")
                            .arg(printers[i].name, printers[i].device, looks[i].describe(),
                                 last.isEmpty() ? QString() : QStringLiteral("; ") + last));
        }
        return Success;
    }
    if (words.size() < 2)
        return usage(console, QStringLiteral("%1 needs a job file").arg(words[0]));
    QString why;
    const auto printers = chosenPrinters(words.mid(2), line, chosen, why);
    if (!printers)
        return usage(console, why);
    // A job that fails its checks changes no printer.
    const backup::ParsedJob parsed = backup::loadJob(words[1]);
    if (!parsed.job) {
        console.say(
            QStringLiteral("stampctl: %1: %2; no printer was changed").arg(words[1], parsed.error),
            false);
        return Failed;
    }
    const bool applying = words[0] == QLatin1String("apply");
    line::Watch watch;
    watch.jobName = QFileInfo(words[1]).completeBaseName();
    // Each printer's thread records its changes in the audit trail; a problem with the trail is
    // said once, whichever thread meets it.
    std::mutex sayOnce;
    QStringList said;
    const auto problem = [&](const QString &trouble) {
        const std::lock_guard<std::mutex> lock(sayOnce);
        if (said.contains(trouble))
            return;
        said << trouble;
        console.say(QStringLiteral("stampctl: ") + trouble, false);
    };
    watch.recorders = [&problem]() -> std::shared_ptr<ChangeRecorder> {
        return audit::stationTrail(problem);
    };
    const std::vector<line::PrinterResult> results =
        applying ? line::applyJob(*printers, *parsed.job, lines, watch)
                 : line::verifyJob(*printers, *parsed.job, lines, watch);
    line::LineRecord(line.jobFolder).note(watch.jobName, results);
    bool allGood = true;
    for (const line::PrinterResult &r : results) {
        allGood = allGood && r.end == line::PrinterResult::End::Verified;
        if (!applying && r.end == line::PrinterResult::End::Different) {
            for (const QString &d : r.differences)
                console.say(r.printer + QStringLiteral(": ") + d);
        } else {
            console.say(r.printer + QStringLiteral(": ") + r.describe());
        }
    }
    return allGood ? Success : Failed;
}

} // namespace ctl

#include "Payloads.h"

#include "FragmentKind.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace agent {

namespace {

QString timeText(const QDateTime &time) {
    return time.isValid() ? time.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QByteArray compact(const QJsonObject &o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QJsonObject replyStart(const QString &id, Verb verb, const QString &printer) {
    return {{QStringLiteral("id"), id},
            {QStringLiteral("command"), wordOf(verb)},
            {QStringLiteral("printer"), printer},
            {QStringLiteral("time"), timeText(QDateTime::currentDateTimeUtc())}};
}

} // namespace

std::optional<Verb> verbOf(const QString &word) {
    if (word == QLatin1String("apply"))
        return Verb::Apply;
    if (word == QLatin1String("verify"))
        return Verb::Verify;
    if (word == QLatin1String("read-cells"))
        return Verb::ReadCells;
    return std::nullopt;
}

QString wordOf(Verb verb) {
    switch (verb) {
    case Verb::Apply:
        return QStringLiteral("apply");
    case Verb::Verify:
        return QStringLiteral("verify");
    case Verb::ReadCells:
        break;
    }
    return QStringLiteral("read-cells");
}

bool usableId(const QString &id) {
    if (id.isEmpty() || id.size() > 128)
        return false;
    return std::none_of(id.begin(), id.end(), [](QChar ch) {
        return ch == QLatin1Char('/') || ch == QLatin1Char('+') || ch == QLatin1Char('#') ||
               ch.unicode() < 0x20 || ch.unicode() == 0x7F;
    });
}

ParsedCommand parseCommand(Verb verb, const QByteArray &payload, const QString &jobFolder) {
    ParsedCommand parsed;
    if (payload.size() > kMaxCommandBytes) {
        parsed.error = QStringLiteral("the command is %1 bytes; at most %2 are taken")
                           .arg(payload.size())
                           .arg(kMaxCommandBytes);
        return parsed;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(payload, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        parsed.error = error.error != QJsonParseError::NoError
                           ? QStringLiteral("the command is not JSON: %1 at byte %2")
                                 .arg(error.errorString())
                                 .arg(error.offset)
                           : QStringLiteral("the command is not a JSON object");
        return parsed;
    }
    const QJsonObject o = document.object();
    const QJsonValue id = o.value(QStringLiteral("id"));
    if (!id.isString() || !usableId(id.toString())) {
        parsed.error = QStringLiteral("the command has no usable \"id\": a text of 1 to 128 "
                                      "characters without / + # or control characters");
        return parsed;
    }
    parsed.id = id.toString();
    Command c;
    c.verb = verb;
    c.id = parsed.id;
    if (verb == Verb::ReadCells) {
        parsed.command = c;
        return parsed;
    }
    const QJsonValue job = o.value(QStringLiteral("job"));
    const QJsonValue name = o.value(QStringLiteral("jobName"));
    if (job.isUndefined() == name.isUndefined()) {
        parsed.error =
            QStringLiteral("the command needs either \"job\" (the job itself) or "
                           "\"jobName\" (a job of the library), not %1")
                .arg(job.isUndefined() ? QStringLiteral("neither") : QStringLiteral("both"));
        return parsed;
    }
    backup::ParsedJob read;
    if (!name.isUndefined()) {
        const QString n = name.toString();
        // A name of the library, never a path out of it.
        if (!name.isString() || n.isEmpty() || n.contains(QLatin1Char('/')) ||
            n.contains(QLatin1Char('\\')) || n.startsWith(QLatin1Char('.'))) {
            parsed.error = QStringLiteral("\"jobName\" must name a job of the library (its file "
                                          "name without .json)");
            return parsed;
        }
        c.jobName = n.endsWith(QLatin1String(".json")) ? n.chopped(5) : n;
        const QString path = QDir(jobFolder).filePath(c.jobName + QStringLiteral(".json"));
        read = backup::loadJob(path);
        if (!read.job) {
            parsed.error = QStringLiteral("the job \"%1\" (%2): %3; nothing was changed")
                               .arg(c.jobName, path, read.error);
            return parsed;
        }
    } else {
        c.jobName = QStringLiteral("job");
        read = backup::parseJob(job.isObject()   ? QJsonDocument(job.toObject()).toJson()
                                : job.isString() ? job.toString().toUtf8()
                                                 : QByteArray());
        if (!read.job) {
            parsed.error = QStringLiteral("the job: %1; nothing was changed").arg(read.error);
            return parsed;
        }
    }
    c.job = std::move(read.job);
    parsed.command = std::move(c);
    return parsed;
}

QByteArray stateJson(const line::Printer &printer, const line::Look &look,
                     const line::Record &record) {
    QJsonObject o{{QStringLiteral("printer"), printer.name},
                  {QStringLiteral("device"), printer.device},
                  {QStringLiteral("agent"), QStringLiteral("online")},
                  {QStringLiteral("connected"), look.connected},
                  {QStringLiteral("busy"), look.busy},
                  {QStringLiteral("why"), look.why},
                  {QStringLiteral("time"), timeText(QDateTime::currentDateTimeUtc())}};
    if (look.autoRunPeriod >= 0)
        o.insert(QStringLiteral("autoRunPeriod"), look.autoRunPeriod);
    if (look.status) {
        o.insert(QStringLiteral("status"),
                 QStringLiteral("%1").arg(*look.status, 2, 16, QLatin1Char('0')).toUpper());
        o.insert(QStringLiteral("statusWords"), line::statusWords(*look.status));
    }
    if (!record.job.isEmpty()) {
        o.insert(QStringLiteral("lastJob"), record.job);
        o.insert(QStringLiteral("lastOutcome"), record.outcome);
        o.insert(QStringLiteral("lastJobAt"), timeText(record.at));
    }
    if (record.verified.isValid())
        o.insert(QStringLiteral("lastVerified"), timeText(record.verified));
    return compact(o);
}

QByteArray offlineJson(const line::Printer &printer) {
    return compact({{QStringLiteral("printer"), printer.name},
                    {QStringLiteral("device"), printer.device},
                    {QStringLiteral("agent"), QStringLiteral("offline")},
                    {QStringLiteral("connected"), false},
                    {QStringLiteral("why"), QStringLiteral("the agent is not running")}});
}

QByteArray resultJson(const Command &command, const line::PrinterResult &result) {
    QJsonObject o = replyStart(command.id, command.verb, result.printer);
    o.insert(QStringLiteral("job"), command.jobName);
    QString word;
    switch (result.end) {
    case line::PrinterResult::End::Verified:
        word = result.applying ? QStringLiteral("verified") : QStringLiteral("matches");
        break;
    case line::PrinterResult::End::Different:
        word = QStringLiteral("different");
        o.insert(QStringLiteral("differences"), QJsonArray::fromStringList(result.differences));
        break;
    case line::PrinterResult::End::Failed:
        word = QStringLiteral("failed");
        o.insert(QStringLiteral("failedAt"), result.outcome.step);
        o.insert(QStringLiteral("stepsDone"), result.outcome.done);
        o.insert(QStringLiteral("stepsTotal"), result.outcome.total);
        o.insert(QStringLiteral("written"), result.wrote);
        break;
    }
    o.insert(QStringLiteral("result"), word);
    o.insert(QStringLiteral("message"), result.describe());
    return compact(o);
}

QByteArray cellsJson(const Command &command, const QString &printer, const MarkCells &mark,
                     const QString &why) {
    QJsonObject o = replyStart(command.id, command.verb, printer);
    if (!mark.done()) {
        o.insert(QStringLiteral("result"), QStringLiteral("failed"));
        o.insert(QStringLiteral("message"), why);
        o.insert(QStringLiteral("stepsDone"), mark.read);
        o.insert(QStringLiteral("stepsTotal"), kMarkCells);
        return compact(o);
    }
    QJsonArray cells;
    for (int i = 0; i < kMarkCells; ++i) {
        const CellSummary s = summarize(*mark.cells[size_t(i)], mark.block.fontCount());
        QJsonObject cell{{QStringLiteral("row"), i / kMarkColumns + 1},
                         {QStringLiteral("column"), i % kMarkColumns + 1},
                         {QStringLiteral("kind"), cellWord(s.kind)},
                         {QStringLiteral("font"), s.font},
                         {QStringLiteral("text"), s.text}};
        if (s.logoSlot)
            cell.insert(QStringLiteral("logo"), *s.logoSlot);
        cells.append(cell);
    }
    o.insert(QStringLiteral("result"), QStringLiteral("read"));
    o.insert(QStringLiteral("fontCount"), mark.block.fontCount());
    o.insert(QStringLiteral("cells"), cells);
    return compact(o);
}

QByteArray errorJson(const QString &id, Verb verb, const QString &printer, const QString &why) {
    QJsonObject o = replyStart(id, verb, printer);
    o.insert(QStringLiteral("result"), QStringLiteral("error"));
    o.insert(QStringLiteral("message"), why);
    return compact(o);
}

} // namespace agent

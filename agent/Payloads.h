#pragma once
// What travels on the broker, as JSON: a printer's state, the commands the agent takes and its
// replies. Outside systems rely on these names.
//   state    {"printer", "device", "agent": "online"|"offline", "connected", "why", "busy",
//             "autoRunPeriod" (0: off), "status" ("5E"), "statusWords", "lastJob", "lastOutcome",
//             "lastJobAt", "lastVerified", "time"}
//   command  {"id": "…", "job": {…a job file…}} or {"id": "…", "jobName": "…"} (a job of the
//            library); read-cells takes the id alone
//   reply    {"id", "command", "printer", "result": "verified"|"matches"|"different"|"failed"|
//             "read"|"error", "message", "differences": […], "failedAt", "stepsDone",
//             "stepsTotal", "cells": […]}

#include "Job.h"
#include "LineRecord.h"
#include "LineRun.h"
#include "MarkCells.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace agent {

inline constexpr qsizetype kMaxCommandBytes = 1024 * 1024;

enum class Verb { Apply, Verify, ReadCells };
// "apply", "verify", "read-cells"; nothing for any other.
std::optional<Verb> verbOf(const QString &word);
QString wordOf(Verb verb);

struct Command {
    Verb verb = Verb::Apply;
    QString id;
    QString jobName;                // the job's name: as given, or "job" when it came whole
    std::optional<backup::Job> job; // apply and verify
};

struct ParsedCommand {
    std::optional<Command> command;
    QString id;    // the request's id as far as it could be read (empty: none)
    QString error; // why the command is refused
};

// An id may name a topic level of its own: 1 to 128 characters, none of / + # or a control one.
bool usableId(const QString &id);
// The command as received on cmd/<verb>: too large, not JSON, no usable id, no job or one that
// fails its checks are refused; a job of the library is read from `jobFolder`.
ParsedCommand parseCommand(Verb verb, const QByteArray &payload, const QString &jobFolder);

QByteArray stateJson(const line::Printer &printer, const line::Look &look,
                     const line::Record &record);
// What the broker tells of the printer when the agent is gone (its last will) or stopped.
QByteArray offlineJson(const line::Printer &printer);
QByteArray resultJson(const Command &command, const line::PrinterResult &result);
QByteArray cellsJson(const Command &command, const QString &printer, const MarkCells &mark,
                     const QString &why);
QByteArray errorJson(const QString &id, Verb verb, const QString &printer, const QString &why);

} // namespace agent

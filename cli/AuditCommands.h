#pragma once
// stampctl's commands for the station's audit trail (STAMPLINE_AUDIT_DB, or audit.sqlite in the
// user's data folder):
//   audit [--since DATE] [--until DATE] [--printer NAME] [--user USER] [--operation NAME] [--csv]
//   audit verify

#include "Stampctl.h"

namespace ctl {

bool isAuditCommand(const QStringList &words);
// Runs it; the exit status: 0 listed or the chain holds, 1 the trail cannot be read or its chain
// is broken, 2 a usage error.
int runAuditCommand(const QStringList &words, const Console &console);
QString auditUsage();

} // namespace ctl

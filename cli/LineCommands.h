#pragma once
// stampctl's commands for the printers of a line, each over all the printers it names at once:
//   line                                  every printer and how it is, one a line
//   apply JOB [--printers A,B | --all]    the job into the printers, each read back and compared
//   verify JOB [--printers A,B | --all]   the printers compared with the job, nothing written

#include "LineSettings.h"
#include "Stampctl.h"

#include <optional>

namespace ctl {

// Whether the words begin a line command.
bool isLineCommand(const QStringList &words);
// Runs it; `chosen` is the printer --printer named, if any. The exit status.
int runLineCommand(const QStringList &words, const line::LineSettings &line,
                   const std::optional<line::Printer> &chosen, const LineFactory &lines,
                   const Console &console);
// The usage lines of the line commands.
QString lineUsage();

} // namespace ctl

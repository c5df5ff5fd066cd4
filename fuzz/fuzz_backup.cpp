// Every backup or job file we can be handed: the input is the file's bytes. A file that is taken
// must survive being written and read again unchanged, and every text in it must be one the
// printer can be sent (no control byte, nothing outside the code page, values within what the
// printer keeps).

#include "BackupFile.h"
#include "Job.h"
#include "Require.h"
#include "WireText.h"

#include <cstdint>
#include <cstdlib>

namespace {
// A taken file's every text is one the printer can be sent.
void requireSendable(const backup::Backup &b) {
    require(!backup::validate(b));
    for (const backup::Cell &c : b.cells)
        require(!wireTextFault(c.text));
    for (const backup::Logo &l : b.logos)
        require(!wireTextFault(l.name) && l.B * l.C <= LogoImage::kDataBytes);
    const auto script = parseScript(b.script.toLatin1());
    require(script && !specFuncFault(*script));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const backup::Parsed parsed = backup::parseBackup(bytes);
    if (parsed.backup) {
        requireSendable(*parsed.backup);
        const QByteArray written = backup::toJson(*parsed.backup);
        const backup::Parsed again = backup::parseBackup(written);
        require(again.backup && backup::toJson(*again.backup) == written);
    } else {
        require(!parsed.error.isEmpty());
    }

    // The same bytes as a job: the parts it holds survive the round trip too.
    const backup::ParsedJob job = backup::parseJob(bytes);
    if (!job.job) {
        require(!job.error.isEmpty());
        return 0;
    }
    require(!parsed.backup); // a file is a backup or a job, never both
    requireSendable(job.job->content);
    require(!backup::validate(*job.job));
    const QByteArray written =
        backup::toJson(job.job->content, backup::FileKind::Job, job.job->parts);
    const backup::ParsedJob again = backup::parseJob(written);
    require(again.job && again.job->parts == job.job->parts &&
            backup::toJson(again.job->content, backup::FileKind::Job, again.job->parts) == written);
    return 0;
}

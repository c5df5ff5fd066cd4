// Every backup or job file we can be handed: the input is the file's bytes. A file that is taken
// must survive being written and read again unchanged, and every text in it must be one the
// printer can be sent (no control byte, nothing outside the code page, values within what the
// printer keeps).

#include "BackupFile.h"
#include "WireText.h"

#include <cstdint>
#include <cstdlib>

namespace {
void require(bool condition) {
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const backup::Parsed parsed =
        backup::parseBackup(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!parsed.backup) {
        require(!parsed.error.isEmpty());
        return 0;
    }
    const backup::Backup &b = *parsed.backup;
    require(!backup::validate(b));
    for (const backup::Cell &c : b.cells)
        require(!wireTextFault(c.text));
    for (const backup::Logo &l : b.logos)
        require(!wireTextFault(l.name) && l.B * l.C <= LogoImage::kDataBytes);
    const auto script = parseScript(b.script.toLatin1());
    require(script && !specFuncFault(*script));

    const QByteArray written = backup::toJson(b);
    const backup::Parsed again = backup::parseBackup(written);
    require(again.backup && backup::toJson(*again.backup) == written);
    return 0;
}

#include "Wiring.h"

#include "BackupTransfer.h"
#include "KvorMain.h"

#include <QFileInfo>

// The Printer menu's "Back Up…" and "Restore…": a file chosen, the whole printer read or written
// under one long wait whose bar counts the steps and whose Cancel ends the transfer where it is,
// and one message saying what came of it.
namespace {

const QString kFilter = QStringLiteral("Printer backups (*.json);;All files (*)");
constexpr int kBar = 1000;

backup::Progress barOf(LongWait &wait) {
    return [&wait](int done, int total) { return wait.carryOn(total ? done * kBar / total : 0); };
}

void backUpPrinter(TAutoControl &main, Hub &hub) {
    QString file =
        hub.messages().saveFileName(&main, QStringLiteral("Back Up"), QString(), kFilter);
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".json");
    backup::Backup b;
    backup::Outcome outcome;
    {
        const auto wait = hub.longWait(&main, QStringLiteral("Backing up the printer…"), kBar);
        outcome = backup::backUp(hub.fn(), b, barOf(*wait));
    }
    if (!outcome.ok())
        return hub.messages().error(&main, backup::describeBackUp(outcome));
    if (auto wrong = backup::saveBackup(file, b))
        return hub.messages().error(&main, *wrong);
    hub.messages().information(&main, QStringLiteral("The printer is backed up to %1.").arg(file));
}

void restorePrinter(TAutoControl &main, Hub &hub) {
    const QString file =
        hub.messages().openFileName(&main, QStringLiteral("Restore"), QString(), kFilter);
    if (file.isEmpty())
        return;
    const backup::Parsed parsed = backup::loadBackup(file);
    if (!parsed.backup)
        return hub.messages().error(&main, backup::describeRestore(backup::refusal(parsed.error)));
    if (!hub.messages().confirmDestructive(
            &main, QStringLiteral("Restore the printer from %1? It overwrites the printer's mark, "
                                  "logos, parameters, auto-run period, post-date day count and "
                                  "script.")
                       .arg(QFileInfo(file).fileName())))
        return;
    backup::Outcome outcome;
    {
        const auto wait = hub.longWait(&main, QStringLiteral("Restoring the printer…"), kBar);
        outcome = backup::restore(hub.fn(), *parsed.backup, barOf(*wait));
    }
    hub.forgetLogoNames(); // the logos may have changed
    if (outcome.ok())
        hub.messages().information(&main, backup::describeRestore(outcome));
    else
        hub.messages().error(&main, backup::describeRestore(outcome));
}

} // namespace

void wireBackup(TAutoControl &main) {
    main.bindEntries({"BackUp1"}, [&main] { backUpPrinter(main, main.hub()); });
    main.bindEntries({"Restore2"}, [&main] { restorePrinter(main, main.hub()); });
}

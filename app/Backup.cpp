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

void backUpPrinter(TAutoControl &main) {
    QString file =
        main.messages().saveFileName(&main, QStringLiteral("Back Up"), QString(), kFilter);
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".json");
    backup::Backup b;
    backup::Outcome outcome;
    {
        const auto wait = main.longWait(&main, QStringLiteral("Backing up the printer…"), kBar);
        outcome = backup::backUp(main.fn(), b, barOf(*wait));
    }
    if (!outcome.ok())
        return main.messages().error(&main, backup::describeBackUp(outcome));
    if (auto wrong = backup::saveBackup(file, b))
        return main.messages().error(&main, *wrong);
    main.messages().information(&main, QStringLiteral("The printer is backed up to %1.").arg(file));
}

void restorePrinter(TAutoControl &main) {
    const QString file =
        main.messages().openFileName(&main, QStringLiteral("Restore"), QString(), kFilter);
    if (file.isEmpty())
        return;
    const backup::Parsed parsed = backup::loadBackup(file);
    if (!parsed.backup)
        return main.messages().error(&main, backup::describeRestore(backup::refusal(parsed.error)));
    if (!main.messages().confirmDestructive(
            &main, QStringLiteral("Restore the printer from %1? It overwrites the printer's mark, "
                                  "logos, parameters, auto-run period, post-date day count and "
                                  "script.")
                       .arg(QFileInfo(file).fileName())))
        return;
    backup::Outcome outcome;
    {
        const auto wait = main.longWait(&main, QStringLiteral("Restoring the printer…"), kBar);
        outcome = backup::restore(main.fn(), *parsed.backup, barOf(*wait));
    }
    main.forgetLogoNames(); // the logos may have changed
    if (outcome.ok())
        main.messages().information(&main, backup::describeRestore(outcome));
    else
        main.messages().error(&main, backup::describeRestore(outcome));
}

} // namespace

void wireBackup(TAutoControl &main) {
    main.setWindowOpener(Window::BackUp, [&main] { backUpPrinter(main); });
    main.setWindowOpener(Window::Restore, [&main] { restorePrinter(main); });
}

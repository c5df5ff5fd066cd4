#include "PrinterRegistry.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QtDebug>
#include <map>

namespace printer {

namespace {
// A printer on the state file, or on a fresh state when the file is damaged (what happened to it
// goes into `notice`); nullptr when the file may not be used.
std::shared_ptr<VirtualPrinter> madeOn(const QString &stateFile, QString *notice, QString *why) {
    auto made = std::make_shared<VirtualPrinter>();
    if (stateFile.isEmpty())
        return made;
    QString error;
    switch (made->useStateFile(stateFile, &error)) {
    case StateLoad::Loaded:
        return made;
    case StateLoad::Refused:
        if (why)
            *why = error;
        return nullptr;
    case StateLoad::Damaged:
        break;
    }
    const QString aside = stateFile + QStringLiteral(".damaged");
    QFile::remove(aside);
    QString told;
    if (QFile::rename(stateFile, aside)) {
        told = QStringLiteral("The virtual printer's state file %1 was damaged (%2): it is kept as "
                              "%3 and the printer starts afresh.")
                   .arg(stateFile, error, aside);
    } else {
        made->forgetStateFile();
        told = QStringLiteral("The virtual printer's state file %1 was damaged (%2) and could not "
                              "be kept aside: the printer starts afresh and keeps no state.")
                   .arg(stateFile, error);
    }
    qWarning().noquote() << told;
    if (notice)
        *notice = told;
    return made;
}
} // namespace

std::shared_ptr<VirtualPrinter> sharedPrinter(const QString &name, const QString &stateFile,
                                              QString *notice, QString *why) {
    static QMutex mutex;
    static std::map<QString, std::shared_ptr<VirtualPrinter>> printers;
    QMutexLocker lock(&mutex);
    // One printer a file, however the file is named.
    const QString key = stateFile.isEmpty() ? name : QFileInfo(stateFile).absoluteFilePath();
    auto &printer = printers[key];
    if (!printer)
        printer = madeOn(stateFile, notice, why);
    return printer;
}

} // namespace printer

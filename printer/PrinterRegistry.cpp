#include "PrinterRegistry.h"

#include <QFile>
#include <QMutex>
#include <QtDebug>
#include <map>

namespace printer {

namespace {
// A printer on the state file, or on a fresh state when the file is damaged; what happened to a
// damaged file goes into `notice`.
std::shared_ptr<VirtualPrinter> madeOn(const QString &stateFile, QString *notice) {
    auto made = std::make_shared<VirtualPrinter>();
    QString error;
    if (stateFile.isEmpty() || made->useStateFile(stateFile, &error))
        return made;
    made = std::make_shared<VirtualPrinter>();
    const QString aside = stateFile + QStringLiteral(".damaged");
    QFile::remove(aside);
    QString told;
    if (QFile::rename(stateFile, aside)) {
        made->useStateFile(stateFile);
        told = QStringLiteral("The virtual printer's state file %1 was damaged (%2): it is kept as "
                              "%3 and the printer starts afresh.")
                   .arg(stateFile, error, aside);
    } else {
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
                                              QString *notice) {
    static QMutex mutex;
    static std::map<QString, std::shared_ptr<VirtualPrinter>> printers;
    QMutexLocker lock(&mutex);
    auto &printer = printers[name];
    if (!printer)
        printer = madeOn(stateFile, notice);
    return printer;
}

} // namespace printer

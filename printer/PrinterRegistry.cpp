#include "PrinterRegistry.h"

#include <QMutex>
#include <map>

namespace printer {

std::shared_ptr<VirtualPrinter> sharedPrinter(const QString &name, const QString &stateFile,
                                              QString *error) {
    static QMutex mutex;
    static std::map<QString, std::shared_ptr<VirtualPrinter>> printers;
    QMutexLocker lock(&mutex);
    auto &printer = printers[name];
    if (!printer) {
        auto made = std::make_shared<VirtualPrinter>();
        if (!stateFile.isEmpty() && !made->useStateFile(stateFile, error)) {
            printers.erase(name);
            return nullptr;
        }
        printer = std::move(made);
    }
    return printer;
}

} // namespace printer

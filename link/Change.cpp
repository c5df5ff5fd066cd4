#include "Change.h"

#include "FragmentKind.h"
#include "Functions.h"

QString Change::outcome() const {
    if (starts)
        return QStringLiteral("started");
    if (ok)
        return QStringLiteral("done");
    return cause.isEmpty() ? QStringLiteral("failed") : QStringLiteral("failed: ") + cause;
}

void recordChange(const PortState &port, Change change) {
    if (!port.recorder)
        return;
    if (!port.printerName.isEmpty()) {
        change.printer = port.printerName;
    } else {
        const int index = portIndexOf(port.portName);
        change.printer = index >= 0 ? QStringLiteral("Com%1").arg(index + 1) : port.portName;
    }
    change.device = port.deviceInForce();
    port.recorder->record(change);
}

void recordStart(const PortState &port, const QString &operation,
                 const std::function<QString()> &arguments) {
    if (!port.recorder)
        return;
    Change change;
    change.operation = operation;
    change.arguments = arguments();
    change.starts = true;
    recordChange(port, std::move(change));
}

void recordEnd(const PortState &port, const QString &operation,
               const std::function<QString()> &arguments, const QString &failure) {
    if (!port.recorder)
        return;
    Change change;
    change.operation = operation;
    change.arguments = arguments();
    change.ok = failure.isEmpty();
    change.cause = failure;
    recordChange(port, std::move(change));
}

QString describeCell(const FragmentReply &reply, int fontCount) {
    // Without a font count read, the printer's usual 7 fonts tell a logo from a text.
    const CellSummary cell = summarize(reply, fontCount > 0 ? fontCount : 7);
    if (cell.logoSlot)
        return QStringLiteral("logo %1").arg(*cell.logoSlot);
    if (cell.empty())
        return QStringLiteral("empty");
    if (cell.kind == CellKind::Other)
        return QStringLiteral("kind %1 \"%2\", font %3")
            .arg(reply.kind)
            .arg(cell.text)
            .arg(reply.font);
    return QStringLiteral("%1 \"%2\", font %3").arg(cellWord(cell.kind), cell.text).arg(reply.font);
}

#include "Fields.h"

#include "Messages.h"
#include "WireText.h"

#include <QLineEdit>
#include <QToolTip>

std::optional<QByteArray> wireField(Messages &messages, QWidget *over, QLineEdit *field) {
    const QString text = field->text();
    if (const auto fault = wireTextFault(text)) {
        messages.error(over, QStringLiteral("The text %1; nothing was sent.").arg(*fault));
        field->setFocus();
        return std::nullopt;
    }
    return toWire(text);
}

void refuseField(Messages &messages, QWidget *field, const QString &allowed) {
    messages.beep();
    field->setFocus();
    field->setToolTip(allowed);
    QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), allowed, field);
}

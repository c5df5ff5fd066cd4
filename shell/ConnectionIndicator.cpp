#include "ConnectionIndicator.h"

#include <QPainter>

ConnectionIndicator::ConnectionIndicator(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Shape1"));
    setFixedSize(18, 18);
    setAccessibleName(QStringLiteral("Connection"));
    tell(true);
}

void ConnectionIndicator::tell(bool good, const QString &printer) {
    colour = good ? QColor(0, 128, 0) : QColor(192, 0, 0);
    const QString which = printer.isEmpty() ? QStringLiteral("the printer") : printer;
    setAccessibleDescription(good ? which + QStringLiteral(" answers")
                                  : QStringLiteral("no answer from ") + which);
    setToolTip(accessibleDescription());
    update();
}

void ConnectionIndicator::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::black);
    painter.setBrush(colour);
    painter.drawEllipse(rect().adjusted(2, 2, -2, -2));
}

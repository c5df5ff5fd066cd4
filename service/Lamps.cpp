#include "Lamps.h"

#include <QPainter>
#include <QRadialGradient>

QPixmap signalLamp(Lamp lit) {
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // The housing: a dark rounded column.
    p.setPen(QColor(0x20, 0x20, 0x20));
    p.setBrush(QColor(0x3a, 0x3d, 0x42));
    p.drawRoundedRect(QRectF(8.5, 0.5, 15, 31), 4, 4);
    // Red at the top, yellow in the middle, green at the bottom.
    const struct {
        Lamp lamp;
        QColor on;
    } lamps[] = {{Lamp::Red, QColor(0xf4, 0x43, 0x36)},
                 {Lamp::Yellow, QColor(0xff, 0xc1, 0x07)},
                 {Lamp::Green, QColor(0x4c, 0xaf, 0x50)}};
    for (int i = 0; i < 3; ++i) {
        const QPointF centre(16, 6 + i * 10);
        if (lamps[i].lamp == lit) {
            QRadialGradient glow(centre, 5);
            glow.setColorAt(0, lamps[i].on.lighter(150));
            glow.setColorAt(1, lamps[i].on);
            p.setBrush(glow);
        } else {
            p.setBrush(lamps[i].on.darker(400));
        }
        p.setPen(Qt::NoPen);
        p.drawEllipse(centre, 4, 4);
    }
    return picture;
}

#include "Artwork.h"

#include <QLinearGradient>
#include <QPainter>

QPixmap clientPicture(int width) {
    QPixmap picture(qMax(width, 480), 150);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, picture.height());
    sky.setColorAt(0, QColor(0x23, 0x3b, 0x5a));
    sky.setColorAt(1, QColor(0x0d, 0x18, 0x26));
    p.fillRect(picture.rect(), sky);

    // A conveyor with three products, the last one marked by the head above it.
    p.fillRect(0, 118, picture.width(), 8, QColor(0x55, 0x5f, 0x6b));
    int head = 0;
    for (int x = 40; x + 90 < picture.width(); x += 150) {
        head = x + 15;
        p.setBrush(QColor(0xd9, 0xc6, 0x9a));
        p.setPen(QColor(0x8a, 0x74, 0x46));
        p.drawRoundedRect(QRectF(x, 70, 90, 48), 4, 4);
    }
    p.setBrush(QColor(0x9a, 0xa7, 0xb6));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(head, 20, 60, 34), 5, 5);
    p.drawRect(QRectF(head + 24, 54, 12, 10));
    // The dots it prints.
    p.setBrush(QColor(0x10, 0x10, 0x10));
    const char *rows[] = {"1001", "1010", "1100", "1010", "1001"};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c)
            if (rows[r][c] == '1')
                p.drawEllipse(QPointF(head + 15 + c * 7, 80 + r * 7), 2.6, 2.6);

    p.setPen(QColor(0xe8, 0xee, 0xf5));
    QFont title;
    title.setPixelSize(26);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(20, 12, 300, 34), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("KVOR 100"));
    QFont sub;
    sub.setPixelSize(12);
    p.setFont(sub);
    p.drawText(QRect(20, 44, 300, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Stampline — ink-jet marking"));
    return picture;
}

QIcon toolIcon(QChar letter, const QString &hint) {
    static const QColor tiles[] = {QColor(0x2e, 0x7d, 0x32), QColor(0x15, 0x65, 0xc0),
                                   QColor(0x6a, 0x1b, 0x9a), QColor(0xc6, 0x28, 0x28),
                                   QColor(0xef, 0x6c, 0x00), QColor(0x00, 0x83, 0x8f)};
    const QColor tile = tiles[qHash(hint) % std::size(tiles)];
    QPixmap icon(16, 16);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(tile);
    p.setPen(tile.darker(140));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font;
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString(letter));
    return icon;
}

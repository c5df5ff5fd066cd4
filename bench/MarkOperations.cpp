#include "MarkOperations.h"

#include "FragmentKind.h"

#include <QImage>

namespace bench {

void addOperation(QStringList &operations, const QStringList &words) {
    if (!operations.isEmpty())
        operations << QStringLiteral("--");
    operations << words;
}

std::optional<QStringList> markOperations(const QDir &dir, int logos, const QString &namePrefix,
                                          const std::function<int(int column)> &placed,
                                          QString *failure) {
    QStringList ops;
    for (int i = 0; i < logos; ++i) {
        QImage picture(kLogoColumns, 8 * kLogoBytes, QImage::Format_Mono);
        picture.fill(0);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if ((x * 7 + y * 3 + i) % 5 < 2)
                    picture.setPixel(x, y, 1);
        const QString file = dir.filePath(QStringLiteral("logo%1.bmp").arg(i));
        if (!picture.save(file, "BMP")) {
            *failure = QStringLiteral("the logo picture %1 could not be written").arg(file);
            return std::nullopt;
        }
        addOperation(ops, {QStringLiteral("write-logo"), QString::number(kFirstLogoSlot + i), file,
                           namePrefix + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'))});
    }
    for (int row = 1; row <= kMarkRows; ++row)
        for (int column = 1; column <= kMarkColumns; ++column) {
            const QString r = QString::number(row), c = QString::number(column);
            if (row == 4 && column % 2 == 0)
                addOperation(ops,
                             {QStringLiteral("place-logo"), QString::number(placed(column)), r, c});
            else
                addOperation(ops, {QStringLiteral("write-text-fragment"), r, c,
                                   QStringLiteral("LOT %1%2 BEST BEFORE").arg(row).arg(column) +
                                       QString(column * 2, QLatin1Char('0' + row))});
        }
    return ops;
}

} // namespace bench

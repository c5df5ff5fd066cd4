#include "BitmapFiles.h"

#include "Hub.h"

#include <QFileInfo>

QString bitmapFilter() {
    return QStringLiteral("Bitmap files (*.bmp)");
}

QString withBitmapExtension(const QString &name) {
    const QFileInfo file(name);
    const QString base =
        file.suffix().isEmpty() ? name : name.left(name.size() - file.suffix().size() - 1);
    return base + QStringLiteral(".bmp");
}

void saveBitmapAs(Hub &hub, QWidget *over, const QString &caption, const QString &directory,
                  const std::function<std::optional<QString>(const QString &)> &save) {
    const QString name = hub.messages().saveFileName(over, caption, directory, bitmapFilter());
    if (name.isEmpty())
        return;
    if (const auto why = save(withBitmapExtension(name)))
        hub.messages().error(over, QStringLiteral("Save to File Error"), *why);
}

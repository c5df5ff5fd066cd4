// Every bitmap file we can be handed: the input becomes a file that LoadPictureToLogo takes, and
// a loaded logo is saved again with SaveLogoToBitmap.

#include "LogoImage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
QString scratch(const char *name) {
    return QDir::temp().filePath(QStringLiteral("stamp-fuzz-%1-%2")
                                     .arg(QCoreApplication::applicationPid())
                                     .arg(QLatin1String(name)));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QString in = scratch("in.bmp"), out = scratch("out.bmp");
    {
        QFile file(in);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    auto image = std::make_unique<LogoImage>();
    auto staging = std::make_unique<LogoDots>();
    if (LoadPictureToLogo(in, *image, *staging) == PictureLoad::Loaded) {
        const int B = image->bytesPerColumn, C = image->columnCount;
        // A picture may carry more than one frame's worth (12 rows of 333 columns): WriteLogo
        // cuts the columns; the image itself must stay within its store.
        if (B < 1 || B > 4 || C < 1 || C > LogoImage::kColumns)
            std::abort();
        SaveLogoToBitmap(out, *image);
    }
    QFile::remove(in);
    QFile::remove(out);
    return 0;
}

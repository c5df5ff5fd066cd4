// Every bitmap file we can be handed: the input becomes a file that LoadPictureToLogo takes, and
// a loaded logo is saved again with SaveLogoToBitmap.

#include "InputFile.h"
#include "LogoImage.h"

#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QString in = scratchFile("in.bmp"), out = scratchFile("out.bmp");
    if (!writeInput(in, data, size))
        return 0;
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

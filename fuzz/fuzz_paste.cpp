// Every file the image editor's "Paste from File" can be handed: the input becomes a file, its
// dots are loaded and pasted into a band across its edges.

#include "DotBand.h"
#include "InputFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QString in = scratchFile("paste.bmp");
    if (!writeInput(in, data, size))
        return 0;
    DotBand dots;
    if (LoadPictureDots(in, dots) == PictureLoad::Loaded) {
        // At most 32 rows and 4000 dots, as a logo load takes them.
        if (dots.rows() > 32 || dots.columns() > LogoImage::kColumns ||
            dots.rows() * dots.columns() > 4000)
            std::abort();
        static DotBand band(600, 65);
        band.paste(dots, QPoint(band.columns() - 3, band.rows() - 2));
        band.paste(dots, QPoint(-2, -1));
    }
    QFile::remove(in);
    return 0;
}

// Every bitmap file we can be handed. An input that starts with "BM" is the file itself: that
// reaches the picture reader and our check of the file's headers. Any other input is made into a
// 1-bit bitmap first (its first bytes the size, the rest the dots), so that most inputs reach the
// packing, the sizes and the save: the picture is loaded (LoadPictureToLogo), saved again
// (SaveLogoToBitmap) and loaded once more, and the dots kept must come back the same.

#include "InputFile.h"
#include "LogoImage.h"
#include "Require.h"

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {
// A 1-bit picture from the input: width 1..1024, height 1..64, then one bit a dot, row by row.
bool writePicture(const QString &path, const uint8_t *data, size_t size) {
    if (size < 3)
        return false;
    const int width = 1 + ((data[0] | data[1] << 8) % 1024), height = 1 + data[2] % 64;
    QImage picture(width, height, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    picture.fill(0);
    size_t bit = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x, ++bit)
            if (3 + bit / 8 < size && data[3 + bit / 8] & (1 << (bit % 8)))
                picture.setPixel(x, y, 1);
    return picture.save(path, "BMP");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const QString in = scratchFile("in.bmp"), out = scratchFile("out.bmp");
    const bool raw = size >= 2 && data[0] == 'B' && data[1] == 'M';
    if (!(raw ? writeInput(in, data, size) : writePicture(in, data, size)))
        return 0;
    auto image = std::make_unique<LogoImage>();
    auto staging = std::make_unique<LogoDots>();
    PictureKept kept;
    if (LoadPictureToLogo(in, *image, *staging, nullptr, &kept) == PictureLoad::Loaded) {
        const int B = image->bytesPerColumn, C = image->columnCount;
        // A picture may carry more than one frame's worth (12 rows of 333 columns): WriteLogo
        // cuts the columns; the image itself must stay within its store.
        require(B >= 1 && B <= 4 && C >= 1 && C <= LogoImage::kColumns);
        require(kept.kept.height() <= 32 && kept.kept.width() <= 255 &&
                kept.kept.width() * B <= LogoImage::kDataBytes);
        require(kept.cut() == (kept.picture.width() > kept.kept.width() ||
                               kept.picture.height() > kept.kept.height()));
        // The packed logo saved as a picture (8 x B rows) and loaded again holds the same dots,
        // as far as a picture of that height may be wide.
        auto read = std::make_unique<LogoImage>(*image);
        for (auto &column : read->dots)
            for (quint8 &byte : column)
                byte = MirrorBits(byte); // file orientation to wire orientation
        if (!SaveLogoToBitmap(out, *read)) {
            auto again = std::make_unique<LogoImage>();
            require(LoadPictureToLogo(out, *again, *staging) == PictureLoad::Loaded);
            for (int c = 0; c < std::min(C, 4000 / (8 * B)); ++c)
                for (int k = 0; k < B; ++k)
                    require(again->dots[size_t(c)][size_t(k)] == image->dots[size_t(c)][size_t(k)]);
        }
    }
    QFile::remove(in);
    QFile::remove(out);
    return 0;
}

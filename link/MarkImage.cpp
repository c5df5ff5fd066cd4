#include "MarkImage.h"

QImage markPicture(const MarkImage &mark) {
    if (mark.length <= 0 || mark.height <= 0)
        return {};
    QImage picture(mark.length, mark.height * 8, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    picture.fill(0);
    for (int x = 0; x < mark.length; ++x)
        for (int y = 0; y < mark.height * 8; ++y)
            if (mark.dot(x, y))
                picture.setPixel(x, y, 1);
    return picture;
}

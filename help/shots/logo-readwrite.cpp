// The manual's pictures of the logo window: a picture loaded, and a slot read with its grid.

#include "KvorMain.h"
#include "LogoReadWriteUnit.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>

void takeLogoReadwritePictures(TAutoControl &main, const QDir &out) {
    // A 1-bit picture of a word, 24 dots high.
    QTemporaryDir dir;
    QImage word(84, 24, QImage::Format_RGB32);
    word.fill(Qt::white);
    QPainter painter(&word);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(22);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.drawText(word.rect(), Qt::AlignCenter, QStringLiteral("LOGO"));
    painter.end();
    const QString file = dir.filePath(QStringLiteral("logo.bmp"));
    word.convertToFormat(QImage::Format_Mono).save(file, "BMP");

    LogoShare &logo = main.hub().logo();
    const bool grid = logo.gridShown;
    logo.gridShown = false;
    logo.cell = LogoShare::kDefaultCell;
    logo.mode = LogoMode::Load;
    logo.pictureFile = file;
    {
        TLogoReadWriteForm form(main.hub(), &main);
        form.show();
        form.findChild<QLineEdit *>(QStringLiteral("RowStr"))->setText(QStringLiteral("12"));
        form.findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("LOGO"));
        QApplication::processEvents();
        form.grab().save(out.filePath(QStringLiteral("logo-load.png")));
        // The same logo into slot 12, to be read back below.
        main.hub().fn().WriteLogo(12, logo.image.bytesPerColumn, logo.image.columnCount, "LOGO",
                                  logo.image);
    }

    logo.mode = LogoMode::Read;
    logo.image.fill(0x00);
    logo.image.bytesPerColumn = logo.image.columnCount = 32;
    logo.gridShown = true;
    {
        TLogoReadWriteForm form(main.hub(), &main);
        form.show();
        form.findChild<QLineEdit *>(QStringLiteral("RowStr"))->setText(QStringLiteral("12"));
        form.OKBtnClick();
        QApplication::processEvents();
        form.grab().save(out.filePath(QStringLiteral("logo-read.png")));
    }
    logo.gridShown = grid;
}

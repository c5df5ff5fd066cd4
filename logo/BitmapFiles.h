#pragma once
// The logo windows' 1-bit bitmap files: the filter of their file dialogs, the save under a name
// the operator chooses (".bmp" forced onto it), and the deleted logo that has nothing to save.

#include "LogoImage.h"

#include <QString>
#include <functional>

class Hub;
class QWidget;

QString bitmapFilter();

// The name with ".bmp" in place of any extension it had.
QString withBitmapExtension(const QString &name);

// Asks for a file name (caption, starting in `directory`), then saves with `save` under it with
// ".bmp" forced; "Save to File Error", with the reason `save` gives, when that fails. Nothing
// when the operator cancels.
void saveBitmapAs(Hub &hub, QWidget *over, const QString &caption, const QString &directory,
                  const std::function<std::optional<QString>(const QString &file)> &save);

// A deleted logo: one blank column of 4 bytes, which the windows do not save.
inline bool isDeletedShape(const LogoImage &image) {
    return image.bytesPerColumn == 4 && image.columnCount == 1;
}

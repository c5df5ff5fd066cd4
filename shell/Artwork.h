#pragma once
// The main window's pictures: the client-area picture and the tool bar icons, drawn in code.

#include <QIcon>
#include <QPixmap>

// The client-area picture, at least `width` pixels wide.
QPixmap clientPicture(int width);
// A small icon: the letter on a tile whose colour follows the hint.
QIcon toolIcon(QChar letter, const QString &hint);

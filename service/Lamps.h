#pragma once
// The 32 x 32 pictures of a three-lamp signal with one lamp lit.

#include <QPixmap>

enum class Lamp { Red, Yellow, Green };

QPixmap signalLamp(Lamp lit);

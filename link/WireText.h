#pragma once
// Text on the wire: one byte a character in the host's code page (windows-1251 by default).

#include <QByteArray>
#include <QString>

// The code page used on the wire; "windows-1251" unless set.
QByteArray wireCodePage();
void setWireCodePage(const QByteArray &name);

QByteArray toWire(const QString &text);
QString fromWire(const QByteArray &bytes);

// Trims blanks and control characters (codes up to 32) from both ends.
QString trimBlanks(const QString &text);
QByteArray trimBlanks(const QByteArray &bytes);

#pragma once
// Text on the wire: one byte a character in the host's code page (windows-1251; on Windows the
// system's ANSI code page).

#include <QByteArray>
#include <QString>

// The name of the code page used on the wire, for messages.
QByteArray wireCodePage();

QByteArray toWire(const QString &text);
QString fromWire(const QByteArray &bytes);

// Trims blanks and control characters (codes up to 32) from both ends.
QString trimBlanks(const QString &text);
QByteArray trimBlanks(const QByteArray &bytes);

#pragma once
// Text on the wire: one byte a character in the host's code page (windows-1251; on Windows the
// system's ANSI code page).

#include <QByteArray>
#include <QString>
#include <optional>

// The name of the code page used on the wire, for messages.
QByteArray wireCodePage();

QByteArray toWire(const QString &text);
// Why a text may not go to the printer, or nothing. A text may hold any character of the code
// page from 20h on; a control character (below 20h) would end the command it travels in (a CR
// ends every text) and the printer would take the rest as commands of its own. Positions count
// characters from 1: "holds a control character (0Dh) at position 3".
std::optional<QString> wireTextFault(const QString &text);
// The position (from 0) of the first byte below 20h, or -1 when there is none.
qsizetype controlByteAt(const QByteArray &bytes);
QString fromWire(const QByteArray &bytes);

// Trims blanks and control characters (codes up to 32) from both ends.
QString trimBlanks(const QString &text);
QByteArray trimBlanks(const QByteArray &bytes);

#pragma once
// What the windows' fields share: an edit's text bound for the printer (every character of the
// printer's code page from 20h on, anything else refused in the window that asked, before a byte
// is sent), and the refusal of a value a field may not hold.

#include <QByteArray>
#include <optional>

class Messages;
class QLineEdit;
class QWidget;

// The field's text in the printer's code page; nothing when it holds a character that may not go
// (a control character, which would end the command and run the rest as commands, or one the code
// page lacks): the operator is told which and where, the field takes the focus, and nothing is
// sent.
std::optional<QByteArray> wireField(Messages &messages, QWidget *over, QLineEdit *field);

// A value the field may not hold: a beep and the focus back on the field, as ever, and what the
// field may hold shown where the operator looks (its tool tip, shown at once and kept).
void refuseField(Messages &messages, QWidget *field, const QString &allowed);

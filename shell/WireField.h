#pragma once
// An edit's text bound for the printer. A text may hold every character of the printer's code
// page from 20h on; anything else is refused in the window that asked, before a byte is sent.

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

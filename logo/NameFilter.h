#pragma once
// The logo windows' name edits: a logo name is at most 8 characters, and each edit drops the
// characters it does not take, those whose code is below the lowest it keeps.

#include <QString>

class QLineEdit;

inline constexpr int kLogoNameLength = 8;

// The first 8 characters of `text`, without those whose UTF-16 code is below `lowestKept`.
QString filterLogoName(const QString &text, char16_t lowestKept);

// Runs the filter on the edit's text after every change the operator makes (typing, deleting,
// pasting) and puts the caret at the end of what is left.
void bindNameFilter(QLineEdit *edit, char16_t lowestKept);

#include "NameFilter.h"

#include <QLineEdit>

QString filterLogoName(const QString &text, char16_t lowestKept) {
    QString kept;
    for (const QChar c : text.left(kLogoNameLength))
        if (c.unicode() >= lowestKept)
            kept += c;
    return kept;
}

void bindNameFilter(QLineEdit *edit, char16_t lowestKept) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, lowestKept] {
        const QString kept = filterLogoName(edit->text(), lowestKept);
        if (kept != edit->text())
            edit->setText(kept);
        edit->setCursorPosition(int(kept.size()));
    });
}

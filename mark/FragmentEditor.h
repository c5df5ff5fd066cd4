#pragma once
// What the date/time, post-date and counter editors share: the cell they work on with its row and
// column arrows, the font field with its arrows, the value field with its "Change" box, and the
// gate that keeps a write off a cell of another kind. The three dialogs name these widgets alike.

#include "Cell.h"

#include <functional>
#include <optional>

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QWidget;

struct EditorWidgets {
    QLineEdit *row, *column, *font, *value;
    QAbstractButton *rowUp, *rowDown, *columnUp, *columnDown, *fontUp, *fontDown;
    QCheckBox *change;
};

// The shared widgets of an editor's designer form, with `value` as its value field.
template <class Ui> EditorWidgets editorWidgets(Ui *ui, QLineEdit *value) {
    return {ui->RowStr_, ui->ColStr,  ui->EFontSize, value,       ui->RowStr, ui->BitBtn4,
            ui->BitBtn5, ui->BitBtn6, ui->BitBtn3,   ui->BitBtn1, ui->Ch_};
}

enum class Move { Row, Column };

class FragmentEditor {
public:
    // The row arrows stop at 1 and 4, the column arrows at 1 and 8, the font arrows at 0 and the
    // font count - 1; `moved` runs after every row or column step (the font arrows only change
    // their field). "Change" starts hidden. The cell is the hub's start cell when one is given
    // (taken here, once), else what the form's fields hold.
    FragmentEditor(Hub &hub, QWidget *form, const EditorWidgets &widgets,
                   std::function<void(Move)> moved);

    int row() const;
    int column() const;
    int font() const;

    // Reads the current cell and shows it by `rules`; nothing after a failed read (the message
    // has been shown).
    std::optional<CellFields::Shown> read(const CellRules &rules);

    // Whether a write may go on: not while "Change" is shown and not ticked, which says "Select
    // \"Change\" mode, if you want <what> insert" and beeps.
    bool mayOverwrite(const QString &what);

private:
    Hub &hub;
    QWidget *form;
    EditorWidgets widgets;
    CellFields fields;
};

// Runs `step` once, as soon as `window` has first appeared on the screen (so that what the step
// shows opens over the window, not before it).
void whenFirstShown(QWidget *window, std::function<void()> step);

#pragma once
// One cell of the mark as every editor reads it: the limits, the read with its retries, what the
// cell holds (by its kind byte and font byte), and the editor fields that show it — the value
// field, the "Change" box that must be ticked before a cell of another kind is overwritten, and
// the font field. Also the arrows that step a read-only number field within its limits. The
// editors differ only in the data they give these pieces, never in copies of them.

#include "FragmentKind.h"
#include "Functions.h"

#include <QString>
#include <functional>
#include <optional>

class Hub;
class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QWidget;

// The shared cell read: "Maximum Row value=4" / "Maximum Column value=8" for a cell out of the
// mark (nothing sent), then up to `attempts` ReadFragment exchanges under a long wait, and
// "TextFragmentRead Error" when none succeeded. Messages open over `over`.
std::optional<FragmentReply> readCell(Hub &hub, QWidget *over, int row, int column,
                                      int attempts = 10);
// The retry loop of that read alone, without limits, wait or message: up to `attempts`
// ReadFragment exchanges, each only while `carryOn(attempt)` lets the work go on.
std::optional<FragmentReply> readCellAttempts(Hub &hub, int row, int column, int attempts,
                                              const std::function<bool(int)> &carryOn);

// What an editor's font field shows for a graphic cell; every other cell shows its font byte.
enum class GraphicFont { FontByte, LastFont, Unchanged, One };

// What an editor shows of a cell it read.
struct CellRules {
    GraphicRule rule = GraphicRule::FontCount;
    GraphicFont graphicFont = GraphicFont::FontByte;
    // The kinds the editor itself writes: shown with their data, editable, no "Change" needed.
    std::function<bool(CellKind)> own;
};

// An editor's value field, "Change" box and font field, showing the cells it reads.
class CellFields {
public:
    // font may be null for an editor without a font field. Ticking "Change" enables and clears
    // the value field and forgets the read text; unticking disables the field.
    CellFields(Hub &hub, QLineEdit *value, QCheckBox *change, QLineEdit *font);

    // Clears the value field and reads the cell (readCell); on success shows it by the rules:
    // "Change" hidden and unticked, the value field enabled, then by the kind — an own kind with
    // its data, another kind by its label in the disabled value field with "Change" shown. The
    // read text becomes what the value field shows. Returns the reply and its kind, or nothing
    // after a failed read (a message has been shown).
    struct Shown {
        FragmentReply reply;
        CellKind kind;
    };
    std::optional<Shown> read(QWidget *over, int row, int column, const CellRules &rules,
                              int attempts = 10);

    // "Change" is shown and not ticked: a cell of another kind that may not be overwritten.
    bool changeBlocks() const;
    const QString &readText() const { return text; }
    void forgetReadText() { text.clear(); }
    // A text written into the cell is what the cell holds from now on.
    void keepWritten(const QString &written) { text = written; }

private:
    Hub &hub;
    QLineEdit *value;
    QCheckBox *change;
    QLineEdit *font;
    QString text;
};

// The number a read-only field holds (0 when it holds none).
int fieldNumber(const QLineEdit *field);
// Steps the field's number by delta, kept within [low, high]; returns the new number.
int stepField(QLineEdit *field, int delta, int low, int high);
// An up and a down arrow on a read-only number field: each click runs `before` (which may stop
// the step by returning false), moves the number by one within [low, high()], then runs `moved`.
void bindArrows(QAbstractButton *up, QAbstractButton *down, QLineEdit *field, int low,
                std::function<int()> high, std::function<void()> moved = {},
                std::function<bool()> before = {});

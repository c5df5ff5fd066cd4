#pragma once
// The image editor's band: a picture of 10280 columns and 65 rows of dots whose rows 16 to 47 are
// the 32-row band that is shown, saved and sent to the printer, with the editing the operator does
// on it (dots, a rectangular selection, the copy buffer, moves and one step of undo), its 1-bit
// pictures, and the write of a slice of it as a logo.

#include "DotBand.h"
#include "LogoImage.h"

#include <QImage>
#include <QString>
#include <optional>

class Hub;
class QWidget;

class LogoBand {
public:
    static constexpr int kColumns = 10280;
    static constexpr int kRows = 65;
    static constexpr int kTop = 16;    // the picture row that is the band's top row
    static constexpr int kHeight = 32; // rows of the band
    static constexpr int kBottom = kTop + kHeight - 1;

    LogoBand();

    const DotBand &picture() const { return dots; }
    // One more than the rightmost column that holds a dot after an import; 0: no picture.
    int widthValue() const { return width; }
    bool hasPicture() const { return width != 0; }
    // Columns shown (and saved): 0 to the width value.
    int shownColumns() const { return width ? width + 1 : 0; }
    // The shown band in picture coordinates.
    QRect shownArea() const { return {0, kTop, shownColumns(), kHeight}; }

    // A new picture: no dot, no width value, no selection, nothing to undo.
    void reset();
    void setDot(int x, int y, bool on) { dots.setDot(x, y, on); }
    void setWidthValue(int value);
    // Outside edit mode: the dot of a shown cell turns over. Nothing can undo it.
    void toggleDot(QPoint cell);

    // --- The selection: a rectangle of shown cells.
    const std::optional<QRect> &selection() const { return selected; }
    void select(const QRect &area); // clipped to the shown band; none when nothing is left
    void dropSelection();
    bool hasCopy() const { return copyBuffer.has_value(); }
    const DotBand *copied() const { return copyBuffer ? &*copyBuffer : nullptr; }

    void copySelection();
    void cutSelection();   // copy, then no dot in the selection
    void clearSelection(); // no dot in the selection
    // The whole copy buffer (or `dots`) with its top left corner on `at`; the pasted area becomes
    // the selection.
    void paste(QPoint at);
    void pasteDots(const DotBand &from, QPoint at);

    // Moving the selection: the dots it holds go with it, what they covered comes back as they
    // leave, and the place they first left has no dots. A move that would take the selection out
    // of the shown band is refused.
    enum class Move { Moved, Refused, Unchanged };
    void beginMove(); // before the first step of a drag: the step back to before the drag
    Move moveSelectionTo(QPoint topLeft);

    // Takes back the last cut, clear, paste or move; false when there is nothing to take back.
    bool undo();
    bool canUndo() const { return before.has_value(); }

    // --- 1-bit pictures: black dots on white.
    QImage bandBitmap() const;                  // the shown band
    QImage areaBitmap(const QRect &area) const; // any area of the picture

private:
    struct Snapshot {
        DotBand dots;
        std::optional<QRect> selected;
    };
    struct Floating {
        DotBand content;
        DotBand under; // what the selection covers where it is now
    };

    void remember();
    void land() { floating.reset(); }

    DotBand dots{kColumns, kRows};
    int width = 0;
    std::optional<QRect> selected;
    std::optional<DotBand> copyBuffer;
    std::optional<Snapshot> before;
    std::optional<Floating> floating;
};

// Writes `width` columns of the band, from `startColumn` on, to logo slot `number` under `name`:
// packed 32 rows high (the band's height; `height` is taken for the caller's sake), as many bytes
// a column as its highest dot needs, the columns untrimmed. "Write Error" and a beep over `over`
// when the printer does not take it.
bool WriteImageSlice(Hub &hub, QWidget *over, const LogoBand &band, int number, int startColumn,
                     const QString &name, int height, int width);

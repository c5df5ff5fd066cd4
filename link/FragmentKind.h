#pragma once
// What a cell of the mark holds, told by the kind byte and the font byte that ReadFragment
// returns: the mark's cell grid, the fragment kinds and their labels.

#include "Functions.h"

#include <QString>
#include <functional>
#include <optional>

inline constexpr int kMarkRows = 4;
inline constexpr int kMarkColumns = 8;

enum class CellKind { Text, Graphic, CounterDown, CounterUp, TimeDate, PostDate, SpecFunc, Other };

// How a cell of kind 255 tells text from graphic.
enum class GraphicRule {
    FontCount,  // text below the font count, graphic at the font count
    FixedFonts, // text below 7, graphic at 7 or 13 (the date/time editor's later reads, post-date)
};

// The cell read with its retries: up to `attempts` ReadFragment exchanges, each only while
// `carryOn(attempt)` (when given) lets the work go on; the first reply that came through.
std::optional<FragmentReply> readFragmentAttempts(Functions &f, int row, int column, int attempts,
                                                  const std::function<bool(int)> &carryOn = {});

CellKind classify(const FragmentReply &reply, int fontCount, GraphicRule rule);
// "Text fragment", "Graphic fragment", "Counter fragment", ...; empty for Other.
QString cellLabel(CellKind kind);
inline bool isCounter(CellKind kind) {
    return kind == CellKind::CounterDown || kind == CellKind::CounterUp;
}

// One word a kind, for listings: text, graphic, counter-up, counter-down, time-date, post-date,
// special, other.
QString cellWord(CellKind kind);

// What a read cell shows an operator, told by the font count rule.
struct CellSummary {
    CellKind kind = CellKind::Other;
    int font = 0; // the font byte; for a graphic cell the font count - 1, as the editors show it
    // The text of a text cell, a counter's value, a date/time or post-date format; for a graphic
    // cell the decimal number of its logo slot. Control characters, which would break a line,
    // show as U+FFFD.
    QString text;
    std::optional<int> logoSlot; // a graphic cell whose text is the one byte of its slot
    // A text cell with no text: nothing is printed there.
    bool empty() const { return kind == CellKind::Text && text.isEmpty(); }
};
CellSummary summarize(const FragmentReply &reply, int fontCount);

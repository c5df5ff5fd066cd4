#pragma once
// What a cell of the mark holds, told by the kind byte and the font byte that ReadFragment
// returns: the mark's cell grid, the fragment kinds and their labels.

#include "Functions.h"

#include <QString>

inline constexpr int kMarkRows = 4;
inline constexpr int kMarkColumns = 8;

enum class CellKind { Text, Graphic, CounterDown, CounterUp, TimeDate, PostDate, SpecFunc, Other };

// How a cell of kind 255 tells text from graphic.
enum class GraphicRule {
    FontCount,  // text below the font count, graphic at the font count
    FixedFonts, // text below 7, graphic at 7 or 13 (the date/time editor's later reads, post-date)
};

CellKind classify(const FragmentReply &reply, int fontCount, GraphicRule rule);
// "Text fragment", "Graphic fragment", "Counter fragment", ...; empty for Other.
QString cellLabel(CellKind kind);
inline bool isCounter(CellKind kind) {
    return kind == CellKind::CounterDown || kind == CellKind::CounterUp;
}

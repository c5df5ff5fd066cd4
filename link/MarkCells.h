#pragma once
// The whole mark read cell by cell, as the editors read a cell: the state block first (its font
// count tells a logo from a text), then the 32 cells row by row, each with up to ten ReadFragment
// exchanges. The overview, stampctl's read-mark-cells and the backup all read the mark this way.

#include "FragmentKind.h"
#include "StateBlock.h"

#include <array>
#include <functional>
#include <optional>

inline constexpr int kMarkCells = kMarkRows * kMarkColumns;
inline constexpr int kCellReadAttempts = 10; // as the editors read a cell

struct MarkCells {
    StateBlock block;
    bool blockRead = false;  // the state block's exchange went through
    bool stateBlock = false; // and the block came whole, font count and all
    std::array<std::optional<FragmentReply>, kMarkCells> cells; // row by row; nothing: not read
    int read = 0;                                               // cells that answered
    int failedAt = -1;    // the first cell that did not answer in all its tries; -1: none
    bool stopped = false; // the caller's carryOn ended the read
    bool done() const { return stateBlock && !stopped && read == kMarkCells; }
};

struct MarkCellsHow {
    int stateBlockAttempts = 1;
    // A cell that does not answer ends the read (stampctl, the backup), or the read goes on with
    // the next cell (the overview).
    bool stopAtFailure = true;
    // Runs before every exchange, with the cell about to be read (0..31; -1 for the state block);
    // false ends the read there.
    std::function<bool(int cell)> carryOn;
    // Runs after each cell, read or not, with the read so far.
    std::function<void(int cell, const MarkCells &soFar)> cellDone;
};

MarkCells readMarkCells(Functions &f, const MarkCellsHow &how = {});

// "cell 2,5": the index 0..31 of a cell, row by row.
QString cellName(int index);

#include "MarkCells.h"

MarkCells readMarkCells(Functions &f, const MarkCellsHow &how) {
    MarkCells mark;
    const auto carryOn = [&](int cell) {
        if (how.carryOn && !how.carryOn(cell))
            mark.stopped = true;
        return !mark.stopped;
    };
    for (int i = 0; i < how.stateBlockAttempts && carryOn(-1); ++i)
        if ((mark.blockRead = f.ReadTimeParams(mark.block)))
            break;
    mark.stateBlock = mark.block.received >= 14;
    if (!mark.stateBlock)
        return mark;
    for (int cell = 0; cell < kMarkCells; ++cell) {
        const int row = cell / kMarkColumns + 1, column = cell % kMarkColumns + 1;
        mark.cells[size_t(cell)] = readFragmentAttempts(f, row, column, kCellReadAttempts,
                                                        [&](int) { return carryOn(cell); });
        if (mark.stopped)
            return mark;
        if (mark.cells[size_t(cell)])
            ++mark.read;
        else if (mark.failedAt < 0)
            mark.failedAt = cell;
        if (how.cellDone)
            how.cellDone(cell, mark);
        if (!mark.cells[size_t(cell)] && how.stopAtFailure)
            return mark;
    }
    return mark;
}

QString cellName(int index) {
    return QStringLiteral("cell %1,%2").arg(index / kMarkColumns + 1).arg(index % kMarkColumns + 1);
}

// The state of a printer fresh from the box: a text between two small logos over a date and a
// counter, a third logo in its slot, and parameters in their middle ranges.
#include "PrinterState.h"

#include <QTimeZone>

namespace printer {

namespace {

// A logo drawn as text rows from the top ('#' a dot); its height is a whole number of bytes.
Logo drawnLogo(const char *name, std::initializer_list<const char *> rows) {
    Logo logo;
    const int height = int(rows.size());
    logo.bytesPerColumn = (height + 7) / 8;
    logo.columns = int(qstrlen(*rows.begin()));
    logo.name = QByteArray(name).leftJustified(8, ' ', true);
    logo.data = QByteArray(logo.bytesPerColumn * logo.columns, char(0xFF));
    const int dots = 8 * logo.bytesPerColumn;
    int y = dots - height; // rows are drawn at the bottom of the column
    for (const char *row : rows) {
        for (int c = 0; c < logo.columns; ++c) {
            if (row[c] != '#')
                continue;
            const int fromBottom = dots - 1 - y;
            char &byte = logo.data[c * logo.bytesPerColumn + fromBottom / 8];
            byte = char(quint8(byte) & ~(1 << (fromBottom % 8))); // a dot is a 0 bit
        }
        ++y;
    }
    return logo;
}

Fragment textFragment(Fragment::Kind kind, int font, const char *text) {
    Fragment f;
    f.kind = kind;
    f.font = quint8(font);
    f.text = text;
    return f;
}

} // namespace

PrinterState firstState(qint64 nowMs) {
    PrinterState s;
    s.logos[0] = drawnLogo(
        "STAR", {".......##.......", ".......##.......", "......####......", "......####......",
                 ".....######.....", "################", ".##############.", "..############..",
                 "...##########...", "....########....", "....########....", "...####..####...",
                 "...###....###...", "..###......###..", "..##........##..", ".#............#."});
    s.logos[1] = drawnLogo(
        "ARROW", {"........#.......", "........##......", "........###.....", "........####....",
                  "........#####...", "##############..", "###############.", "################",
                  "################", "###############.", "##############..", "........#####...",
                  "........####....", "........###.....", "........##......", "........#......."});
    s.logos[2] = drawnLogo("FRAME", {"########################", "#......................#",
                                     "#.####################.#", "#.#..................#.#",
                                     "#.#..................#.#", "#.#..................#.#",
                                     "#.####################.#", "#......................#",
                                     "########################"});

    Fragment star;
    star.kind = Fragment::Kind::Graphic;
    star.logo = 0;
    Fragment arrow = star;
    arrow.logo = 1;
    s.cell(1, 1) = star;
    s.cell(1, 2) = textFragment(Fragment::Kind::Text, 3, "STAMPLINE");
    s.cell(1, 3) = arrow;
    s.cell(2, 1) = textFragment(Fragment::Kind::TimeDate, 1, "DD.MM.YYYY");
    s.cell(2, 2) = textFragment(Fragment::Kind::Text, 1, " LOT ");
    s.writeCounter(2, 3, "00001");
    s.cell(2, 3).font = 1;

    s.parameters = {50, 20, 64, 40, 2, 30, 1, 8, 1, 100, 0, 1, 0};
    s.autoRunPeriod = 10;
    s.axl = 1200;
    // The clock starts on the local time of the machine it runs on.
    s.clockOffsetMs =
        qint64(QTimeZone::systemTimeZone().offsetFromUtc(QDateTime::fromMSecsSinceEpoch(nowMs))) *
        1000;
    s.lastPrintMs = nowMs;
    return s;
}

} // namespace printer

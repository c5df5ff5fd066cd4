#pragma once
// The clipboard import: the clipboard's picture (or, when it holds none, its text) drawn scaled
// proportionally to a height of H pixels into a white capture, the dark-pixel scan of that
// capture, the height fit that brings the dark rows to the chosen height, and the fitted capture
// laid on the band with its last dark row on the band's bottom row.

#include <QImage>
#include <QString>

class LogoBand;

// The capture: columns 0 to 1280 are scanned for dark pixels and two columns beyond the rightmost
// dark one are taken over; 49 rows.
inline constexpr int kScanColumns = 1281;
inline constexpr int kCaptureColumns = kScanColumns + 2;
inline constexpr int kCaptureRows = 49;

// What the clipboard offered, taken once so every pass of the fit draws the same thing.
struct ClipboardPicture {
    QImage image; // a picture, when the clipboard holds one
    QString text; // otherwise its text

    static ClipboardPicture fromClipboard();
    bool usable() const;
};

// The capture with the picture scaled to `height` rows from its top left corner; a null image
// when there is nothing to draw. A picture keeps its pixels (the nearest one is taken); a text is
// drawn in black without smoothing, so that every pixel of it is black or white.
QImage rasterise(const ClipboardPicture &picture, int height);

// Dark pixels (black, or the grey 808080) of the capture's scanned columns.
struct DarkPixels {
    bool found = false;
    int first = 0; // first row after row 0 that holds one; 0 when none does
    int last = 0;  // last row that holds one
    int right = 0; // rightmost column that holds one
};
DarkPixels scanDark(const QImage &capture);

struct HeightFit {
    enum class Outcome {
        Fitted,
        NotSupported, // the clipboard holds nothing that can be taken as a picture
        NoInk,        // it does, but nothing dark is in it
    };
    Outcome outcome = Outcome::NotSupported;
    QImage capture; // at the height the fit ended with
    DarkPixels dark;
    int height = 0; // H the fit ended with
    int passes = 0;
};

// Brings last − first dark row to the chosen text height (31 when 32 is chosen): starting at H =
// that height, each pass that misses grows or shrinks H by the next of T/2, T/4, T/8, 4, 2, 1;
// when all six are used the fit ends with the last H.
HeightFit fitHeight(const ClipboardPicture &picture, int chosenHeight);

// The band made from a fitted capture: every pixel of columns 0 to right + 2 and rows 0 to
// last + 1 that differs from the capture's top left pixel becomes a dot, capture row y on band
// row 31 − last + y; the width value becomes right + 1.
void placeOnBand(const HeightFit &fit, LogoBand &band);

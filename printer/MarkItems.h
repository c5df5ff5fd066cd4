#pragma once
// The current mark as the printer draws it: what each cell shows at a given moment, and the
// picture in the form a mark read sends it.

#include "PrinterState.h"
#include "Render.h"

#include <vector>

namespace printer {

// Expands the clock codes of a time/date format: DD day, MM month, YY and YYYY year, HH hour,
// XX minute, SS second, WW week of the year, UUU day of the year. Other characters stay.
QByteArray expandTimeDate(const QByteArray &format, const QDateTime &clock);
// Expands the date codes of a post-date format (DD, MM, YY, YYYY) for `date`.
QByteArray expandPostDate(const QByteArray &format, const QDate &date);

// What a cell shows now, in the wire code page (empty for a graphic cell).
QByteArray shownText(const PrinterState &state, int row, int column, qint64 nowMs);

// A logo's columns, one word a column, bit y = the dot y rows from the top.
std::vector<quint32> logoColumns(const Logo &logo);

// Every non-empty cell as an item to lay out.
std::vector<RenderItem> markItems(const PrinterState &state, qint64 nowMs);

// The reply to a mark read: height in bands, length low and high (length = low + 255 x high),
// the columns (byte 0 the bottom band, bit 7 its upper dot, a printed dot a 0 bit), then FF
// padding up to 5120 picture bytes.
QByteArray markReply(const MarkPicture &picture);

inline constexpr int kMarkPictureBytes = 5120;

} // namespace printer

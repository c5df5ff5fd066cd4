#include "MarkItems.h"

#include <QStringDecoder>

namespace printer {

namespace {

QByteArray digits(int value, int width) {
    return QByteArray::number(value).rightJustified(width, '0');
}

// Replaces the codes of `format` with what `expand` gives for them; the longest code wins.
template <typename Expand>
QByteArray expandCodes(const QByteArray &format, std::initializer_list<const char *> codes,
                       Expand expand) {
    QByteArray out;
    for (qsizetype i = 0; i < format.size();) {
        const char *found = nullptr;
        for (const char *code : codes)
            if (format.mid(i).startsWith(code) && (!found || qstrlen(code) > qstrlen(found)))
                found = code;
        if (found) {
            out += expand(QByteArray(found));
            i += qstrlen(found);
        } else {
            out += format[i++];
        }
    }
    return out;
}

QByteArray dateCode(const QByteArray &code, const QDate &date) {
    if (code == "DD")
        return digits(date.day(), 2);
    if (code == "MM")
        return digits(date.month(), 2);
    if (code == "YY")
        return digits(date.year() % 100, 2);
    if (code == "YYYY")
        return digits(date.year(), 4);
    return code;
}

QString fromWireText(const QByteArray &bytes) {
    QStringDecoder decoder("windows-1251");
    return decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
}

} // namespace

QByteArray expandTimeDate(const QByteArray &format, const QDateTime &clock) {
    const QDate date = clock.date();
    const QTime time = clock.time();
    return expandCodes(format, {"DD", "MM", "YY", "YYYY", "HH", "XX", "SS", "WW", "UUU"},
                       [&](const QByteArray &code) {
                           if (code == "HH")
                               return digits(time.hour(), 2);
                           if (code == "XX")
                               return digits(time.minute(), 2);
                           if (code == "SS")
                               return digits(time.second(), 2);
                           if (code == "WW")
                               return digits(date.weekNumber(), 2);
                           if (code == "UUU")
                               return digits(date.dayOfYear(), 3);
                           return dateCode(code, date);
                       });
}

QByteArray expandPostDate(const QByteArray &format, const QDate &date) {
    return expandCodes(format, {"DD", "MM", "YY", "YYYY"},
                       [&](const QByteArray &code) { return dateCode(code, date); });
}

QByteArray shownText(const PrinterState &state, int row, int column, qint64 nowMs) {
    const Fragment &f = state.cell(row, column);
    switch (f.kind) {
    case Fragment::Kind::Text:
        return f.text;
    case Fragment::Kind::Graphic:
        return {};
    case Fragment::Kind::TimeDate:
        return expandTimeDate(f.text, state.clock(nowMs));
    case Fragment::Kind::PostDate:
        return expandPostDate(f.text, state.clock(nowMs).date().addDays(state.postDays));
    case Fragment::Kind::Counter:
        if (state.isSpecialCell(row, column))
            return QByteArray::number(state.specialValue).rightJustified(f.text.size(), '0');
        return f.counterText();
    }
    return {};
}

std::vector<quint32> logoColumns(const Logo &logo) {
    std::vector<quint32> columns;
    if (logo.isEmpty())
        return columns;
    const int height = 8 * logo.bytesPerColumn;
    for (int c = 0; c < logo.columns; ++c) {
        quint32 word = 0;
        for (int y = 0; y < height; ++y)
            if (logo.dot(c, y))
                word |= quint32(1) << y;
        columns.push_back(word);
    }
    return columns;
}

std::vector<RenderItem> markItems(const PrinterState &state, qint64 nowMs) {
    std::vector<RenderItem> items;
    for (int row = 1; row <= kRows; ++row)
        for (int column = 1; column <= kColumns; ++column) {
            const Fragment &f = state.cell(row, column);
            RenderItem item;
            item.row = row;
            item.column = column;
            if (f.kind == Fragment::Kind::Graphic) {
                const Logo &logo = state.logos[size_t(f.logo)];
                item.logo = logoColumns(logo);
                item.logoHeight = 8 * logo.bytesPerColumn;
                if (item.logo.empty())
                    continue;
            } else {
                item.text = fromWireText(shownText(state, row, column, nowMs));
                item.font = f.font;
                if (item.text.isEmpty())
                    continue;
            }
            items.push_back(std::move(item));
        }
    return items;
}

QByteArray markReply(const MarkPicture &picture) {
    const int bands = qBound(0, picture.bands, 4);
    const int length = bands == 0 ? 0 : int(picture.columns.size());
    QByteArray reply;
    reply += char(bands);
    reply += char(length % 255);
    reply += char(length / 255);
    for (int c = 0; c < length; ++c) {
        const quint32 word = picture.columns[size_t(c)];
        for (int k = 0; k < bands; ++k) {
            // Band k counts from the bottom; its bit 7 is its upper dot.
            const int top = (bands - 1 - k) * 8;
            quint8 dots = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (word & (quint32(1) << (top + 7 - bit)))
                    dots |= quint8(1 << bit);
            reply += char(~dots); // a printed dot is a 0 bit
        }
    }
    reply += QByteArray(qMax(0, kMarkPictureBytes - bands * length), char(0xFF));
    return reply;
}

} // namespace printer

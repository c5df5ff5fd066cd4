#pragma once
// The printer's state block: the bytes that ReadTimeParams returns, numbered from 1.

#include <QtGlobal>
#include <array>

struct StateBlock {
    std::array<quint8, 14> bytes{};
    int received = 0; // how many of the 14 the last read filled

    quint8 byte(int number) const { return bytes[size_t(number - 1)]; }
    quint8 switches() const { return byte(1); }
    int postDateDays() const { return byte(2) + 256 * byte(3); }
    quint8 seconds() const { return byte(4); } // packed BCD
    quint8 minutes() const { return byte(5); }
    quint8 hours() const { return byte(6); }
    quint8 day() const { return byte(8); }
    quint8 month() const { return byte(9); }
    quint8 year() const { return byte(10); }
    int autoRunPeriod() const { return byte(11); }
    int axl() const { return 256 * byte(12) + byte(13); }
    int fontCount() const { return byte(14); }
};

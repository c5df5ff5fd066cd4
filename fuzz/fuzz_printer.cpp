// Every byte a host can send the virtual printer. The input is the host's bytes, with FF as an
// escape for what happens between them:
//   FF 00     the exchange ends (the host reopens the line or falls silent)
//   FF 01 b   b is lost on the line (sent at another rate)
//   FF 02 n   the next reply stops after n bytes      FF 03 n  silence from the n-th byte on
//   FF 04 n   the n-th byte's echo is wrong           FF 05 n  the next n bytes are lost
//   FF 06     the next logo read has a bad name checksum
//   FF 07 k   the next mark read does not fit the host's store (k picks how)
//   FF FF     the byte FF itself
// Any other byte after FF is an FF followed by that byte.

#include "VirtualPrinter.h"

#include <cstdint>
#include <cstdlib>

using namespace printer;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    constexpr qint64 kNoon = 1'780'000'000'000; // a fixed clock: every run the same
    VirtualPrinter p(firstState(kNoon), [] { return kNoon; });
    size_t at = 0;
    const auto next = [&]() -> int { return at < size ? data[at++] : -1; };
    for (int b = next(); b >= 0; b = next()) {
        if (b != 0xFF) {
            p.feed(quint8(b));
            continue;
        }
        const int op = next();
        const int arg = op >= 1 && op <= 7 && op != 6 ? next() : 0;
        if (arg < 0)
            break;
        switch (op) {
        case -1:
            p.feed(0xFF);
            break;
        case 0:
            p.endExchange();
            break;
        case 1:
            p.lose(quint8(arg));
            break;
        case 2:
            p.shortReply(arg);
            break;
        case 3:
            p.silenceFrom(arg);
            break;
        case 4:
            p.wrongEchoAt(arg);
            break;
        case 5:
            p.cutLine(arg);
            break;
        case 6:
            p.badNameChecksum();
            break;
        case 7:
            p.oversizeMark(arg % 2 ? OversizeMark::TooManyBytes : OversizeMark::Height5);
            break;
        case 0xFF:
            p.feed(0xFF);
            break;
        default:
            p.feed(0xFF);
            p.feed(quint8(op));
            break;
        }
    }
    p.endExchange();
    return 0;
}

// The printer's side of the logo transfers, the names list and the mark read.
#include "CommandSet.h"
#include "MarkItems.h"

#include <algorithm>

namespace printer {

namespace {

// The reply header and picture bytes for a logo: B, C, then its B x C data bytes.
QByteArray logoHead(const Logo &logo) {
    QByteArray out;
    out += char(logo.bytesPerColumn);
    out += char(logo.columns);
    out += logo.data;
    return out;
}

quint8 checksumOf(const QByteArray &name) {
    quint8 sum = 0;
    for (char c : name)
        sum = quint8(sum + quint8(c));
    return quint8(0x100 - sum);
}

} // namespace

ByteTask CommandSet::prefix07() {
    const quint8 second = co_await line.acked();
    if (second == 0x00) {
        co_await readLogoPreview();
    } else if (second == 0x01) {
        co_await readLogo();
    } else if (second == 0x08) {
        if (co_await line.acked() == 0x08)
            co_await readMarkImage();
    } else if (second == 0x89) {
        co_await writeLogo();
    } else if (second == 'A') {
        name("KeyboardSelect");
        state.keyboardSelected = true;
    }
}

ByteTask CommandSet::readLogoNamesList() {
    name("ReadLogoNamesList");
    // The count travels as one byte: a list of all 256 slots answers its first 255.
    line.reply(char(state.namesListCount()) + state.namesList());
    co_return;
}

ByteTask CommandSet::readLogoPreview() {
    const quint8 slot = co_await line.acked();
    name("ReadLogoPreview");
    co_await sendAndTakeAck(logoHead(state.logos[slot]));
}

ByteTask CommandSet::readLogo() {
    const quint8 slot = co_await line.acked();
    name("ReadLogo");
    const Logo &logo = state.logos[slot];
    QByteArray reply = logoHead(logo);
    // The rest of the 500-byte data area and the filler byte; an empty slot sends only its name.
    if (!logo.isEmpty())
        reply += QByteArray(kLogoDataBytes + 1 - logo.data.size(), char(0xFF));
    const QByteArray logoName = logo.name.leftJustified(8, ' ', true);
    quint8 checksum = checksumOf(logoName);
    if (std::exchange(faults.badNameChecksum, false))
        checksum = quint8(checksum + 1);
    reply += logoName + char(checksum);
    co_await sendAndTakeAck(reply);
}

ByteTask CommandSet::writeLogo() {
    const quint8 slot = co_await line.acked();
    name("WriteLogo");
    // Size and frame come raw, without echoes: B, C, then 500 data bytes, FF, name, checksum.
    const int B = co_await line.raw();
    const int C = co_await line.raw();
    QByteArray frame;
    while (frame.size() < 510)
        frame += char(co_await line.raw());
    const QByteArray data = frame.left(B * C);
    const QByteArray logoName = frame.mid(501, 8);
    const bool fits = B >= 1 && B <= 4 && C >= 1 && B * C <= kLogoDataBytes;
    const bool sound = fits && quint8(frame[509]) == checksumOf(logoName);
    if (sound) {
        Logo &logo = state.logos[slot];
        // The host deletes a logo by writing one blank column of 4 bytes under an empty name.
        const bool deletion =
            B == 4 && C == 1 && data == QByteArray(4, char(0xFF)) && logoName == QByteArray(8, ' ');
        if (deletion) {
            logo = Logo{};
        } else {
            logo.bytesPerColumn = B;
            logo.columns = C;
            logo.data = data;
            logo.name = logoName;
        }
        touched();
    }
    // 's' says stored; anything else refuses the frame. The host echoes the byte back.
    const quint8 answer = sound ? 's' : 'e';
    line.reply(answer);
    co_await swallow(answer);
}

ByteTask CommandSet::readMarkImage() {
    name("ReadMarkImage");
    const MarkPicture picture = renderMark(markItems(state, now()));
    QByteArray reply = markReply(picture);
    if (const auto oversize = std::exchange(faults.oversizeMark, std::nullopt)) {
        // A picture the host cannot hold: five bands, or more than 5120 bytes.
        const int bands = *oversize == OversizeMark::Height5 ? 5 : 4;
        const int length = *oversize == OversizeMark::Height5 ? 16 : 1281;
        reply = QByteArray(1, char(bands)) + char(length % 255) + char(length / 255);
        reply += QByteArray(std::max(kMarkPictureBytes, bands * length), char(0xFF));
    }
    line.reply(reply);
    co_return;
}

} // namespace printer

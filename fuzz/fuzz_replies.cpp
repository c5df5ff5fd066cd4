// Every reply the printer can send: an in-process printer answers each wait with the next byte of
// the input. The first input byte picks the operation (its low five bits) and whether the echoes
// come from the input too (bit 7) or are always right.

#include "Functions.h"
#include "InProcessLine.h"
#include "Require.h"
#include "WireText.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
class ReplyPeer : public LinePeer {
public:
    ReplyPeer(const uint8_t *bytes, size_t count, bool fuzzedEchoes)
        : data(bytes), size(count), echoesFromInput(fuzzedEchoes) {}
    void setRate(int) override {}
    QByteArray receive(quint8 byte) override {
        return echoesFromInput ? next() : QByteArray(1, char(byte));
    }
    QByteArray idle() override { return next(); }

private:
    QByteArray next() { return at < size ? QByteArray(1, char(data[at++])) : QByteArray(); }

    const uint8_t *data;
    size_t size;
    size_t at = 0;
    bool echoesFromInput;
};

// What every user of a logo image relies on after a good read.
void checkLogo(const LogoImage &image) {
    const int B = image.bytesPerColumn, C = image.columnCount;
    require((B == 32 && C == 32) || (B >= 0 && B <= 4 && C >= 0 && B * C <= 500));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    const auto peer = std::make_shared<ReplyPeer>(data + 1, size - 1, (data[0] & 0x80) != 0);
    PortState state;
    state.openLine = [peer](const QString &, QString *) {
        return std::make_unique<InProcessLine>(peer);
    };
    state.portName = QStringLiteral("Com1");
    state.baudName = QStringLiteral("57600");
    Functions f(state);

    switch (data[0] & 0x1F) {
    case 0: {
        FragmentReply cell;
        if (f.ReadFragment(1, 1, cell))
            require(cell.text.size() <= 255);
        fromWire(cell.text);
        break;
    }
    case 1: {
        auto image = std::make_unique<LogoImage>();
        QByteArray name;
        if (f.ReadLogo(5, *image, name)) {
            checkLogo(*image);
            require(name.isEmpty() || name.size() == 8);
        }
        break;
    }
    case 2: {
        auto image = std::make_unique<LogoImage>();
        if (f.ReadLogoPreview(5, *image))
            checkLogo(*image);
        break;
    }
    case 3: {
        auto image = std::make_unique<LogoImage>();
        if (f.RenameLogo(5, "NAME", *image))
            checkLogo(*image);
        break;
    }
    case 4: {
        auto mark = std::make_unique<MarkImage>();
        int last = 0;
        const bool ok = f.ReadMarkImage(*mark, [&](int position) {
            require(position >= 0 && position <= 20);
            last = position;
            return true;
        });
        if (ok) {
            require(mark->height >= 0 && mark->height <= 4);
            require(mark->length >= 0 && mark->height * mark->length <= MarkImage::kImageBytes);
            require(last == 20);
            int dots = 0;
            for (int x = 0; x < mark->length; ++x)
                for (int y = 0; y < mark->height * 8; ++y)
                    dots += mark->dot(x, y) ? 1 : 0;
            require(dots <= mark->height * 8 * mark->length);
        }
        break;
    }
    case 5: {
        StateBlock block;
        if (f.ReadTimeParams(block))
            require(block.received >= 0 && block.received <= 14);
        break;
    }
    case 6: {
        LogoNames names;
        if (f.ReadLogoNamesList(names)) {
            require(names.records.size() == names.count * 10);
            for (int i = -1; i <= names.count; ++i)
                LogoNumberAt(names, i);
            for (int number = 0; number < 256; ++number)
                LogoNameOf(names, number);
        }
        break;
    }
    case 7: {
        QByteArray text;
        if (f.ReadScript(text))
            fromWire(text);
        break;
    }
    case 8: {
        QByteArray text;
        // The ink-system read goes out on the port as it stands: open it first.
        if (f.Connect() && f.ReadHydroStatus(text))
            require(text.size() == 38);
        break;
    }
    case 9:
    case 10:
    case 11: {
        quint8 value = 0;
        const quint8 code = 'B';
        if (data[0] % 3 == 0)
            f.ReadParam(code, value);
        else if (data[0] % 3 == 1)
            f.IncreaseParam(code, value);
        else
            f.DecreaseParam(code, value);
        break;
    }
    case 12: {
        quint8 status = 0;
        f.ReadByteStatus(status);
        break;
    }
    case 13: {
        auto image = std::make_unique<LogoImage>();
        image->fill(0x5A);
        f.WriteLogo(7, 4, 125, "LOGO", *image);
        break;
    }
    case 14: {
        auto image = std::make_unique<LogoImage>();
        f.DeleteLogo(7, *image);
        break;
    }
    case 15: {
        if (f.FindDevice())
            require(portIndexOf(state.portName) >= 0 && baudIndexOf(state.baudName) >= 0);
        break;
    }
    case 16: {
        if (f.Connect())
            f.ReceiveByte();
        break;
    }
    case 17:
        f.WriteSpecFunc("3", "1", "99", "1", "1", "2");
        break;
    case 18:
        f.MarkStorage(data[0] % 3, 4);
        break;
    case 19:
        f.WritePostDateFragment(2, 3, "005", "DD.MM");
        break;
    }
    return 0;
}

// A whole backup read from a printer that answers whatever the input says, and a restore into
// one: the in-process line answers each wait with the next input byte (and, when the first byte's
// bit 0 says so, every echo too). A backup that is read must be one that a restore would take,
// and must survive being written and read again; a transfer that ends early says where.

#include "BackupTransfer.h"
#include "InProcessLine.h"
#include "Require.h"

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

void checkEnd(const backup::Outcome &o) {
    require(o.done >= 0 && o.done <= o.total);
    if (!o.ok())
        require(o.end == backup::Outcome::End::Refused || !o.step.isEmpty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    const auto peer = std::make_shared<ReplyPeer>(data + 1, size - 1, (data[0] & 1) != 0);
    PortState state;
    state.openLine = [peer](const QString &, QString *) {
        return std::make_unique<InProcessLine>(peer);
    };
    state.portName = QStringLiteral("Com1");
    state.baudName = QStringLiteral("57600");
    Functions f(state);
    // The printer is asked at most this often: a transfer always ends.
    int asked = 0;
    const backup::Progress progress = [&asked](int, int) { return ++asked < 4000; };

    backup::Backup b;
    const backup::Outcome read = backup::backUp(f, b, progress);
    checkEnd(read);
    if (!read.ok())
        return 0;
    require(!backup::validate(b));
    const QByteArray written = backup::toJson(b);
    const backup::Parsed again = backup::parseBackup(written);
    require(again.backup && backup::toJson(*again.backup) == written);
    checkEnd(backup::restore(f, b, progress));
    return 0;
}

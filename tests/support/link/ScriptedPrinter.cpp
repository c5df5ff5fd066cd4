#include "ScriptedPrinter.h"

QByteArray bytes(const char *hex) {
    QByteArray digits(hex);
    digits.replace(' ', QByteArray());
    return QByteArray::fromHex(digits);
}

QString hexOf(const QByteArray &data) {
    return QString::fromLatin1(data.toHex(' ').toUpper());
}

QByteArray nameWithChecksum(const QByteArray &name8) {
    return name8 + QByteArray(1, char(nameChecksum(name8)));
}

QByteArray logoFrameBytes(const QByteArray &data, const QByteArray &name) {
    QByteArray frame = data;
    frame.append(501 - data.size(), char(0xFF));
    return frame + nameWithChecksum(name.leftJustified(8, ' ', true));
}

ScriptedPrinter &ScriptedPrinter::add(Kind kind, const QByteArray &data, int waits) {
    if (!data.isEmpty() || kind == Kind::Late)
        steps.append({kind, data, waits});
    return *this;
}

ScriptedPrinter &ScriptedPrinter::expect(const QByteArray &host) {
    return add(Kind::Echoed, host);
}

ScriptedPrinter &ScriptedPrinter::expectRaw(const QByteArray &host) {
    return add(Kind::Raw, host);
}

ScriptedPrinter &ScriptedPrinter::reply(const QByteArray &data) {
    return add(Kind::Reply, data);
}

ScriptedPrinter &ScriptedPrinter::replyAfterWaits(const QByteArray &data, int waits) {
    return add(Kind::Late, data, waits);
}

ScriptedPrinter &ScriptedPrinter::expectLogoWrite(const QByteArray &command,
                                                  const QByteArray &sizes,
                                                  const QByteArray &frame) {
    return expect(command).expectRaw(sizes).expectRaw(frame).reply("s").expectRaw("s");
}

void ScriptedPrinter::playReplies(QByteArray &out) {
    while (step < steps.size() && steps[step].kind == Kind::Reply)
        out += steps[step++].data;
    waited = 0;
}

QByteArray ScriptedPrinter::sendOut(const QByteArray &out, int echoes) {
    QByteArray sentNow;
    for (qsizetype i = 0; i < out.size(); ++i, ++sent) {
        if (silenceAt >= 0 && sent >= silenceAt)
            continue;
        quint8 b = quint8(out[i]);
        if (sent == wrongByteAt)
            b = quint8(~b);
        sentNow.append(char(b));
        wire.append({false, b, lineRate, i < echoes, openCount});
    }
    return sentNow;
}

QByteArray ScriptedPrinter::receive(quint8 byte) {
    wire.append({true, byte, lineRate, false, openCount});
    const int hostIndex = hostCount++;
    if (lineRate != printerRate || !deviation.isEmpty())
        return {}; // garbled at the wrong rate, or the script is broken off
    if (step == steps.size() || steps[step].kind == Kind::Late) {
        deviation = QStringLiteral("unexpected host byte %1 (host byte #%2)")
                        .arg(hexOf(QByteArray(1, char(byte))))
                        .arg(hostIndex);
        return {};
    }
    const Step &s = steps[step];
    const quint8 wanted = quint8(s.data[at]);
    if (byte != wanted) {
        deviation = QStringLiteral("host byte #%1 is %2, expected %3 (step %4, byte %5)")
                        .arg(hostIndex)
                        .arg(hexOf(QByteArray(1, char(byte))), hexOf(QByteArray(1, char(wanted))))
                        .arg(step)
                        .arg(at);
        return {};
    }
    QByteArray out;
    int echoes = 0;
    if (s.kind == Kind::Echoed) {
        out.append(char(byte));
        echoes = 1;
    }
    if (++at == s.data.size()) {
        at = 0;
        ++step;
        playReplies(out);
    }
    return sendOut(out, echoes);
}

QByteArray ScriptedPrinter::idle() {
    if (!deviation.isEmpty() || step == steps.size() || steps[step].kind != Kind::Late)
        return {};
    if (waited++ < steps[step].waits)
        return {};
    QByteArray out = steps[step++].data;
    playReplies(out);
    return sendOut(out, 0);
}

QByteArray ScriptedPrinter::hostBytesAt(int rate) const {
    QByteArray out;
    for (const WireByte &w : wire)
        if (w.fromHost && (rate == 0 || w.rate == rate))
            out.append(char(w.value));
    return out;
}

QByteArray ScriptedPrinter::hostBytes() const {
    return hostBytesAt(0);
}

QByteArray ScriptedPrinter::printerBytes() const {
    QByteArray out;
    for (const WireByte &w : wire)
        if (!w.fromHost)
            out.append(char(w.value));
    return out;
}

QString ScriptedPrinter::problem() const {
    if (!deviation.isEmpty())
        return deviation;
    if (step < steps.size())
        return QStringLiteral("script stopped at step %1 of %2 (byte %3); host sent %4")
            .arg(step)
            .arg(steps.size())
            .arg(at)
            .arg(hexOf(hostBytes().right(16)));
    return {};
}

void attachPorts(PortState &state, const std::array<std::shared_ptr<LinePeer>, 4> &peers) {
    for (int i = 0; i < 4; ++i)
        state.ports.devices[size_t(i)] = QStringLiteral("scripted:COM%1").arg(i + 1);
    state.openLine = [peers](const QString &device, QString *) -> std::unique_ptr<SerialLine> {
        for (int i = 0; i < 4; ++i)
            if (peers[size_t(i)] && device == QStringLiteral("scripted:COM%1").arg(i + 1))
                return std::make_unique<InProcessLine>(peers[size_t(i)]);
        return nullptr;
    };
}

PrinterRig::PrinterRig(int rate) : printer(std::make_shared<ScriptedPrinter>(rate)) {
    attachPorts(state, {printer, nullptr, nullptr, nullptr});
    state.portName = QStringLiteral("Com1");
    state.baudName = QString::number(rate);
    state.trace = [this](bool sentByHost, quint8 byte) {
        if (!sentByHost)
            hostRead.append(char(byte));
    };
}

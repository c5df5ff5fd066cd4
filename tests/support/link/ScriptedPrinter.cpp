#include "ScriptedPrinter.h"
#include "Exchange.h"

#include <QTest>

QByteArray bytes(const char *hex) {
    QByteArray digits(hex);
    digits.replace(' ', QByteArray());
    return QByteArray::fromHex(digits);
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
                        .arg(hexBytes(QByteArray(1, char(byte))))
                        .arg(hostIndex);
        return {};
    }
    const Step &s = steps[step];
    const quint8 wanted = quint8(s.data[at]);
    if (byte != wanted) {
        deviation =
            QStringLiteral("host byte #%1 is %2, expected %3 (step %4, byte %5)")
                .arg(hostIndex)
                .arg(hexBytes(QByteArray(1, char(byte))), hexBytes(QByteArray(1, char(wanted))))
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

QByteArray ScriptedPrinter::bytesFrom(bool host) const {
    QByteArray out;
    for (const WireByte &w : wire)
        if (w.fromHost == host)
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
            .arg(hexBytes(hostBytes().right(16)));
    return {};
}

void checkGoesThrough(PrinterRig &rig, const std::function<void(ScriptedPrinter &)> &script,
                      const std::function<bool(Functions &)> &run) {
    script(*rig.printer);
    QVERIFY(run(rig.f));
    QVERIFY2(rig.printer->done(), qPrintable(rig.printer->problem()));
}

void checkFailureAtEveryByte(const std::function<void(ScriptedPrinter &)> &script,
                             const std::function<bool(Functions &)> &run) {
    PrinterRig good;
    checkGoesThrough(good, script, run);
    if (QTest::currentTestFailed())
        return;
    // The printer's bytes the host read (one it never reads, an answer it ignores, cannot fail
    // it): whether each is an echo, and how many host bytes crossed before it.
    QList<std::pair<bool, int>> printerBytes;
    int host = 0;
    for (const WireByte &w : good.printer->transcript())
        if (w.fromHost)
            ++host;
        else if (printerBytes.size() < good.hostRead.size())
            printerBytes.append({w.echo, host});
    for (const bool silence : {true, false}) {
        for (int i = 0; i < printerBytes.size(); ++i) {
            if (!silence && !printerBytes[i].first)
                continue;
            PrinterRig failing;
            script(*failing.printer);
            if (silence)
                failing.printer->silentFrom(i);
            else
                failing.printer->wrongAt(i);
            const QString what = (silence ? QStringLiteral("silent from printer byte %1")
                                          : QStringLiteral("wrong echo %1"))
                                     .arg(i);
            QVERIFY2(!run(failing.f), qPrintable(what));
            const QByteArray sent = failing.printer->hostBytes();
            QVERIFY2(sent == good.printer->hostBytes().left(printerBytes[i].second),
                     qPrintable(what + QStringLiteral(": host sent ") + hexBytes(sent.right(12))));
        }
    }
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

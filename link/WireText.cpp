#include "WireText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
QByteArray &codePage() {
#ifdef Q_OS_WIN
    static QByteArray name = "System";
#else
    static QByteArray name = "windows-1251";
#endif
    return name;
}
} // namespace

QByteArray wireCodePage() { return codePage(); }

void setWireCodePage(const QByteArray &name) { codePage() = name; }

QByteArray toWire(const QString &text) {
    QStringEncoder encoder(codePage().constData());
    if (!encoder.isValid())
        return text.toLatin1();
    return encoder.encode(text);
}

QString fromWire(const QByteArray &bytes) {
    QStringDecoder decoder(codePage().constData());
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QString trimBlanks(const QString &text) {
    qsizetype from = 0, to = text.size();
    while (from < to && text[from].unicode() <= ' ')
        ++from;
    while (to > from && text[to - 1].unicode() <= ' ')
        --to;
    return text.mid(from, to - from);
}

QByteArray trimBlanks(const QByteArray &bytes) {
    qsizetype from = 0, to = bytes.size();
    while (from < to && quint8(bytes[from]) <= ' ')
        ++from;
    while (to > from && quint8(bytes[to - 1]) <= ' ')
        --to;
    return bytes.mid(from, to - from);
}

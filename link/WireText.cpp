#include "WireText.h"

#include <QDebug>
#include <QStringDecoder>
#include <QStringEncoder>
#include <utility>

namespace {
// The host's code page: windows-1251, or on Windows the system's ANSI code page.
template <class Converter> Converter converter() {
#ifdef Q_OS_WIN
    return Converter(QStringConverter::System);
#else
    Converter c("windows-1251");
    if (!c.isValid()) {
        static bool warned = false;
        if (!std::exchange(warned, true))
            qWarning("windows-1251 is not available: texts go out as Latin-1");
        return Converter(QStringConverter::Latin1);
    }
    return c;
#endif
}
} // namespace

QByteArray wireCodePage() {
#ifdef Q_OS_WIN
    return QByteArrayLiteral("the system's ANSI code page");
#else
    return QByteArrayLiteral("windows-1251");
#endif
}

QByteArray toWire(const QString &text) {
    auto encoder = converter<QStringEncoder>();
    return encoder.encode(text);
}

QString fromWire(const QByteArray &bytes) {
    auto decoder = converter<QStringDecoder>();
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

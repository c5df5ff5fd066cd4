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

qsizetype controlByteAt(const QByteArray &bytes) {
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (quint8(bytes[i]) < 0x20)
            return i;
    return -1;
}

std::optional<QString> wireTextFault(const QString &text) {
    const QByteArray bytes = toWire(text);
    if (controlByteAt(bytes) < 0 && fromWire(bytes) == text)
        return std::nullopt;
    // Character by character, to name the first one that cannot go.
    const QList<uint> points = text.toUcs4();
    for (qsizetype i = 0; i < points.size(); ++i) {
        const uint point = points[i];
        if (point < 0x20) {
            const QString hex = QStringLiteral("%1").arg(point, 2, 16, QLatin1Char('0')).toUpper();
            return QStringLiteral("holds a control character (%1h) at position %2")
                .arg(hex)
                .arg(i + 1);
        }
        const QString character = QString::fromUcs4(reinterpret_cast<const char32_t *>(&point), 1);
        if (fromWire(toWire(character)) != character)
            return QStringLiteral("holds \"%1\" at position %2, which the printer's code page (%3) "
                                  "lacks")
                .arg(character)
                .arg(i + 1)
                .arg(QString::fromLatin1(wireCodePage()));
    }
    return std::nullopt;
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

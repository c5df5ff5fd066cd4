#include "Exchange.h"

namespace {
QString hex(quint8 byte) {
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}
} // namespace

QString Exchange::echoVerdict() const {
    if (ok && unanswered > 0)
        return QStringLiteral("%1 echoed, %2 not").arg(echoed).arg(unanswered);
    switch (fault) {
    case EchoFault::Missing:
        return QStringLiteral("no echo for %1").arg(hex(faultByte));
    case EchoFault::Wrong:
        return QStringLiteral("%1 for %2").arg(hex(faultEcho), hex(faultByte));
    case EchoFault::None:
        break;
    }
    return echoed > 0 ? QStringLiteral("%1 echoed").arg(echoed) : QStringLiteral("none asked");
}

QString hexBytes(const QByteArray &bytes) {
    QString text;
    text.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            text += QLatin1Char(' ');
        text += hex(quint8(bytes[i]));
    }
    return text;
}

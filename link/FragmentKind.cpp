#include "FragmentKind.h"

CellKind classify(const FragmentReply &reply, int fontCount, GraphicRule rule) {
    switch (reply.kind) {
    case 255:
        if (rule == GraphicRule::FontCount) {
            if (reply.font < fontCount)
                return CellKind::Text;
            return reply.font == fontCount ? CellKind::Graphic : CellKind::Other;
        }
        if (reply.font < 7)
            return CellKind::Text;
        return reply.font == 7 || reply.font == 13 ? CellKind::Graphic : CellKind::Other;
    case 5:
        return CellKind::CounterDown;
    case 6:
        return CellKind::CounterUp;
    case 0:
        return CellKind::TimeDate;
    case 2:
        return CellKind::PostDate;
    case 7:
        return CellKind::SpecFunc;
    default:
        return CellKind::Other;
    }
}

QString cellLabel(CellKind kind) {
    switch (kind) {
    case CellKind::Text:
        return QStringLiteral("Text fragment");
    case CellKind::Graphic:
        return QStringLiteral("Graphic fragment");
    case CellKind::CounterDown:
    case CellKind::CounterUp:
        return QStringLiteral("Counter fragment");
    case CellKind::TimeDate:
        return QStringLiteral("TimeDate fragment");
    case CellKind::PostDate:
        return QStringLiteral("PostDate fragment");
    case CellKind::SpecFunc:
        return QStringLiteral("SpecFunc fragment");
    case CellKind::Other:
        break;
    }
    return {};
}

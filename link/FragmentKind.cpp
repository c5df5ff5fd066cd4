#include "FragmentKind.h"

#include "WireText.h"

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

QString cellWord(CellKind kind) {
    switch (kind) {
    case CellKind::Text:
        return QStringLiteral("text");
    case CellKind::Graphic:
        return QStringLiteral("graphic");
    case CellKind::CounterDown:
        return QStringLiteral("counter-down");
    case CellKind::CounterUp:
        return QStringLiteral("counter-up");
    case CellKind::TimeDate:
        return QStringLiteral("time-date");
    case CellKind::PostDate:
        return QStringLiteral("post-date");
    case CellKind::SpecFunc:
        return QStringLiteral("special");
    case CellKind::Other:
        break;
    }
    return QStringLiteral("other");
}

CellSummary summarize(const FragmentReply &reply, int fontCount) {
    CellSummary s;
    s.kind = classify(reply, fontCount, GraphicRule::FontCount);
    s.font = s.kind == CellKind::Graphic ? fontCount - 1 : reply.font;
    // A logo cell holds its slot as one binary byte, as PlaceLogo put it there.
    if (s.kind == CellKind::Graphic && reply.text.size() == 1) {
        s.logoSlot = quint8(reply.text[0]);
        s.text = QString::number(*s.logoSlot);
        return s;
    }
    s.text = fromWire(reply.text);
    for (QChar &ch : s.text)
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            ch = QChar::ReplacementCharacter;
    return s;
}

std::optional<FragmentReply> readFragmentAttempts(Functions &f, int row, int column, int attempts,
                                                  const std::function<bool(int)> &carryOn) {
    FragmentReply reply;
    for (int i = 0; i < attempts && (!carryOn || carryOn(i)); ++i)
        if (f.ReadFragment(row, column, reply))
            return reply;
    return std::nullopt;
}

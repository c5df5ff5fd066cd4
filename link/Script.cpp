#include "Script.h"

#include "FragmentKind.h"
#include "WireText.h"

#include <QRegularExpression>

bool ScriptItems::hasCounter() const {
    return !(trimBlanks(initial).isEmpty() && trimBlanks(finish).isEmpty() &&
             trimBlanks(step).isEmpty() && trimBlanks(discrete).isEmpty());
}

std::optional<ScriptItems> parseScript(const QByteArray &script) {
    static const QRegularExpression items(
        QStringLiteral(R"(^(?:Q(\d{2})N(\d{8})E(\d{8})S(\d{4})P(\d{4}))?(?:G(\d))?$)"));
    const auto m = items.match(QString::fromLatin1(script));
    if (!m.hasMatch())
        return std::nullopt;
    const auto part = [&](int n) { return m.captured(n).toLatin1(); };
    return ScriptItems{part(6), part(2), part(3), part(4), part(5), part(1)};
}

std::optional<QByteArray> scriptValue(const QByteArray &script, char letter, int width) {
    const qsizetype at = script.indexOf(letter);
    if (at < 0)
        return std::nullopt;
    return script.mid(at + 1, width);
}

ScriptItems counterOf(const QByteArray &script) {
    const qsizetype at = script.indexOf('Q');
    if (at < 0)
        return {};
    const QByteArray item = script.mid(at, 32);
    return {{}, item.mid(4, 8), item.mid(13, 8), item.mid(22, 4), item.mid(27, 4), item.mid(1, 2)};
}

namespace {
bool digitsOnly(const QByteArray &text) {
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}
} // namespace

std::optional<QString> specFuncFault(const ScriptItems &items) {
    const struct {
        const char *letter;
        const QByteArray &value;
        int most;
    } fields[] = {{"G", items.group, 1},
                  {"N", items.initial, kScriptValueDigits},
                  {"E", items.finish, kScriptValueDigits},
                  {"S", items.step, kScriptStepDigits},
                  {"P", items.discrete, kScriptStepDigits},
                  {"Q", items.fragment, kScriptFragmentDigits}};
    for (const auto &field : fields) {
        const QByteArray value = trimBlanks(field.value);
        if (!digitsOnly(value))
            return QStringLiteral("%1 must be digits, not \"%2\"")
                .arg(QLatin1String(field.letter), QString::fromLatin1(value));
        if (value.size() > field.most)
            return QStringLiteral("%1 has %2 digits; the printer keeps %3")
                .arg(QLatin1String(field.letter))
                .arg(value.size())
                .arg(field.most);
    }
    if (!items.hasCounter())
        return std::nullopt;
    const QByteArray cell = trimBlanks(items.fragment);
    const int row = cell.size() == 2 ? cell[0] - '0' : 0;
    const int column = cell.size() == 2 ? cell[1] - '0' : 0;
    if (row < 1 || row > kMarkRows || column < 1 || column > kMarkColumns)
        return QStringLiteral("the counter's fragment number \"%1\" names no cell of the mark: "
                              "its row must be 1 to %2 and its column 1 to %3")
            .arg(QString::fromLatin1(cell))
            .arg(kMarkRows)
            .arg(kMarkColumns);
    return std::nullopt;
}

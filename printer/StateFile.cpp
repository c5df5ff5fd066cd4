#include "StateFile.h"

#include "FileAccess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace printer {

namespace {

const QLatin1String kFormat("stampline-virtual-printer-state");
constexpr int kVersion = 1;
// The largest counter value and clock offset a file may give: far beyond any printer's use,
// far within what the arithmetic on them can hold.
constexpr qint64 kMostCounter = 999'999'999'999'999'999;
constexpr qint64 kMostClockOffsetMs = 100LL * 366 * 24 * 3600 * 1000;

qint64 boundedNumber(const QJsonValue &v, qint64 most) {
    return qBound(-most, v.toString().toLongLong(), most);
}

QString hex(const QByteArray &bytes) {
    return QString::fromLatin1(bytes.toHex());
}
QByteArray unhex(const QJsonValue &v) {
    return QByteArray::fromHex(v.toString().toLatin1());
}

const char *kindName(Fragment::Kind kind) {
    switch (kind) {
    case Fragment::Kind::Text:
        return "text";
    case Fragment::Kind::Graphic:
        return "graphic";
    case Fragment::Kind::TimeDate:
        return "timedate";
    case Fragment::Kind::PostDate:
        return "postdate";
    case Fragment::Kind::Counter:
        return "counter";
    }
    return "text";
}

Fragment::Kind kindFrom(const QString &name) {
    for (auto kind : {Fragment::Kind::Text, Fragment::Kind::Graphic, Fragment::Kind::TimeDate,
                      Fragment::Kind::PostDate, Fragment::Kind::Counter})
        if (name == QLatin1String(kindName(kind)))
            return kind;
    return Fragment::Kind::Text;
}

QJsonArray markToJson(const Mark &mark) {
    QJsonArray cells;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c) {
            const Fragment &f = mark[size_t(r)][size_t(c)];
            if (f == Fragment{})
                continue;
            cells.append(QJsonObject{{"row", r + 1},
                                     {"column", c + 1},
                                     {"kind", kindName(f.kind)},
                                     {"font", f.font},
                                     {"text", hex(f.text)},
                                     {"logo", f.logo},
                                     {"up", f.countsUp},
                                     {"value", QString::number(f.value)}});
        }
    return cells;
}

Mark markFromJson(const QJsonArray &cells) {
    Mark mark{};
    for (const QJsonValue &v : cells) {
        const QJsonObject o = v.toObject();
        const int r = o["row"].toInt(), c = o["column"].toInt();
        if (r < 1 || r > kRows || c < 1 || c > kColumns)
            continue;
        Fragment &f = mark[size_t(r - 1)][size_t(c - 1)];
        f.kind = kindFrom(o["kind"].toString());
        f.font = quint8(qBound(0, o["font"].toInt(), kFontCount - 1));
        f.text = unhex(o["text"]).left(kMaxFragmentText);
        f.logo = qBound(0, o["logo"].toInt(), kLogoSlots - 1);
        f.countsUp = o["up"].toBool(true);
        f.value = boundedNumber(o["value"], kMostCounter);
    }
    return mark;
}

QJsonObject toJson(const PrinterState &s) {
    QJsonObject root;
    root["format"] = kFormat;
    root["version"] = kVersion;
    root["mark"] = markToJson(s.mark);
    QJsonArray logos;
    for (int slot = 0; slot < kLogoSlots; ++slot) {
        const Logo &logo = s.logos[size_t(slot)];
        if (logo.isEmpty())
            continue;
        logos.append(QJsonObject{{"slot", slot},
                                 {"B", logo.bytesPerColumn},
                                 {"C", logo.columns},
                                 {"data", hex(logo.data)},
                                 {"name", hex(logo.name)}});
    }
    root["logos"] = logos;
    QJsonArray store;
    for (int place = 0; place < kStorePlaces; ++place)
        if (const auto &m = s.store[size_t(place)])
            store.append(QJsonObject{{"place", place}, {"mark", markToJson(*m)}});
    root["store"] = store;
    QJsonObject parameters;
    for (size_t i = 0; i < kParameterLetters.size(); ++i)
        parameters[QString(QLatin1Char(kParameterLetters[i]))] = s.parameters[i];
    root["parameters"] = parameters;
    root["clockOffsetMs"] = QString::number(s.clockOffsetMs);
    root["postDays"] = s.postDays;
    root["autoRunPeriod"] = s.autoRunPeriod;
    root["axl"] = s.axl;
    root["switches"] = s.switches;
    root["countUp"] = s.countUp;
    root["script"] = QJsonObject{{"counter", s.script.hasCounter}, {"Q", hex(s.script.fragment)},
                                 {"N", hex(s.script.initial)},     {"E", hex(s.script.finish)},
                                 {"S", hex(s.script.step)},        {"P", hex(s.script.discrete)},
                                 {"group", s.script.hasGroup},     {"G", s.script.group}};
    root["specialValue"] = QString::number(s.specialValue);
    root["specialPrints"] = QString::number(s.specialPrints);
    return root;
}

PrinterState fromJson(const QJsonObject &root) {
    PrinterState s;
    s.mark = markFromJson(root["mark"].toArray());
    for (const QJsonValue &v : root["logos"].toArray()) {
        const QJsonObject o = v.toObject();
        const int slot = o["slot"].toInt(-1), B = o["B"].toInt(), C = o["C"].toInt();
        const QByteArray data = unhex(o["data"]);
        if (slot < 0 || slot >= kLogoSlots || B < 1 || B > 4 || C < 1 || B * C > kLogoDataBytes ||
            data.size() != B * C)
            continue; // not a logo the printer could hold
        Logo &logo = s.logos[size_t(slot)];
        logo.bytesPerColumn = B;
        logo.columns = C;
        logo.data = data;
        logo.name = unhex(o["name"]).leftJustified(8, ' ', true);
    }
    for (const QJsonValue &v : root["store"].toArray()) {
        const int place = v["place"].toInt(-1);
        if (place >= 0 && place < kStorePlaces)
            s.store[size_t(place)] = markFromJson(v["mark"].toArray());
    }
    const QJsonObject parameters = root["parameters"].toObject();
    for (size_t i = 0; i < kParameterLetters.size(); ++i)
        s.parameters[i] =
            quint8(qBound(0, parameters[QString(QLatin1Char(kParameterLetters[i]))].toInt(), 255));
    s.clockOffsetMs = boundedNumber(root["clockOffsetMs"], kMostClockOffsetMs);
    s.postDays = qBound(0, root["postDays"].toInt(), 0xFFFF);
    s.autoRunPeriod = quint8(qBound(0, root["autoRunPeriod"].toInt(), 255));
    s.axl = quint16(qBound(0, root["axl"].toInt(), 0xFFFF));
    s.switches = quint8(root["switches"].toInt(0x07) & 0x07);
    s.countUp = root["countUp"].toBool(true);
    const QJsonObject script = root["script"].toObject();
    s.script.hasCounter = script["counter"].toBool();
    s.script.fragment = unhex(script["Q"]).left(kMaxFragmentText);
    s.script.initial = unhex(script["N"]).left(kMaxFragmentText);
    s.script.finish = unhex(script["E"]).left(kMaxFragmentText);
    s.script.step = unhex(script["S"]).left(kMaxFragmentText);
    s.script.discrete = unhex(script["P"]).left(kMaxFragmentText);
    s.script.hasGroup = script["group"].toBool();
    s.script.group = quint8(script["G"].toInt('0'));
    s.specialValue = boundedNumber(root["specialValue"], kMostCounter);
    s.specialPrints = qMax<qint64>(0, boundedNumber(root["specialPrints"], kMostCounter));
    return s;
}

// A file written before state files carried their mark: an object with every part of a state.
bool isUnmarkedState(const QJsonObject &root) {
    for (const char *key : {"mark", "logos", "store", "parameters", "clockOffsetMs"})
        if (!root.contains(QLatin1String(key)))
            return false;
    return !root.contains(QLatin1String("format"));
}

} // namespace

bool saveState(const QString &path, const PrinterState &state, QString *error) {
    const auto why = files::writeWhole(path, QJsonDocument(toJson(state)).toJson());
    if (why && error)
        *error = *why;
    return !why;
}

StateLoad parseState(const QByteArray &bytes, PrinterState &state, QString *error) {
    const auto fail = [error](StateLoad how, const QString &why) {
        if (error)
            *error = why;
        return how;
    };
    if (bytes.isEmpty()) { // a file made empty for the printer to fill
        state = PrinterState{};
        return StateLoad::Loaded;
    }
    const bool marked = bytes.contains(QByteArray(kFormat.data(), kFormat.size()));
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parse);
    const QJsonObject root = doc.object();
    if (doc.isObject() && root["format"] == kFormat) {
        if (root["version"] != kVersion)
            return fail(StateLoad::Refused,
                        QStringLiteral("a state file of version %1; this printer reads version %2")
                            .arg(root["version"].toVariant().toString())
                            .arg(kVersion));
        state = fromJson(root);
        return StateLoad::Loaded;
    }
    if (doc.isObject() && isUnmarkedState(root)) {
        state = fromJson(root);
        return StateLoad::Loaded;
    }
    if (marked)
        return fail(StateLoad::Damaged, parse.error != QJsonParseError::NoError
                                            ? parse.errorString()
                                            : QStringLiteral("its parts are not those of a state"));
    return fail(StateLoad::Refused, QStringLiteral("not a virtual printer's state file"));
}

StateLoad loadState(const QString &path, PrinterState &state, QString *error) {
    QString why;
    const auto bytes = files::readRegular(path, files::kDataLimit, &why);
    if (!bytes) {
        if (error)
            *error = why;
        return StateLoad::Refused;
    }
    return parseState(*bytes, state, error);
}

} // namespace printer

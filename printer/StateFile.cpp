#include "StateFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace printer {

namespace {

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
        f.value = o["value"].toString().toLongLong();
    }
    return mark;
}

QJsonObject toJson(const PrinterState &s) {
    QJsonObject root;
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
    s.clockOffsetMs = root["clockOffsetMs"].toString().toLongLong();
    s.postDays = qBound(0, root["postDays"].toInt(), 0xFFFF);
    s.autoRunPeriod = quint8(qBound(0, root["autoRunPeriod"].toInt(), 255));
    s.axl = quint16(qBound(0, root["axl"].toInt(), 0xFFFF));
    s.switches = quint8(root["switches"].toInt(0x07) & 0x07);
    s.countUp = root["countUp"].toBool(true);
    const QJsonObject script = root["script"].toObject();
    s.script.hasCounter = script["counter"].toBool();
    s.script.fragment = unhex(script["Q"]);
    s.script.initial = unhex(script["N"]);
    s.script.finish = unhex(script["E"]);
    s.script.step = unhex(script["S"]);
    s.script.discrete = unhex(script["P"]);
    s.script.hasGroup = script["group"].toBool();
    s.script.group = quint8(script["G"].toInt('0'));
    s.specialValue = root["specialValue"].toString().toLongLong();
    s.specialPrints = root["specialPrints"].toString().toLongLong();
    return s;
}

} // namespace

bool saveState(const QString &path, const PrinterState &state, QString *error) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(toJson(state)).toJson()) < 0 ||
        !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

bool loadState(const QString &path, PrinterState &state, QString *error) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = in.errorString();
        return false;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(in.readAll(), &parse);
    if (!doc.isObject()) {
        if (error)
            *error = parse.error != QJsonParseError::NoError ? parse.errorString()
                                                             : QStringLiteral("not a state file");
        return false;
    }
    state = fromJson(doc.object());
    return true;
}

} // namespace printer

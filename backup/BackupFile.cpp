#include "BackupFile.h"

#include "FileAccess.h"
#include "WireText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <set>

namespace backup {

namespace {

QString formatOf(FileKind kind) {
    return kind == FileKind::Job ? QStringLiteral("stampline-job")
                                 : QStringLiteral("stampline-printer-backup");
}

constexpr CellKind kKinds[] = {CellKind::Text,      CellKind::Graphic,  CellKind::CounterDown,
                               CellKind::CounterUp, CellKind::TimeDate, CellKind::PostDate,
                               CellKind::SpecFunc,  CellKind::Other};

QString cellName(const Cell &c) {
    return QStringLiteral("cell %1,%2").arg(c.row).arg(c.column);
}

QString logoName(const Logo &l) {
    return QStringLiteral("logo in slot %1").arg(l.slot);
}

std::optional<QString> outOfRange(const QString &what, int value, int low, int high) {
    if (value >= low && value <= high)
        return std::nullopt;
    return QStringLiteral("%1 %2 is out of range %3 to %4").arg(what).arg(value).arg(low).arg(high);
}

// A text the printer's code page carries whole, in at most `most` bytes.
std::optional<QString> badText(const QString &what, const QString &text, int most) {
    if (const auto fault = wireTextFault(text))
        return what + QLatin1Char(' ') + *fault;
    if (toWire(text).size() > most)
        return QStringLiteral("%1 \"%2\" is longer than %3 characters").arg(what, text).arg(most);
    return std::nullopt;
}

std::optional<QString> checkCell(const Cell &c, int fontCount) {
    const QString at = cellName(c);
    if (c.kind == CellKind::Graphic)
        return outOfRange(at + QStringLiteral(": logo"), c.logo, 0, 255);
    if (c.kind == CellKind::Other) {
        if (auto e = outOfRange(at + QStringLiteral(": kind byte"), c.kindByte, 0, 255))
            return e;
        if (auto e = outOfRange(at + QStringLiteral(": font"), c.font, 0, 255))
            return e;
    } else if (auto e =
                   outOfRange(at + QStringLiteral(": font"), c.font, 0, qMin(fontCount, 10) - 1)) {
        return e; // a font goes out as one digit, below the printer's font count
    }
    return badText(at + QStringLiteral(": text"), c.text, kMaxCellText);
}

std::optional<QString> checkLogoSize(const Logo &l) {
    if (auto e = outOfRange(logoName(l) + QStringLiteral(": B"), l.B, 1, 4))
        return e;
    if (auto e = outOfRange(logoName(l) + QStringLiteral(": C"), l.C, 1, 255))
        return e;
    if (l.B * l.C > LogoImage::kDataBytes)
        return QStringLiteral("%1: B x C = %2 is more than the %3 bytes a logo holds")
            .arg(logoName(l))
            .arg(l.B * l.C)
            .arg(LogoImage::kDataBytes);
    return std::nullopt;
}

// Dot y rows from the top of column c, in wire orientation.
bool dotAt(const Logo &l, int c, int y) {
    const int fromBottom = 8 * l.B - 1 - y;
    return l.dots[size_t(c)][size_t(fromBottom / 8)] & (1 << (fromBottom % 8));
}

void setDot(Logo &l, int c, int y) {
    const int fromBottom = 8 * l.B - 1 - y;
    l.dots[size_t(c)][size_t(fromBottom / 8)] |= quint8(1 << (fromBottom % 8));
}

// Reads a JSON value into the model, keeping the first thing wrong.
class Reader {
public:
    QString error;

    bool failed() const { return !error.isEmpty(); }
    void fail(const QString &why) {
        if (error.isEmpty())
            error = why;
    }

    const QJsonValue field(const QJsonObject &o, const QString &where, const char *key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined())
            fail(QStringLiteral("%1\"%2\" is missing").arg(where, QLatin1String(key)));
        return v;
    }
    int number(const QJsonObject &o, const QString &where, const char *key) {
        const QJsonValue v = field(o, where, key);
        const double d = v.toDouble(std::nan(""));
        if (v.isUndefined())
            return 0;
        if (!v.isDouble() || d != std::floor(d) || std::abs(d) > 1e9) {
            fail(QStringLiteral("%1\"%2\" must be a whole number").arg(where, QLatin1String(key)));
            return 0;
        }
        return int(d);
    }
    QString text(const QJsonObject &o, const QString &where, const char *key) {
        const QJsonValue v = field(o, where, key);
        if (!v.isUndefined() && !v.isString())
            fail(QStringLiteral("%1\"%2\" must be a text").arg(where, QLatin1String(key)));
        return v.toString();
    }
    QJsonArray array(const QJsonObject &o, const QString &where, const char *key) {
        const QJsonValue v = field(o, where, key);
        if (!v.isUndefined() && !v.isArray())
            fail(QStringLiteral("%1\"%2\" must be a list").arg(where, QLatin1String(key)));
        return v.toArray();
    }
    QJsonObject object(const QJsonValue &v, const QString &what) {
        if (!v.isObject())
            fail(QStringLiteral("%1 must be an object").arg(what));
        return v.toObject();
    }
};

Cell readCell(Reader &r, const QJsonValue &value, int index) {
    Cell c;
    const QString where = QStringLiteral("cells[%1]: ").arg(index);
    const QJsonObject o = r.object(value, where.chopped(2));
    c.row = r.number(o, where, "row");
    c.column = r.number(o, where, "column");
    const QString word = r.text(o, where, "kind");
    if (r.failed())
        return c;
    const auto *kind = std::find_if(std::begin(kKinds), std::end(kKinds),
                                    [&](CellKind k) { return cellWord(k) == word; });
    if (kind == std::end(kKinds)) {
        r.fail(QStringLiteral("%1\"kind\" \"%2\" is no kind of cell").arg(where, word));
        return c;
    }
    c.kind = *kind;
    if (c.kind == CellKind::Graphic) {
        c.logo = r.number(o, where, "logo");
        return c;
    }
    c.font = r.number(o, where, "font");
    c.text = r.text(o, where, "text");
    if (c.kind == CellKind::Other)
        c.kindByte = r.number(o, where, "kindByte");
    return c;
}

Logo readLogo(Reader &r, const QJsonValue &value, int index) {
    Logo l;
    const QString where = QStringLiteral("logos[%1]: ").arg(index);
    const QJsonObject o = r.object(value, where.chopped(2));
    l.slot = r.number(o, where, "slot");
    l.name = r.text(o, where, "name");
    l.B = r.number(o, where, "B");
    l.C = r.number(o, where, "C");
    const QJsonArray rows = r.array(o, where, "dots");
    if (r.failed())
        return l;
    if (auto e = checkLogoSize(l)) { // the rows are counted by it
        r.fail(*e);
        return l;
    }
    if (rows.size() != 8 * l.B) {
        r.fail(QStringLiteral("%1: %2 rows of dots, not 8 x B = %3")
                   .arg(logoName(l))
                   .arg(rows.size())
                   .arg(8 * l.B));
        return l;
    }
    for (int y = 0; y < rows.size() && !r.failed(); ++y) {
        const QString row = rows[y].toString();
        if (!rows[y].isString() || row.size() != l.C)
            r.fail(QStringLiteral("%1: row %2 of the dots has %3 characters, not C = %4")
                       .arg(logoName(l))
                       .arg(y + 1)
                       .arg(row.size())
                       .arg(l.C));
        for (int c = 0; c < l.C && !r.failed(); ++c) {
            if (row[c] == QLatin1Char('#'))
                setDot(l, c, y);
            else if (row[c] != QLatin1Char('.'))
                r.fail(QStringLiteral("%1: row %2 of the dots holds \"%3\"; a dot is '#', no "
                                      "dot '.'")
                           .arg(logoName(l))
                           .arg(y + 1)
                           .arg(row[c]));
        }
    }
    return l;
}

} // namespace

QString programVersion() {
    return QStringLiteral(STAMPLINE_VERSION);
}

std::optional<QString> validate(const Backup &b) {
    if (auto e = outOfRange(QStringLiteral("fontCount"), b.fontCount, 1, 255))
        return e;
    if (b.cells.size() != size_t(kCells))
        return QStringLiteral("cells: %1 cells, not %2").arg(b.cells.size()).arg(kCells);
    std::set<std::pair<int, int>> seen;
    const auto items = parseScript(b.script.toLatin1());
    if (!items || b.script.size() > 64)
        return QStringLiteral("script \"%1\" is not a script of special functions")
            .arg(b.script.size() > 64 ? b.script.left(40) + QStringLiteral("…") : b.script);
    if (auto fault = specFuncFault(*items))
        return QStringLiteral("script: ") + *fault;
    for (const Cell &c : b.cells) {
        if (auto e = outOfRange(QStringLiteral("cell row"), c.row, 1, kMarkRows))
            return e;
        if (auto e = outOfRange(QStringLiteral("cell column"), c.column, 1, kMarkColumns))
            return e;
        if (!seen.insert({c.row, c.column}).second)
            return cellName(c) + QStringLiteral(" appears twice");
        if (auto e = checkCell(c, b.fontCount))
            return e;
        const QByteArray at = QByteArray::number(c.row * 10 + c.column);
        if (c.kind == CellKind::SpecFunc && items->fragment != at)
            return cellName(c) +
                   QStringLiteral(" is a special-function counter, but the script's counter "
                                  "is not in it");
    }
    std::set<int> taken;
    for (const Logo &l : b.logos) {
        if (auto e = outOfRange(QStringLiteral("logo slot"), l.slot, 0, 255))
            return e;
        if (!taken.insert(l.slot).second)
            return logoName(l) + QStringLiteral(" appears twice");
        if (auto e = checkLogoSize(l))
            return e;
        if (auto e = badText(logoName(l) + QStringLiteral(": name"), l.name, 8))
            return e;
    }
    for (size_t i = 0; i < kPrintParameters.size(); ++i)
        if (auto e = outOfRange(QStringLiteral("parameter %1").arg(kPrintParameters[i].letter),
                                b.parameters[i], 0, 255))
            return e;
    if (auto e = outOfRange(QStringLiteral("autoRunPeriod"), b.autoRunPeriod, 0, 255))
        return e;
    return outOfRange(QStringLiteral("postDateDays"), b.postDays, 0, kMaxPostDays);
}

QStringList dotRows(const Logo &logo) {
    QStringList rows;
    for (int y = 0; y < 8 * logo.B; ++y) {
        QString row(logo.C, QLatin1Char('.'));
        for (int c = 0; c < logo.C; ++c)
            if (dotAt(logo, c, y))
                row[c] = QLatin1Char('#');
        rows << row;
    }
    return rows;
}

QByteArray toJson(const Backup &b, FileKind kind, const Parts &parts) {
    QJsonArray cells;
    for (const Cell &c : b.cells) {
        QJsonObject o{{"row", c.row}, {"column", c.column}, {"kind", cellWord(c.kind)}};
        if (c.kind == CellKind::Graphic) {
            o.insert(QStringLiteral("logo"), c.logo);
        } else {
            o.insert(QStringLiteral("font"), c.font);
            o.insert(QStringLiteral("text"), c.text);
        }
        if (c.kind == CellKind::Other)
            o.insert(QStringLiteral("kindByte"), c.kindByte);
        cells.append(o);
    }
    QJsonArray logos;
    for (const Logo &l : b.logos)
        logos.append(QJsonObject{{"slot", l.slot},
                                 {"name", l.name},
                                 {"B", l.B},
                                 {"C", l.C},
                                 {"dots", QJsonArray::fromStringList(dotRows(l))}});
    QJsonObject parameters;
    for (size_t i = 0; i < kPrintParameters.size(); ++i)
        parameters.insert(QString(QLatin1Char(kPrintParameters[i].letter)), b.parameters[i]);
    QJsonObject root{
        {"format", formatOf(kind)},
        {"version", kFormatVersion},
        {"program", b.programVersion},
        {"made", b.made.toUTC().toString(Qt::ISODate)},
        {"fontCount", b.fontCount},
        {"cells", cells},
        {"logos", logos},
        {"postDateDays", b.postDays},
    };
    if (parts.parameters)
        root.insert(QStringLiteral("parameters"), parameters);
    if (parts.autoRun)
        root.insert(QStringLiteral("autoRunPeriod"), b.autoRunPeriod);
    if (parts.script)
        root.insert(QStringLiteral("script"), b.script);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Parsed parseBackup(const QByteArray &json, FileKind kind) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return {std::nullopt,
                QStringLiteral("the file is not JSON: %1 at byte %2")
                    .arg(parseError.errorString())
                    .arg(parseError.offset),
                {}};
    if (!doc.isObject() ||
        doc.object().value(QStringLiteral("format")).toString() != formatOf(kind))
        return {std::nullopt,
                kind == FileKind::Job ? QStringLiteral("the file is not a job")
                                      : QStringLiteral("the file is not a printer "
                                                       "backup"),
                {}};
    const QJsonObject root = doc.object();
    // A job may leave out what the changeover does not change; a backup holds everything.
    Parts parts;
    if (kind == FileKind::Job) {
        parts.parameters = root.contains(QStringLiteral("parameters"));
        parts.autoRun = root.contains(QStringLiteral("autoRunPeriod"));
        parts.script = root.contains(QStringLiteral("script"));
    }
    Reader r;
    const int version = r.number(root, {}, "version");
    if (!r.failed() && version != kFormatVersion)
        return {std::nullopt,
                QStringLiteral("the file is of version %1; this program reads "
                               "version %2")
                    .arg(version)
                    .arg(kFormatVersion),
                {}};
    Backup b;
    b.programVersion = r.text(root, {}, "program");
    b.made = QDateTime::fromString(r.text(root, {}, "made"), Qt::ISODate);
    b.fontCount = r.number(root, {}, "fontCount");
    const QJsonArray cells = r.array(root, {}, "cells");
    for (int i = 0; i < cells.size() && !r.failed(); ++i)
        b.cells.push_back(readCell(r, cells[i], i));
    const QJsonArray logos = r.array(root, {}, "logos");
    for (int i = 0; i < logos.size() && !r.failed(); ++i)
        b.logos.push_back(readLogo(r, logos[i], i));
    if (parts.parameters) {
        const QJsonObject parameters =
            r.object(r.field(root, {}, "parameters"), QStringLiteral("\"parameters\""));
        for (size_t i = 0; i < kPrintParameters.size() && !r.failed(); ++i) {
            const QByteArray key(1, kPrintParameters[i].letter);
            b.parameters[i] = r.number(parameters, QStringLiteral("parameters: "), key.constData());
        }
    }
    if (parts.autoRun)
        b.autoRunPeriod = r.number(root, {}, "autoRunPeriod");
    b.postDays = r.number(root, {}, "postDateDays");
    if (parts.script)
        b.script = r.text(root, {}, "script");
    if (r.failed())
        return {std::nullopt, r.error, parts};
    if (!b.made.isValid())
        return {std::nullopt, QStringLiteral("\"made\" is not a date and time"), parts};
    if (auto e = validate(b))
        return {std::nullopt, *e, parts};
    return {std::move(b), {}, parts};
}

Parsed loadBackup(const QString &path) {
    QString error;
    const auto bytes = files::readRegular(path, files::kDataLimit, &error);
    if (!bytes)
        return {std::nullopt, error, {}};
    return parseBackup(*bytes);
}

std::optional<QString> saveBackup(const QString &path, const Backup &b) {
    return files::writeWhole(path, toJson(b));
}

} // namespace backup

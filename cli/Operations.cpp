#include "Operations.h"

#include "BackupTransfer.h"
#include "FileAccess.h"
#include "FragmentKind.h"
#include "Functions.h"
#include "Job.h"
#include "LogoImage.h"
#include "MarkCells.h"
#include "MarkImage.h"
#include "Script.h"
#include "StateBlock.h"
#include "WireText.h"

#include <QDate>
#include <QFileInfo>
#include <QImage>
#include <memory>

namespace ctl {

std::optional<int> parseNumber(const QString &text) {
    const qsizetype sign = text.startsWith(QLatin1Char('-')) ? 1 : 0;
    const qsizetype digits = text.size() - sign;
    if (digits < 1 || digits > 9) // nine digits always fit an int
        return std::nullopt;
    int value = 0;
    for (qsizetype i = sign; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        value = value * 10 + (ch - u'0');
    }
    return sign ? -value : value;
}

QByteArray Call::wire(int i) const {
    return toWire(values.at(i));
}

namespace {

bool isDigits(const QString &text) {
    for (QChar ch : text)
        if (ch < u'0' || ch > u'9')
            return false;
    return true;
}

// Why the argument does not fit its param, or nothing; fills number for numbers and letters.
std::optional<QString> check(const Param &p, const QString &arg, int &number) {
    const QString name = QString::fromLatin1(p.name);
    switch (p.kind) {
    case ArgKind::Number: {
        const auto value = parseNumber(arg);
        if (!value)
            return QStringLiteral("%1 must be a number, not \"%2\"").arg(name, arg);
        if (*value < p.min || *value > p.max)
            return QStringLiteral("%1 must be %2 to %3").arg(name).arg(p.min).arg(p.max);
        number = *value;
        return std::nullopt;
    }
    case ArgKind::Letter:
        if (arg.size() != 1 || arg[0].unicode() > 0x7F || !arg[0].isLetter())
            return QStringLiteral("%1 must be one letter, not \"%2\"").arg(name, arg);
        number = arg[0].unicode();
        return std::nullopt;
    case ArgKind::Digits:
        if (!isDigits(arg) || arg.size() < p.min || arg.size() > p.max)
            return p.min == p.max
                       ? QStringLiteral("%1 must be %2 digits").arg(name).arg(p.max)
                       : QStringLiteral("%1 must be up to %2 digits").arg(name).arg(p.max);
        return std::nullopt;
    case ArgKind::Text: {
        if (const auto fault = wireTextFault(arg))
            return name + QLatin1Char(' ') + *fault;
        if (p.max > 0 && toWire(arg).size() > p.max)
            return QStringLiteral("%1 must be at most %2 characters").arg(name).arg(p.max);
        return std::nullopt;
    }
    case ArgKind::File:
        if (arg.isEmpty())
            return QStringLiteral("%1 must name a file").arg(name);
        return std::nullopt;
    case ArgKind::Existing:
        if (const QString kind = files::otherKind(arg); !kind.isEmpty())
            return QStringLiteral("%1 is %2, not a regular file").arg(arg, kind);
        if (!QFileInfo(arg).isFile())
            return QStringLiteral("no such file: %1").arg(arg);
        return std::nullopt;
    case ArgKind::Time:
    case ArgKind::Date: {
        const bool time = p.kind == ArgKind::Time;
        if (arg.size() != 6 || !isDigits(arg))
            return QStringLiteral("%1 must be 6 digits").arg(name);
        const int a = arg.left(2).toInt(), b = arg.mid(2, 2).toInt(), c = arg.right(2).toInt();
        const bool possible =
            time ? a <= 24 && b <= 59 && c <= 59 : QDate(2000 + c, b, a).isValid();
        if (!possible)
            return time ? QStringLiteral("%1 is no time of day: hours 00-24, minutes and seconds "
                                         "00-59, not \"%2\"")
                              .arg(name, arg)
                        : QStringLiteral("%1 is no day of the calendar, not \"%2\"").arg(name, arg);
        return std::nullopt;
    }
    case ArgKind::Picture: {
        const QString suffix = QFileInfo(arg).suffix().toLower();
        if (suffix != QLatin1String("png") && suffix != QLatin1String("bmp"))
            return QStringLiteral("%1 must end in .png or .bmp").arg(name);
        return std::nullopt;
    }
    }
    return std::nullopt;
}

const Param kRow{"ROW", ArgKind::Number, 1, 4};
const Param kColumn{"COLUMN", ArgKind::Number, 1, 8};
const Param kLogo{"N", ArgKind::Number, 0, 255};
const Param kFont{"FONT", ArgKind::Number, 0, 9};
const Param kText{"TEXT", ArgKind::Text};
const Param kName{"NAME", ArgKind::Text, 0, 8};
const Param kCode{"L", ArgKind::Letter};

Operation plain(const char *name, bool (Functions::*op)()) {
    return {name, {}, 0, "", [op](Call &c) { return (c.f.*op)(); }};
}

Operation cellText(const char *name, bool (Functions::*op)(int, int, const QByteArray &),
                   Param text = kText) {
    return {name, {kRow, kColumn, text}, 0, "", [op](Call &c) {
                return (c.f.*op)(c.number(0), c.number(1), c.wire(2));
            }};
}

Operation oneValue(const char *name, bool (Functions::*op)(quint8, quint8 &)) {
    return {name, {kCode}, 0, "", [op](Call &c) {
                quint8 value = 0;
                if (!(c.f.*op)(quint8(c.number(0)), value))
                    return false;
                c.print(value);
                return true;
            }};
}

Operation clockText(const char *name, const char *param, ArgKind kind,
                    bool (Functions::*op)(const QByteArray &)) {
    return {name, {{param, kind}}, 0, "", [op](Call &c) { return (c.f.*op)(c.wire(0)); }};
}

bool saveLogoIfAsked(Call &c, const LogoImage &image, int fileArg) {
    if (!c.has(fileArg))
        return true;
    // An empty slot answers no size (read as 32 x 32 with no dots): it has no picture to save.
    if (image.bytesPerColumn > 4) {
        c.note(QStringLiteral("the slot is empty: no picture written to %1").arg(c.text(fileArg)));
        return true;
    }
    if (const auto why = SaveLogoToBitmap(c.text(fileArg), image))
        return c.fail(QStringLiteral("cannot save the logo: %1").arg(*why));
    return true;
}

bool readLogo(Call &c) {
    LogoImage image;
    QByteArray name;
    if (!c.f.ReadLogo(c.number(0), image, name))
        return false;
    c.print(trimBlanks(fromWire(name)));
    c.print(image.bytesPerColumn);
    c.print(image.columnCount);
    return saveLogoIfAsked(c, image, 1);
}

bool readLogoPreview(Call &c) {
    LogoImage image;
    if (!c.f.ReadLogoPreview(c.number(0), image))
        return false;
    c.print(image.bytesPerColumn);
    c.print(image.columnCount);
    return saveLogoIfAsked(c, image, 1);
}

bool writeLogo(Call &c) {
    LogoImage image;
    LogoDots staging;
    PictureKept kept;
    switch (LoadPictureToLogo(c.text(1), image, staging, nullptr, &kept)) {
    case PictureLoad::NotValid:
        return c.fail(QStringLiteral("Image is not valid..."));
    case PictureLoad::NotMonochrome:
        return c.fail(QStringLiteral("Image is not monochrome..."));
    case PictureLoad::Loaded:
        break;
    }
    const QByteArray name = c.has(2) ? c.wire(2) : QByteArray();
    const LogoWrite written =
        c.f.WriteLogoChecked(c.number(0), image.bytesPerColumn, image.columnCount, name, image);
    if (written == LogoWrite::Failed)
        return false;
    if (kept.cut())
        c.note(kept.note());
    if (written == LogoWrite::HeldAsWritten)
        c.note(QStringLiteral("the printer did not confirm the write; read back, slot %1 holds "
                              "the logo as written")
                   .arg(c.number(0)));
    return true;
}

bool readMarkImage(Call &c) {
    const auto mark = std::make_unique<MarkImage>();
    if (!c.f.ReadMarkImage(*mark))
        return false;
    c.print(mark->height);
    c.print(mark->length);
    if (!c.has(0) || mark->height * mark->length == 0)
        return true; // an empty mark has no picture: no file is written
    const QString file = c.text(0);
    const QByteArray format = QFileInfo(file).suffix().toUpper().toLatin1();
    if (const auto why = savePicture(markPicture(*mark), file, format.constData()))
        return c.fail(QStringLiteral("cannot save the mark: %1").arg(*why));
    return true;
}

bool readFragment(Call &c) {
    FragmentReply cell;
    if (!c.f.ReadFragment(c.number(0), c.number(1), cell))
        return false;
    c.print(fromWire(cell.text));
    c.print(cell.font);
    c.print(cell.kind);
    return true;
}

// The font count, then every cell with the editors' retries; a line a cell.
bool readMarkCells(Call &c) {
    const MarkCells mark = readMarkCells(c.f);
    if (!mark.stateBlock && mark.blockRead)
        return c.fail(QStringLiteral("ReadMarkCells failed: the state block came without the font "
                                     "count (%1 of 14 bytes)")
                          .arg(mark.block.received));
    if (!mark.stateBlock)
        return false;
    if (mark.failedAt >= 0) {
        const QStringList &causes = c.f.state().causes;
        return c.fail(
            QStringLiteral("ReadMarkCells failed at %1 (%2 reads)%3")
                .arg(cellName(mark.failedAt))
                .arg(kCellReadAttempts)
                .arg(causes.isEmpty() ? QString() : QStringLiteral(": ") + causes.last()));
    }
    for (int i = 0; i < kMarkCells; ++i) {
        const CellSummary cell = summarize(*mark.cells[size_t(i)], mark.block.fontCount());
        QString line = QStringLiteral("%1 %2 %3 %4")
                           .arg(i / kMarkColumns + 1)
                           .arg(i % kMarkColumns + 1)
                           .arg(cellWord(cell.kind))
                           .arg(cell.font);
        if (!cell.text.isEmpty())
            line += QLatin1Char(' ') + cell.text;
        c.print(line);
    }
    return true;
}

bool readTimeParams(Call &c) {
    StateBlock block;
    if (!c.f.ReadTimeParams(block))
        return false;
    for (int i = 1; i <= block.received; ++i)
        c.print(block.byte(i));
    return true;
}

bool readByteStatus(Call &c) {
    quint8 status = 0;
    if (!c.f.ReadByteStatus(status))
        return false;
    c.print(status);
    return true;
}

bool readScript(Call &c) {
    QByteArray text;
    if (!c.f.ReadScript(text))
        return false;
    c.print(fromWire(text));
    return true;
}

bool readHydroStatus(Call &c) {
    // The ink-system read goes out on the port as it stands; a fresh process has none open yet.
    QByteArray text;
    if (!c.f.Connect() || !c.f.ReadHydroStatus(text))
        return false;
    c.print(fromWire(text));
    return true;
}

bool readLogoNamesList(Call &c) {
    LogoNames names;
    if (!c.f.ReadLogoNamesList(names))
        return false;
    for (int i = 0; LogoNumberAt(names, i) >= 0; ++i) {
        const QString name = fromWire(LogoNameAt(names, i));
        const QString slot = QString::number(LogoNumberAt(names, i));
        c.print(name.isEmpty() ? slot : slot + QLatin1Char(' ') + name);
    }
    return true;
}

// The whole printer into FILE; no file at all when the back-up did not go through.
bool backUpTo(Call &c) {
    backup::Backup b;
    const backup::Outcome outcome = backup::backUp(c.f, b);
    if (!outcome.ok())
        return c.fail(backup::describeBackUp(outcome));
    if (auto wrong = backup::saveBackup(c.text(0), b))
        return c.fail(*wrong);
    return true;
}

// FILE into the printer; a file that is damaged, of another version or out of range writes
// nothing.
bool restoreFrom(Call &c) {
    const backup::Parsed parsed = backup::loadBackup(c.text(0));
    const backup::Outcome outcome =
        parsed.backup ? backup::restore(c.f, *parsed.backup) : backup::refusal(parsed.error);
    if (!outcome.ok())
        return c.fail(backup::describeRestore(outcome));
    return true;
}

// "parameters,auto-run,script" (any of them, or "all") into the parts a job keeps.
std::optional<backup::Parts> partsNamed(const QString &words) {
    backup::Parts parts{false, false, false};
    for (const QString &word : words.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("all"))
            parts = {};
        else if (word == QLatin1String("parameters"))
            parts.parameters = true;
        else if (word == QLatin1String("auto-run"))
            parts.autoRun = true;
        else if (word == QLatin1String("script"))
            parts.script = true;
        else
            return std::nullopt;
    }
    return parts;
}

// The printer's job into FILE: its cells, the logos they place, and the parts named.
bool saveJobTo(Call &c) {
    const auto parts = partsNamed(c.has(1) ? c.text(1) : QString());
    backup::Job job;
    const backup::Outcome outcome = backup::takeJob(c.f, job, *parts);
    if (!outcome.ok())
        return c.fail(backup::describeBackUp(outcome).replace(QStringLiteral("Back-up"),
                                                              QStringLiteral("Reading the job")));
    if (auto wrong = backup::saveJob(c.text(0), job))
        return c.fail(*wrong);
    return true;
}

bool findDevice(Call &c) {
    if (!c.f.FindDevice())
        return false;
    const PortState &s = c.f.state();
    const int port = portIndexOf(s.portName);
    c.print(port >= 0 ? QStringLiteral("Com%1").arg(port + 1) : s.portName);
    c.print(s.baudName);
    return true;
}

std::vector<Operation> makeTable() {
    using F = Functions;
    return {
        plain("Start", &F::Start),
        plain("Stop", &F::Stop),
        plain("PrintStart", &F::PrintStart),
        plain("HighVoltageTurn", &F::HighVoltageTurn),
        plain("Reset", &F::Reset),
        plain("RunningNumberReset", &F::RunningNumberReset),
        plain("RunningNumberForward", &F::RunningNumberForward),
        plain("RunningNumberBack", &F::RunningNumberBack),
        plain("AutoRunStop", &F::AutoRunStop),
        {"SetAutoRunPeriod",
         {{"PERIOD", ArgKind::Number, 0, 255}},
         0,
         "",
         [](Call &c) { return c.f.SetAutoRunPeriod(QByteArray::number(c.number(0))); }},
        plain("MarkDelete", &F::MarkDelete),
        {"MarkStorage",
         {{"MODE", ArgKind::Number, 0, 2}, {"INDEX", ArgKind::Number, 0, 63}},
         0,
         "MODE 1 restores from the store place, 2 stores, 0 sends 'M'; INDEX is the place "
         "number minus one",
         [](Call &c) { return c.f.MarkStorage(c.number(0), c.number(1)); }},
        plain("MarkPrintForward", &F::MarkPrintForward),
        plain("MarkPrintBack", &F::MarkPrintBack),
        plain("BreakPointCorrectionOn", &F::BreakPointCorrectionOn),
        plain("BreakPointCorrectionOff", &F::BreakPointCorrectionOff),
        plain("MarkRotateOn", &F::MarkRotateOn),
        plain("MarkRotateOff", &F::MarkRotateOff),
        clockText("SetTime", "HHMMSS", ArgKind::Time, &F::SetTime),
        clockText("SetDate", "DDMMYY", ArgKind::Date, &F::SetDate),
        plain("KeyboardSelect", &F::KeyboardSelect),
        plain("KeyboardOff", &F::KeyboardOff),
        {"SetFont",
         {kFont, kRow, kColumn},
         0,
         "",
         [](Call &c) { return c.f.SetFont(c.number(0), c.number(1), c.number(2)); }},
        cellText("WriteTimeDateFragment", &F::WriteTimeDateFragment),
        cellText("WriteCounterFragment", &F::WriteCounterFragment),
        {"WritePostDateFragment",
         {kRow, kColumn, {"OFFSET", ArgKind::Digits, 1, 4}, kText},
         0,
         "OFFSET is the number of days, up to four digits (sent as four)",
         [](Call &c) {
             return c.f.WritePostDateFragment(c.number(0), c.number(1),
                                              c.wire(2).rightJustified(4, '0'), c.wire(3));
         }},
        cellText("WriteTextFragment", &F::WriteTextFragment, {"TEXT", ArgKind::Text, 0, 38}),
        {"PlaceLogo",
         {kLogo, kRow, kColumn},
         0,
         "",
         [](Call &c) { return c.f.PlaceLogo(c.number(0), c.number(1), c.number(2)); }},
        {"ReadFragment",
         {kRow, kColumn},
         0,
         "prints the text and both attribute bytes",
         readFragment},
        {"WriteSpecFunc",
         {{"G", ArgKind::Digits, 0, 1},
          {"N", ArgKind::Digits, 0, 8},
          {"E", ArgKind::Digits, 0, 8},
          {"S", ArgKind::Digits, 0, 4},
          {"P", ArgKind::Digits, 0, 4},
          {"Q", ArgKind::Digits, 0, 2}},
         0,
         "group, initial, finish, step, discrete step, fragment number; \"\" leaves one out; "
         "a counter's fragment number is its cell, row 1-4 and column 1-8",
         [](Call &c) {
             return c.f.WriteSpecFunc(c.wire(0), c.wire(1), c.wire(2), c.wire(3), c.wire(4),
                                      c.wire(5));
         },
         [](const Call &c) {
             return specFuncFault(
                 {c.wire(0), c.wire(1), c.wire(2), c.wire(3), c.wire(4), c.wire(5)});
         }},
        {"ReadTimeParams", {}, 0, "prints each byte of the state block received", readTimeParams},
        {"ReadMarkCells",
         {},
         0,
         "prints \"ROW COLUMN KIND FONT TEXT\" for each of the 32 cells; KIND is text, graphic, "
         "counter-up, counter-down, time-date, post-date, special or other; FONT as the editors "
         "show it (a logo: the font count - 1); TEXT, all after the fourth blank, is the text, "
         "value or format, a logo's slot, nothing for an empty cell",
         readMarkCells},
        oneValue("ReadParam", &F::ReadParam),
        oneValue("IncreaseParam", &F::IncreaseParam),
        oneValue("DecreaseParam", &F::DecreaseParam),
        {"ReadByteStatus", {}, 0, "", readByteStatus},
        {"ReadScript", {}, 0, "", readScript},
        {"ReadHydroStatus", {}, 0, "", readHydroStatus},
        {"ReadLogoNamesList", {}, 0, "prints \"slot name\" for each logo", readLogoNamesList},
        {"ReadMarkImage",
         {{"FILE", ArgKind::Picture}},
         1,
         "prints height and length; FILE gets one pixel a dot; an empty mark writes no file",
         readMarkImage},
        {"ReadLogoPreview",
         {kLogo, {"FILE.bmp", ArgKind::File}},
         1,
         "prints B and C; FILE.bmp gets the picture",
         readLogoPreview},
        {"WriteLogo",
         {kLogo, {"FILE.bmp", ArgKind::Existing}, kName},
         1,
         "FILE.bmp is a 1-bit bitmap",
         writeLogo},
        {"ReadLogo",
         {kLogo, {"FILE.bmp", ArgKind::File}},
         1,
         "prints the name, B and C; FILE.bmp gets the picture (none for an empty slot)",
         readLogo},
        {"RenameLogo",
         {kLogo, kName},
         0,
         "",
         [](Call &c) {
             LogoImage image;
             return c.f.RenameLogo(c.number(0), c.wire(1), image);
         }},
        {"DeleteLogo",
         {kLogo},
         0,
         "",
         [](Call &c) {
             LogoImage image;
             return c.f.DeleteLogo(c.number(0), image);
         }},
        {"FindDevice", {}, 0, "prints the port and the rate found", findDevice},
        {"Backup",
         {{"FILE", ArgKind::File}},
         0,
         "the whole printer into FILE (JSON): cells, logos, parameters, period, day count, "
         "script",
         backUpTo},
        {"Restore",
         {{"FILE", ArgKind::Existing}},
         0,
         "writes a backup FILE into the printer; a damaged file writes nothing",
         restoreFrom},
        {"SaveJob",
         {{"FILE", ArgKind::File}, {"WITH", ArgKind::Text}},
         1,
         "the printer's job into FILE (JSON): the cells and the logos they place; WITH adds "
         "parameters, auto-run, script (separated by commas) or all",
         saveJobTo,
         [](const Call &c) -> std::optional<QString> {
             if (c.has(1) && !partsNamed(c.text(1)))
                 return QStringLiteral("WITH must name parameters, auto-run, script or all, "
                                       "separated by commas, not \"%1\"")
                     .arg(c.text(1));
             return std::nullopt;
         }},
    };
}

} // namespace

const std::vector<Operation> &operations() {
    static const std::vector<Operation> table = makeTable();
    return table;
}

QString commandName(const char *operationName) {
    QString name;
    for (const char *p = operationName; *p; ++p) {
        const QChar ch = QLatin1Char(*p);
        if (ch.isUpper() && !name.isEmpty())
            name += QLatin1Char('-');
        name += ch.toLower();
    }
    return name;
}

const Operation *findOperation(const QString &command) {
    for (const Operation &op : operations())
        if (commandName(op.name) == command)
            return &op;
    return nullptr;
}

QString usageLine(const Operation &op) {
    QString line = commandName(op.name);
    const int required = int(op.params.size()) - op.optional;
    for (int i = 0; i < int(op.params.size()); ++i) {
        const QString name = QString::fromLatin1(op.params[size_t(i)].name);
        line += i < required ? QLatin1Char(' ') + name : QStringLiteral(" [%1").arg(name);
    }
    line += QString(op.optional, QLatin1Char(']'));
    return line;
}

std::optional<QString> bindArguments(const Operation &op, const QStringList &args, Call &call) {
    const int most = int(op.params.size());
    const int least = most - op.optional;
    if (args.size() < least || args.size() > most)
        return least == most ? QStringLiteral("%1 takes %2 argument(s), not %3")
                                   .arg(commandName(op.name))
                                   .arg(most)
                                   .arg(args.size())
                             : QStringLiteral("%1 takes %2 to %3 arguments, not %4")
                                   .arg(commandName(op.name))
                                   .arg(least)
                                   .arg(most)
                                   .arg(args.size());
    call.values.clear();
    call.numbers.clear();
    for (int i = 0; i < int(args.size()); ++i) {
        int number = 0;
        if (auto reason = check(op.params[size_t(i)], args[i], number))
            return reason;
        call.values.append(args[i]);
        call.numbers.push_back(number);
    }
    return op.check ? op.check(call) : std::nullopt;
}

} // namespace ctl

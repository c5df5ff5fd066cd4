#include "Job.h"

#include "FileAccess.h"

#include <algorithm>
#include <set>

namespace backup {

namespace {

std::set<int> placedLogos(const Backup &b) {
    std::set<int> placed;
    for (const Cell &c : b.cells)
        if (c.kind == CellKind::Graphic)
            placed.insert(c.logo);
    return placed;
}

bool holdsSpecialCounter(const Backup &b) {
    return std::any_of(b.cells.begin(), b.cells.end(),
                       [](const Cell &c) { return c.kind == CellKind::SpecFunc; });
}

// What a cell holds, as an operator reads it: "LOT 42" for a text, its kind before any other.
QString holding(const Cell &c) {
    if (c.kind == CellKind::Graphic)
        return QStringLiteral("logo %1").arg(c.logo);
    const QString quoted = QLatin1Char('"') + c.text + QLatin1Char('"');
    return c.kind == CellKind::Text ? quoted : cellWord(c.kind) + QLatin1Char(' ') + quoted;
}

const Cell *cellAt(const Backup &b, int row, int column) {
    for (const Cell &c : b.cells)
        if (c.row == row && c.column == column)
            return &c;
    return nullptr;
}

const Logo *logoAt(const Backup &b, int slot) {
    for (const Logo &l : b.logos)
        if (l.slot == slot)
            return &l;
    return nullptr;
}

bool sameDots(const Logo &a, const Logo &b) {
    for (int c = 0; c < a.C; ++c)
        for (int k = 0; k < a.B; ++k)
            if (a.dots[size_t(c)][size_t(k)] != b.dots[size_t(c)][size_t(k)])
                return false;
    return true;
}

QString cellDifference(const Cell &job, const Cell &printer) {
    const QString at = QStringLiteral("cell %1,%2: ").arg(job.row).arg(job.column);
    const bool sameHolding =
        job.kind == printer.kind &&
        (job.kind == CellKind::Graphic ? job.logo == printer.logo : job.text == printer.text);
    if (!sameHolding)
        return at +
               QStringLiteral("printer holds %1, job says %2").arg(holding(printer), holding(job));
    if (job.kind != CellKind::Graphic && job.font != printer.font)
        return at + QStringLiteral("font %1, job %2").arg(printer.font).arg(job.font);
    if (job.kind == CellKind::Other && job.kindByte != printer.kindByte)
        return at + QStringLiteral("kind byte %1, job %2").arg(printer.kindByte).arg(job.kindByte);
    return {};
}

QString logoDifference(const Logo &job, const Logo *printer) {
    const QString at = QStringLiteral("logo %1: ").arg(job.slot);
    if (!printer)
        return at + QStringLiteral("empty, job has \"%1\" (%2 × %3)")
                        .arg(job.name)
                        .arg(job.B)
                        .arg(job.C);
    if (printer->B != job.B || printer->C != job.C)
        return at + QStringLiteral("size %1 × %2, job %3 × %4")
                        .arg(printer->B)
                        .arg(printer->C)
                        .arg(job.B)
                        .arg(job.C);
    if (!sameDots(job, *printer))
        return at + QStringLiteral("dots differ");
    if (printer->name != job.name)
        return at + QStringLiteral("named \"%1\", job \"%2\"").arg(printer->name, job.name);
    return {};
}

Scope scopeOf(const Job &job) {
    Scope scope;
    scope.allLogos = false;
    scope.parameters = job.parts.parameters;
    scope.autoRun = job.parts.autoRun;
    scope.script = job.parts.script;
    for (const Logo &l : job.content.logos)
        scope.alsoLogos.push_back(l.slot);
    return scope;
}

} // namespace

Job jobOf(const Backup &whole, const Parts &parts) {
    Job job;
    job.content = whole;
    job.parts = parts;
    job.parts.script = parts.script || holdsSpecialCounter(whole);
    const std::set<int> placed = placedLogos(whole);
    std::erase_if(job.content.logos, [&](const Logo &l) { return !placed.count(l.slot); });
    if (!job.parts.parameters)
        job.content.parameters = {};
    if (!job.parts.autoRun)
        job.content.autoRunPeriod = 0;
    if (!job.parts.script)
        job.content.script.clear();
    return job;
}

std::optional<QString> validate(const Job &job) {
    if (auto e = validate(job.content))
        return e;
    const std::set<int> placed = placedLogos(job.content);
    for (int slot : placed)
        if (!logoAt(job.content, slot))
            return QStringLiteral("a cell places logo %1, which the job does not hold").arg(slot);
    for (const Logo &l : job.content.logos)
        if (!placed.count(l.slot))
            return QStringLiteral("logo in slot %1: no cell of the job places it").arg(l.slot);
    if (!job.parts.script && holdsSpecialCounter(job.content))
        return QStringLiteral("the job has a special-function counter but no script");
    return std::nullopt;
}

ParsedJob parseJob(const QByteArray &json) {
    Parsed parsed = parseBackup(json, FileKind::Job);
    if (!parsed.backup)
        return {std::nullopt, parsed.error};
    Job job{std::move(*parsed.backup), parsed.parts};
    if (auto e = validate(job))
        return {std::nullopt, *e};
    return {std::move(job), {}};
}

ParsedJob loadJob(const QString &path) {
    QString error;
    const auto bytes = files::readRegular(path, files::kDataLimit, &error);
    if (!bytes)
        return {std::nullopt, error};
    return parseJob(*bytes);
}

std::optional<QString> saveJob(const QString &path, const Job &job) {
    if (auto e = validate(job))
        return e;
    return files::writeWhole(path, toJson(job.content, FileKind::Job, job.parts));
}

Outcome takeJob(Functions &f, Job &out, const Parts &parts, const Progress &progress) {
    Backup whole;
    Scope scope;
    scope.allLogos = false;
    scope.parameters = parts.parameters;
    const Outcome o = backUp(f, whole, progress, scope);
    if (o.ok())
        out = jobOf(whole, parts);
    return o;
}

QString jobWords(const Job &job) {
    return contentWords(job.content, scopeOf(job));
}

Outcome applyJob(Functions &f, const Job &job, const Progress &progress) {
    if (auto wrong = validate(job))
        return refusal(*wrong);
    return writeBackup(f, job.content, progress, scopeOf(job));
}

QStringList differences(const Job &job, const Backup &printer) {
    QStringList found;
    const Backup &want = job.content;
    if (printer.fontCount != want.fontCount)
        found
            << QStringLiteral("font count: %1, job %2").arg(printer.fontCount).arg(want.fontCount);
    for (const Cell &c : want.cells) {
        const Cell *held = cellAt(printer, c.row, c.column);
        const QString d = held ? cellDifference(c, *held)
                               : QStringLiteral("cell %1,%2: not read").arg(c.row).arg(c.column);
        if (!d.isEmpty())
            found << d;
    }
    for (const Logo &l : want.logos)
        if (const QString d = logoDifference(l, logoAt(printer, l.slot)); !d.isEmpty())
            found << d;
    if (printer.postDays != want.postDays)
        found << QStringLiteral("post-date day count: %1, job %2")
                     .arg(printer.postDays)
                     .arg(want.postDays);
    if (job.parts.parameters)
        for (size_t i = 0; i < kPrintParameters.size(); ++i)
            if (printer.parameters[i] != want.parameters[i])
                found << QStringLiteral("parameter %1: %2, job %3")
                             .arg(QLatin1Char(kPrintParameters[i].letter))
                             .arg(printer.parameters[i])
                             .arg(want.parameters[i]);
    if (job.parts.autoRun && printer.autoRunPeriod != want.autoRunPeriod)
        found << QStringLiteral("auto-run period: %1, job %2")
                     .arg(printer.autoRunPeriod)
                     .arg(want.autoRunPeriod);
    if (job.parts.script && printer.script != want.script)
        found << QStringLiteral("script: \"%1\", job \"%2\"").arg(printer.script, want.script);
    return found;
}

Verification verifyJob(Functions &f, const Job &job, const Progress &progress) {
    Verification v;
    Backup printer;
    v.read = backUp(f, printer, progress, scopeOf(job));
    if (v.read.ok())
        v.differences = differences(job, printer);
    return v;
}

} // namespace backup

#include "BackupTransfer.h"

#include "Change.h"
#include "MarkCells.h"
#include "StateBlock.h"
#include "WireText.h"

#include <algorithm>

namespace backup {

namespace {

constexpr int kAttempts = 3; // every other read

// Runs the steps of one transfer and keeps its outcome.
class Steps {
public:
    Steps(Functions &functions, const Progress &p, int total) : f(functions), progress(p) {
        outcome.total = total;
    }

    Functions &f;
    Outcome outcome;

    // Between two steps, and inside a step between its exchanges: whether the work may go on.
    bool carryOn() {
        if (stopped || (progress && !progress(outcome.done, outcome.total)))
            stopped = true;
        return !stopped;
    }
    // One step; false ends the transfer. `work` may set `cause` for a failure of its own.
    bool run(const QString &name, const std::function<bool()> &work) {
        const qsizetype causes = f.state().causes.size();
        cause.clear();
        if (carryOn() && work()) {
            done(name);
            return true;
        }
        endAt(name, causes);
        return false;
    }
    void done(const QString &name) {
        ++outcome.done;
        outcome.last = name;
    }
    // The transfer ends at this step: cancelled when the progress stopped it, otherwise failed
    // with `cause`, or the last cause the link gave since `causes` of them were known.
    const Outcome &endAt(const QString &name, qsizetype causes) {
        outcome.step = name;
        if (stopped) {
            outcome.end = Outcome::End::Cancelled;
            return outcome;
        }
        outcome.end = Outcome::End::Failed;
        if (cause.isEmpty())
            cause = f.state().causes.size() > causes ? f.state().causes.last()
                                                     : QStringLiteral("the printer did not answer");
        outcome.cause = cause;
        return outcome;
    }
    // An exchange tried up to `attempts` times while the work may go on.
    bool attempts(int n, const std::function<bool()> &exchange) {
        for (int i = 0; i < n && carryOn(); ++i)
            if (exchange())
                return true;
        return false;
    }
    QString cause;

private:
    const Progress &progress;
    bool stopped = false;
};

bool readStateBlock(Steps &s, StateBlock &block) {
    if (!s.attempts(kAttempts, [&] { return s.f.ReadTimeParams(block); }))
        return false;
    if (block.received < 14) {
        s.cause =
            QStringLiteral("the state block came with %1 of its 14 bytes").arg(block.received);
        return false;
    }
    return true;
}

Cell cellOf(int row, int column, const FragmentReply &reply, int fontCount) {
    Cell c;
    c.row = row;
    c.column = column;
    c.kind = classify(reply, fontCount, GraphicRule::FontCount);
    if (c.kind == CellKind::Graphic && reply.text.size() != 1)
        c.kind = CellKind::Other; // a logo's cell carries its slot in one byte
    if (c.kind == CellKind::Graphic) {
        c.logo = quint8(reply.text[0]);
        return c;
    }
    c.font = reply.font;
    c.text = fromWire(reply.text);
    c.kindByte = reply.kind;
    return c;
}

bool writeCell(Functions &f, const Cell &c, const Backup &b) {
    const QByteArray text = toWire(c.text);
    const auto font = [&] { return f.SetFont(c.font, c.row, c.column); };
    switch (c.kind) {
    case CellKind::Graphic:
        return f.PlaceLogo(c.logo, c.row, c.column);
    case CellKind::CounterDown:
    case CellKind::CounterUp:
    case CellKind::SpecFunc: // the script, written last, makes it the special counter again
        return (c.kind == CellKind::CounterDown ? f.RunningNumberBack()
                                                : f.RunningNumberForward()) &&
               f.WriteCounterFragment(c.row, c.column, text) && font();
    case CellKind::TimeDate:
        return f.WriteTimeDateFragment(c.row, c.column, text) && font();
    case CellKind::PostDate:
        return f.WritePostDateFragment(
                   c.row, c.column, QByteArray::number(b.postDays).rightJustified(4, '0'), text) &&
               font();
    case CellKind::Text:
        return f.WriteTextFragment(c.row, c.column, text) && font();
    case CellKind::Other: // written as the text editor shows it: a text in its font, if any
        return f.WriteTextFragment(c.row, c.column, text) &&
               (c.font >= qMin(b.fontCount, 10) || font());
    }
    return false;
}

bool writeLogo(Functions &f, const Logo &l) {
    LogoImage image; // the write takes the dots as a picture packs them
    for (int c = 0; c < l.C; ++c)
        for (int k = 0; k < l.B; ++k)
            image.dots[size_t(c)][size_t(k)] = MirrorBits(l.dots[size_t(c)][size_t(k)]);
    return f.WriteLogoChecked(l.slot, l.B, l.C, toWire(l.name), image) != LogoWrite::Failed;
}

// Steps the parameter from the printer's value to the target, one step at a time.
bool stepParameter(Steps &s, quint8 code, int target) {
    quint8 value = 0;
    if (!s.attempts(kAttempts, [&] { return s.f.ReadParam(code, value); }))
        return false;
    while (value != target) {
        if (!s.carryOn())
            return false;
        const quint8 before = value;
        const bool up = value < target;
        if (!(up ? s.f.IncreaseParam(code, value) : s.f.DecreaseParam(code, value)))
            return false;
        if (up ? value <= before : value >= before) {
            s.cause = QStringLiteral("it stayed at %1 on its way to %2").arg(value).arg(target);
            return false;
        }
    }
    return true;
}

// The list's count is one byte, so a printer with all 256 slots filled lists only 255: when the
// list is full, every slot it leaves out is looked at (a preview), and those holding a logo are
// added to the logos to read. One step a slot looked at.
bool findUnlisted(Steps &s, const LogoNames &names, std::vector<int> &listed) {
    if (names.count < 255)
        return true;
    std::vector<int> unlisted;
    for (int slot = 0; slot < 256; ++slot)
        if (std::find(listed.begin(), listed.end(), slot) == listed.end())
            unlisted.push_back(slot);
    s.outcome.total += int(unlisted.size());
    for (int slot : unlisted)
        if (!s.run(QStringLiteral("slot %1, which the full names list leaves out").arg(slot), [&] {
                LogoImage image;
                if (!s.attempts(kAttempts, [&] { return s.f.ReadLogoPreview(slot, image); }))
                    return false;
                if (image.bytesPerColumn <= 4) // it answered a size: a logo is stored there
                    listed.push_back(slot);
                return true;
            }))
            return false;
    return true;
}

QString parameterStep(size_t i) {
    return QStringLiteral("parameter %1").arg(kPrintParameters[i].letter);
}

QString summary(const Outcome &o) {
    return QStringLiteral("%1 of %2 steps, the last %3")
        .arg(o.done)
        .arg(o.total)
        .arg(o.last.isEmpty() ? QStringLiteral("none") : o.last);
}

} // namespace

Outcome backUp(Functions &f, Backup &out, const Progress &progress, const Scope &scope) {
    // The state block, 32 cells, the names list, 13 parameters and the script; then the logos.
    const int parameterSteps = scope.parameters ? int(kPrintParameters.size()) : 0;
    Steps s(f, progress, 1 + kCells + 1 + parameterSteps + 1);
    Backup b;
    b.programVersion = programVersion();
    b.made = QDateTime::currentDateTimeUtc();
    // The state block and the 32 cells, as the editors read them; a step each.
    const qsizetype causes = f.state().causes.size();
    const QString blockStep = QStringLiteral("the state block");
    const MarkCells mark = readMarkCells(f, {.stateBlockAttempts = kAttempts,
                                             .carryOn =
                                                 [&](int cell) {
                                                     if (cell == 0 && s.outcome.done == 0)
                                                         s.done(blockStep);
                                                     return s.carryOn();
                                                 },
                                             .cellDone =
                                                 [&](int cell, const MarkCells &soFar) {
                                                     if (soFar.cells[size_t(cell)])
                                                         s.done(cellName(cell));
                                                 }});
    if (!mark.stateBlock) {
        if (mark.blockRead)
            s.cause = QStringLiteral("the state block came with %1 of its 14 bytes")
                          .arg(mark.block.received);
        return s.endAt(blockStep, causes);
    }
    if (!mark.done())
        return s.endAt(cellName(mark.failedAt >= 0 ? mark.failedAt : mark.read), causes);
    b.fontCount = mark.block.fontCount();
    b.postDays = mark.block.postDateDays();
    b.autoRunPeriod = mark.block.autoRunPeriod();
    for (int i = 0; i < kMarkCells; ++i)
        b.cells.push_back(cellOf(i / kMarkColumns + 1, i % kMarkColumns + 1, *mark.cells[size_t(i)],
                                 b.fontCount));
    LogoNames names;
    if (!s.run(QStringLiteral("the logo names list"),
               [&] { return s.attempts(kAttempts, [&] { return f.ReadLogoNamesList(names); }); }))
        return s.outcome;
    std::vector<int> listed;
    if (scope.allLogos) {
        for (int i = 0; LogoNumberAt(names, i) >= 0; ++i)
            listed.push_back(LogoNumberAt(names, i));
        if (!findUnlisted(s, names, listed))
            return s.outcome;
    } else {
        listed = scope.alsoLogos;
        for (const Cell &c : b.cells)
            if (c.kind == CellKind::Graphic)
                listed.push_back(c.logo);
        std::sort(listed.begin(), listed.end());
        listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
    }
    s.outcome.total += int(listed.size());
    for (size_t i = 0; i < listed.size(); ++i)
        if (!s.run(QStringLiteral("logo %1").arg(listed[i]), [&] {
                LogoImage image;
                QByteArray name;
                if (!s.attempts(kAttempts, [&] { return f.ReadLogo(listed[i], image, name); }))
                    return false;
                if (image.bytesPerColumn > 4)
                    return true; // the slot answered no size: nothing is stored there
                Logo l;
                l.slot = listed[i];
                // A name whose checksum failed comes back empty; the list still has it.
                int inList = 0;
                while (LogoNumberAt(names, inList) >= 0 && LogoNumberAt(names, inList) != l.slot)
                    ++inList;
                l.name = fromWire(name.isEmpty() ? LogoNameAt(names, inList) : name);
                while (l.name.endsWith(QLatin1Char(' ')))
                    l.name.chop(1);
                l.B = image.bytesPerColumn;
                l.C = image.columnCount;
                l.dots = image.dots;
                b.logos.push_back(l);
                return true;
            }))
            return s.outcome;
    for (size_t i = 0; i < size_t(parameterSteps); ++i)
        if (!s.run(parameterStep(i), [&] {
                quint8 value = 0;
                const quint8 code = quint8(kPrintParameters[i].letter);
                if (!s.attempts(kAttempts, [&] { return f.ReadParam(code, value); }))
                    return false;
                b.parameters[i] = value;
                return true;
            }))
            return s.outcome;
    if (!s.run(QStringLiteral("the script"), [&] {
            QByteArray script;
            if (!s.attempts(kAttempts, [&] { return f.ReadScript(script); }))
                return false;
            b.script = fromWire(script);
            return true;
        }))
        return s.outcome;
    if (auto wrong = validate(b)) {
        s.outcome.end = Outcome::End::Failed;
        s.outcome.step = QStringLiteral("what was read");
        s.outcome.cause = *wrong + QStringLiteral(", which a restore could not write back");
        return s.outcome;
    }
    out = std::move(b);
    return s.outcome;
}

Outcome restore(Functions &f, const Backup &b, const Progress &progress, const Scope &scope) {
    const QString operation = QStringLiteral("RestoreBackup");
    const auto words = [&] { return contentWords(b, scope); };
    recordStart(f.state(), operation, words);
    const Outcome o = writeBackup(f, b, progress, scope);
    recordEnd(f.state(), operation, words, o.ok() ? QString() : describeRestore(o));
    return o;
}

QString contentWords(const Backup &b, const Scope &scope) {
    QStringList parts{QStringLiteral("%1 cells").arg(b.cells.size()),
                      b.logos.size() == 1 ? QStringLiteral("1 logo")
                                          : QStringLiteral("%1 logos").arg(b.logos.size()),
                      QStringLiteral("post-date %1 days").arg(b.postDays)};
    if (scope.parameters)
        parts << QStringLiteral("parameters");
    if (scope.autoRun)
        parts << QStringLiteral("auto-run period");
    if (scope.script)
        parts << QStringLiteral("script");
    return parts.join(QStringLiteral(", "));
}

Outcome writeBackup(Functions &f, const Backup &b, const Progress &progress, const Scope &scope) {
    // The logos, the cells, the parameters, the period, the day count and the script.
    const int parameterSteps = scope.parameters ? int(kPrintParameters.size()) : 0;
    Steps s(f, progress,
            kCells + int(b.logos.size()) + parameterSteps + 1 + int(scope.autoRun) +
                int(scope.script));
    const auto refuse = [&](const QString &why) {
        Outcome o = refusal(why);
        o.total = s.outcome.total;
        return o;
    };
    if (auto wrong = validate(b))
        return refuse(*wrong);
    const auto items = parseScript(b.script.toLatin1());
    // Nothing is written before the printer's font count is known to be the backup's: the fonts
    // and the logo cells depend on it.
    StateBlock block;
    const qsizetype causes = f.state().causes.size();
    if (!readStateBlock(s, block)) {
        if (!s.carryOn()) {
            s.outcome.end = Outcome::End::Cancelled;
            s.outcome.step = QStringLiteral("the state block");
            return s.outcome;
        }
        const QString why = !s.cause.isEmpty()                 ? s.cause
                            : f.state().causes.size() > causes ? f.state().causes.last()
                                                               : QStringLiteral("no answer");
        return refuse(QStringLiteral("the printer's font count could not be read: %1").arg(why));
    }
    if (block.fontCount() != b.fontCount)
        return refuse(QStringLiteral("the printer has %1 fonts; the backup was made on one with %2")
                          .arg(block.fontCount())
                          .arg(b.fontCount));
    // The logos first, so that a logo cell shows its own logo from the moment it is placed.
    for (const Logo &l : b.logos)
        if (!s.run(QStringLiteral("logo %1").arg(l.slot), [&] { return writeLogo(f, l); }))
            return s.outcome;
    for (const Cell &c : b.cells)
        if (!s.run(cellName((c.row - 1) * kMarkColumns + c.column - 1),
                   [&] { return writeCell(f, c, b); }))
            return s.outcome;
    for (size_t i = 0; i < size_t(parameterSteps); ++i)
        if (!s.run(parameterStep(i), [&] {
                return stepParameter(s, quint8(kPrintParameters[i].letter), b.parameters[i]);
            }))
            return s.outcome;
    if (scope.autoRun && !s.run(QStringLiteral("the auto-run period"), [&] {
            return f.SetAutoRunPeriod(QByteArray::number(b.autoRunPeriod));
        }))
        return s.outcome;
    if (!s.run(QStringLiteral("the post-date day count"), [&] {
            return f.SetPostDays(QByteArray::number(b.postDays).rightJustified(4, '0'));
        }))
        return s.outcome;
    if (scope.script)
        s.run(QStringLiteral("the script"), [&] {
            return f.WriteSpecFunc(items->group, items->initial, items->finish, items->step,
                                   items->discrete, items->fragment);
        });
    return s.outcome;
}

Outcome refusal(const QString &why) {
    Outcome o;
    o.end = Outcome::End::Refused;
    o.cause = why;
    return o;
}

QString describeBackUp(const Outcome &o) {
    switch (o.end) {
    case Outcome::End::Done:
        return QStringLiteral("The printer is backed up (%1 steps).").arg(o.done);
    case Outcome::End::Cancelled:
        return QStringLiteral("Back-up cancelled at %1 after %2; no file was written.")
            .arg(o.step, summary(o));
    case Outcome::End::Failed:
    case Outcome::End::Refused:
        break;
    }
    return QStringLiteral("Back-up failed at %1: %2. Read before it: %3; no file was written.")
        .arg(o.step, o.cause, summary(o));
}

QString describeRestore(const Outcome &o) {
    switch (o.end) {
    case Outcome::End::Done:
        return QStringLiteral("The printer is restored (%1 steps written).").arg(o.done);
    case Outcome::End::Refused:
        return QStringLiteral("Restore refused: %1. Nothing was written.").arg(o.cause);
    case Outcome::End::Cancelled:
        return QStringLiteral("Restore cancelled at %1. Written: %2; from %1 on the printer keeps "
                              "its own.")
            .arg(o.step, summary(o));
    case Outcome::End::Failed:
        break;
    }
    return QStringLiteral("Restore failed at %1: %2. Written: %3; from %1 on the printer keeps its "
                          "own.")
        .arg(o.step, o.cause, summary(o));
}

} // namespace backup

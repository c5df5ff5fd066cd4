#pragma once
// stampctl's table of printer operations: each entry names an operation, lists its arguments with
// what they may hold, and runs it on an open exchange.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class Functions;

namespace ctl {

struct Operation;

enum class ArgKind {
    Number,   // a decimal number in [min, max]
    Letter,   // one ASCII letter, passed on as its code
    Digits,   // min to max decimal digits (min 0: may be empty)
    Text,     // any text the printer's code page can carry, at most max bytes there (0: no limit)
    File,     // a file name
    Picture,  // a file name ending in .png or .bmp
    Time,     // HHMMSS, a time of day; hour 24 is the printer's midnight
    Date,     // DDMMYY, a day of the calendar (20YY)
    Existing, // the name of a file that exists
};

struct Param {
    const char *name;
    ArgKind kind;
    int min = 0;
    int max = 0;
};

// One run of an operation: its checked arguments, and what it prints.
class Call {
public:
    explicit Call(Functions &functions) : f(functions) {}

    Functions &f;

    bool has(int i) const { return i < values.size(); }
    int number(int i) const { return numbers[size_t(i)]; }
    const QString &text(int i) const { return values.at(i); }
    QByteArray wire(int i) const; // the text in the printer's code page

    void print(const QString &line) { out.append(line); }
    // A line for stderr beside a success.
    void note(const QString &line) { notes.append(line); }
    void print(int value) { out.append(QString::number(value)); }
    // Replaces the standard "<Operation> failed" line.
    bool fail(const QString &message) {
        failure = message;
        return false;
    }

    QStringList out;
    QStringList notes;
    QString failure;

private:
    friend std::optional<QString> bindArguments(const Operation &, const QStringList &, Call &);
    QStringList values;
    std::vector<int> numbers;
};

struct Operation {
    const char *name; // the printer operation's own name, e.g. "WriteCounterFragment"
    std::vector<Param> params;
    int optional = 0;      // how many trailing params may be left out
    const char *note = ""; // one more line of usage, when the operation needs it
    std::function<bool(Call &)> run;
    // What the arguments together may not be (each alone fits its param), or nothing.
    std::function<std::optional<QString>(const Call &)> check = {};
};

const std::vector<Operation> &operations();
// "WriteCounterFragment" -> "write-counter-fragment".
QString commandName(const char *operationName);
const Operation *findOperation(const QString &command);
// "write-counter-fragment ROW COLUMN TEXT", with optional arguments in brackets.
QString usageLine(const Operation &op);

// The one place that reads a number from the command line: decimal digits with an optional
// leading minus, nothing else.
std::optional<int> parseNumber(const QString &text);

// Checks the arguments against the operation's params and binds them to the call; returns the
// reason when they do not fit.
std::optional<QString> bindArguments(const Operation &op, const QStringList &args, Call &call);

} // namespace ctl

#pragma once
// The printer's script of special functions, as ReadScript returns it and WriteSpecFunc sends it:
// an optional counter item, then an optional group item.
//   Q rc  N nnnnnnnn  E nnnnnnnn  S nnnn  P nnnn   the expanding counter in cell r,c: its initial
//                                                  and finish values, its step and discrete step
//   G g                                            the marks printed as one group
// The printer keeps each value at the width shown (WriteSpecFunc pads shorter ones with '0').

#include <QByteArray>
#include <QString>
#include <optional>

struct ScriptItems {
    // The values as WriteSpecFunc takes them; empty when the item is absent.
    QByteArray group, initial, finish, step, discrete, fragment;

    // A counter goes out when any of its four values is given.
    bool hasCounter() const;
};

// The widths the printer keeps.
inline constexpr int kScriptFragmentDigits = 2;
inline constexpr int kScriptValueDigits = 8; // initial and finish
inline constexpr int kScriptStepDigits = 4;  // step and discrete step

// The items of a script as the printer reports it, each value at its full width; nothing when the
// text is not such a script. An empty script holds no special function. (A backup takes only a
// script that parses whole.)
std::optional<ScriptItems> parseScript(const QByteArray &script);

// The script read by position, as the special-functions window reads it: the characters that
// follow the first `letter` of the script, at most `width` of them; nothing when the letter does
// not occur.
std::optional<QByteArray> scriptValue(const QByteArray &script, char letter, int width);
// The counter item cut from the first Q on, by position (Q, 2, N, 8, E, 8, S, 4, P, 4), to be sent
// again unchanged; all empty when there is no Q. The group is left empty.
ScriptItems counterOf(const QByteArray &script);

// Why the values cannot go to the printer, or nothing: a value that is not digits or is longer
// than the printer keeps (once blanks are trimmed), a group of more than one digit, and, when a
// counter goes out, a fragment number that names no cell of the mark (row 1..4, column 1..8).
std::optional<QString> specFuncFault(const ScriptItems &items);

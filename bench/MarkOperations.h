#pragma once
// The stampctl operations that make a printer full for a benchmark, run on the built-in virtual
// printer: full logos written from slot 100, some placed in the even cells of row 4, and a text
// in every other cell.

#include <QDir>
#include <QStringList>
#include <functional>
#include <optional>

namespace bench {

inline constexpr int kFirstLogoSlot = 100;
inline constexpr int kLogoBytes = 4;     // a full logo: 4 bytes a column (32 dots high)
inline constexpr int kLogoColumns = 125; // and 125 columns: the 500 bytes of a logo frame

// Operations separated by "--", for one stampctl run: `logos` full logos named `namePrefix` and
// two digits, each a 1-bit picture saved into `dir`; in row 4's even columns the logo
// `placed(column)` (a slot), a text in every other cell. Nothing, with `failure` set, when a
// picture cannot be written.
std::optional<QStringList> markOperations(const QDir &dir, int logos, const QString &namePrefix,
                                          const std::function<int(int column)> &placed,
                                          QString *failure);

// Appends one operation to a list of them, "--" between two.
void addOperation(QStringList &operations, const QStringList &words);

} // namespace bench

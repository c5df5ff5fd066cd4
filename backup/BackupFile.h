#pragma once
// A backup of a whole printer: everything the program can read from it, kept as a JSON file a
// person can read (docs/backup-format.md). The model, its checks, and the file's writing and
// reading. A file is taken only whole: every value is checked before anything uses it, and the
// first thing wrong is named.

#include "FragmentKind.h"
#include "LogoImage.h"
#include "PrintParameters.h"
#include "Script.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace backup {

// The version of the file's layout; a file of another version is refused.
inline constexpr int kFormatVersion = 1;
// What a fragment's text may hold: the most the printer keeps of a text.
inline constexpr int kMaxCellText = 38;
inline constexpr int kMaxPostDays = 9999; // the day count travels as four digits
inline constexpr int kCells = kMarkRows * kMarkColumns;

struct Cell {
    int row = 1;
    int column = 1;
    CellKind kind = CellKind::Text;
    int font = 0;     // the font byte; not kept for a graphic cell
    QString text;     // text, counter value, date/time or post-date format; not for a graphic
    int logo = 0;     // Graphic: the logo slot
    int kindByte = 0; // Other: the kind byte as the printer sent it
};

struct Logo {
    int slot = 0;
    QString name;    // at most 8 characters, trailing blanks dropped
    int B = 1;       // bytes a column, 1..4
    int C = 1;       // columns, 1..255, B x C at most 500
    LogoDots dots{}; // wire orientation: a set bit is a dot, byte 0 the bottom, bit 7 its top
};

struct Backup {
    QString programVersion; // of the program that made it
    QDateTime made;         // when it was made, UTC
    int fontCount = 0;
    std::vector<Cell> cells;                               // all 32, row by row
    std::vector<Logo> logos;                               // the stored logos, by slot
    std::array<int, kPrintParameters.size()> parameters{}; // in the list's order
    int autoRunPeriod = 0;
    int postDays = 0;
    QString script;
};

// The first thing wrong with a backup, or nothing: every range, text and logo, all 32 cells once,
// a special cell where the script's counter stands.
std::optional<QString> validate(const Backup &b);

// The program's own version, as the files it writes carry it.
QString programVersion();

// A file holds a whole printer (a backup) or what a changeover changes (a job, which may leave
// out the parameters, the auto-run period and the script). Both are read and checked by the same
// code; each is refused where the other is expected.
enum class FileKind { Backup, Job };
// The parts a file holds beside the cells and logos; a backup holds them all.
struct Parts {
    bool parameters = true;
    bool autoRun = true;
    bool script = true;
    bool operator==(const Parts &) const = default;
};

QByteArray toJson(const Backup &b, FileKind kind = FileKind::Backup, const Parts &parts = {});
// The backup a file's bytes hold, or why they hold none.
struct Parsed {
    std::optional<Backup> backup;
    QString error;
    Parts parts; // what the file held
};
Parsed parseBackup(const QByteArray &json, FileKind kind = FileKind::Backup);
// The file at `path`, read and parsed; a file that cannot be read says so as its error.
Parsed loadBackup(const QString &path);
// Writes the file whole or not at all; the reason when it could not.
std::optional<QString> saveBackup(const QString &path, const Backup &b);

// A logo's dots as text rows from the top, '#' a dot and '.' none; 8 x B rows of C characters.
QStringList dotRows(const Logo &logo);

} // namespace backup

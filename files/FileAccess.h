#pragma once
// Files we are handed are untrusted. A state file, backup, job, settings file or picture is read
// only when it is a regular file within its size limit: a FIFO, a device or a directory is refused
// without ever blocking on it. A file we write goes to a temporary file in the same folder, which
// replaces the target only when the target is a regular file or absent.

#include <QByteArray>
#include <QString>
#include <optional>

namespace files {

// A backup of a full printer (32 cells, 256 logos of 500 bytes drawn as rows of dots) is about
// 1.2 MB and a virtual printer's state file about 0.5 MB; jobs are smaller still.
inline constexpr qint64 kDataLimit = 8 * 1024 * 1024;
// A settings file holds a few short sections.
inline constexpr qint64 kSettingsLimit = 1024 * 1024;
// A picture for a logo or the image editor: far more than any logo of at most 32 x 512 dots.
inline constexpr qint64 kPictureLimit = 32 * 1024 * 1024;

// "8 MB", "1 MB": a limit as the messages name it.
QString sizeText(qint64 bytes);

// What the path names when it is not a regular file ("a directory", "a FIFO", "a device",
// "a socket", "not a regular file"); empty for a regular file or a path that names nothing.
// Symbolic links are followed.
QString otherKind(const QString &path);

// Why the path cannot be read as a regular file of at most `limit` bytes; nothing when it can.
std::optional<QString> unreadable(const QString &path, qint64 limit);

// The whole file, when it is a regular file of at most `limit` bytes; otherwise nothing, with the
// reason in `error`. Opening never blocks, whatever the path names.
std::optional<QByteArray> readRegular(const QString &path, qint64 limit, QString *error);

// Why the path may not be written over (it names a directory, a FIFO or a device); nothing when
// it is a regular file or absent.
std::optional<QString> unwritable(const QString &path);

// Writes the bytes whole or not at all, through a temporary file in the target's folder renamed
// over it; the reason when it could not.
std::optional<QString> writeWhole(const QString &path, const QByteArray &bytes);

} // namespace files

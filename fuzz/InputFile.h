// The fuzz input as a file, for the targets that read what a file holds.

#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdint>

// A file in the temporary folder named for this process and NAME.
inline QString scratchFile(const char *name) {
    return QDir::temp().filePath(QStringLiteral("stamp-fuzz-%1-%2")
                                     .arg(QCoreApplication::applicationPid())
                                     .arg(QLatin1String(name)));
}

// Writes the input to PATH; false when the file cannot be written.
inline bool writeInput(const QString &path, const uint8_t *data, size_t size) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size);
}

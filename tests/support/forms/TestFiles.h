#pragma once
// Files a test lays out before the program reads them.

#include <QByteArray>
#include <QFile>
#include <QString>

// Writes `bytes` as the whole of the file at `path`; whether it could.
inline bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

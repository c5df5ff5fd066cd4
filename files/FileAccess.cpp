#include "FileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace files {

namespace {

#ifdef Q_OS_UNIX
QString kindOfMode(mode_t mode) {
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return QStringLiteral("a directory");
    if (S_ISFIFO(mode))
        return QStringLiteral("a FIFO");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a regular file");
}
#endif

QString notRegular(const QString &path, const QString &kind) {
    return QStringLiteral("%1 is %2, not a regular file").arg(path, kind);
}

QString tooLarge(const QString &path, qint64 limit) {
    return QStringLiteral("%1 is larger than %2, more than any such file can be")
        .arg(path, sizeText(limit));
}

} // namespace

QString sizeText(qint64 bytes) {
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KB").arg(bytes / 1024);
    return QStringLiteral("%1 bytes").arg(bytes);
}

QString otherKind(const QString &path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return kindOfMode(st.st_mode);
#else
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    return info.isDir() ? QStringLiteral("a directory") : QStringLiteral("not a regular file");
#endif
}

std::optional<QString> unreadable(const QString &path, qint64 limit) {
    const QFileInfo info(path);
    if (!info.exists())
        return info.isSymLink() ? QStringLiteral("%1 is a link to nothing").arg(path)
                                : QStringLiteral("no such file: %1").arg(path);
    if (const QString kind = otherKind(path); !kind.isEmpty())
        return notRegular(path, kind);
    if (info.size() > limit)
        return tooLarge(path, limit);
    return std::nullopt;
}

std::optional<QByteArray> readRegular(const QString &path, qint64 limit, QString *error) {
    const auto failed = [error](const QString &why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (auto why = unreadable(path, limit))
        return failed(*why);
    QFile file;
#ifdef Q_OS_UNIX
    // Opened without blocking and checked again on the descriptor: a FIFO put in the file's place
    // since the check above is refused, not waited on.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed(QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(strerror(errno))));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const QString kind = kindOfMode(st.st_mode);
        ::close(fd);
        return failed(notRegular(path, kind.isEmpty() ? QStringLiteral("not a file") : kind));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return failed(QStringLiteral("%1: %2").arg(path, file.errorString()));
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("%1: %2").arg(path, file.errorString()));
#endif
    // Read to its end, in buffers of the file's own size rather than the limit's; a file that grows
    // while it is read is still read only up to one byte past its limit.
    QByteArray bytes = file.read(qMin(file.size(), limit) + 1);
    while (bytes.size() <= limit) {
        const QByteArray more = file.read(qMin<qint64>(65536, limit + 1 - bytes.size()));
        if (more.isEmpty())
            break;
        bytes += more;
    }
    if (bytes.size() > limit)
        return failed(tooLarge(path, limit));
    if (file.error() != QFileDevice::NoError)
        return failed(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return bytes;
}

std::optional<QString> unwritable(const QString &path) {
    if (const QString kind = otherKind(path); !kind.isEmpty())
        return QStringLiteral("%1 is %2: only a regular file is written over").arg(path, kind);
    return std::nullopt;
}

std::optional<QString> writeWhole(const QString &path, const QByteArray &bytes) {
    if (auto why = unwritable(path))
        return why;
    // QSaveFile follows a symbolic link and replaces the file it names.
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return QStringLiteral("%1: %2").arg(path, out.errorString());
    return std::nullopt;
}

} // namespace files

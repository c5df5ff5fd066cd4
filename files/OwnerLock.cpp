#include "OwnerLock.h"

#include <QFile>
#include <QLockFile>
#include <QMutex>
#include <QSysInfo>
#include <map>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

namespace files {

OwnerLock::~OwnerLock() {
#ifdef Q_OS_UNIX
    if (descriptor >= 0)
        ::close(descriptor); // and with it the flock
#endif
}

QString inUseMessage(const QString &what, const QString &holder) {
    const QString message = QStringLiteral("%1 is in use by another program").arg(what);
    return holder.isEmpty() ? message : message + QStringLiteral(" (%1)").arg(holder);
}

std::unique_ptr<OwnerLock> OwnerLock::onFile(const QString &path, QString *why) {
    auto lock = std::unique_ptr<OwnerLock>(new OwnerLock);
    lock->file = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    lock->file->setStaleLockTime(0); // only a lock whose program has died is stale
    if (lock->file->tryLock(0))
        return lock;
    if (lock->file->error() != QLockFile::LockFailedError) {
        lock->file.reset(); // no lock file can be made here: nothing to hold
        return lock;
    }
    qint64 pid = 0;
    QString host, program;
    QString holder;
    if (lock->file->getLockInfo(&pid, &host, &program)) {
        holder = QStringLiteral("%1, pid %2")
                     .arg(program.isEmpty() ? QStringLiteral("?") : program)
                     .arg(pid);
        if (!host.isEmpty() && host != QSysInfo::machineHostName())
            holder += QStringLiteral(" on %1").arg(host);
    }
    if (why)
        *why = inUseMessage(path, holder);
    return nullptr;
}

std::shared_ptr<OwnerLock> OwnerLock::onDevice(const QString &device, QString *why) {
    if (why)
        why->clear();
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(device);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0)
        return nullptr;
    static QMutex mutex;
    static std::map<std::pair<quint64, quint64>, std::weak_ptr<OwnerLock>> held;
    QMutexLocker locker(&mutex);
    std::weak_ptr<OwnerLock> &entry = held[{quint64(st.st_dev), quint64(st.st_ino)}];
    if (auto shared = entry.lock())
        return shared;
    const int fd = ::open(path.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    // A serial port that another program holds open in exclusive mode refuses a second opening.
    const bool busy = fd < 0 && errno == EBUSY;
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        auto lock = std::shared_ptr<OwnerLock>(new OwnerLock);
        lock->descriptor = fd;
        entry = lock;
        return lock;
    }
    const bool locked = fd >= 0 && errno == EWOULDBLOCK;
    if (fd >= 0)
        ::close(fd);
    if ((busy || locked) && why)
        *why = inUseMessage(QStringLiteral("the device"), flockHolder(device));
#else
    Q_UNUSED(device);
#endif
    return nullptr;
}

QString flockHolder(const QString &path) {
#ifdef Q_OS_LINUX
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    // /proc/locks: "1: FLOCK  ADVISORY  WRITE 4711 00:19:3 0 EOF", the file as
    // major:minor (hexadecimal) and inode of the file system it lies on.
    const QByteArray file = QStringLiteral("%1:%2:%3")
                                .arg(major(st.st_dev), 2, 16, QLatin1Char('0'))
                                .arg(minor(st.st_dev), 2, 16, QLatin1Char('0'))
                                .arg(quint64(st.st_ino))
                                .toLatin1();
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields[1] != "FLOCK" || fields[5] != file)
            continue;
        const QByteArray pid = fields[4];
        QFile comm(QStringLiteral("/proc/%1/comm").arg(QString::fromLatin1(pid)));
        const QString program = comm.open(QIODevice::ReadOnly)
                                    ? QString::fromLocal8Bit(comm.readAll().trimmed())
                                    : QStringLiteral("?");
        return QStringLiteral("%1, pid %2").arg(program, QString::fromLatin1(pid));
    }
#else
    Q_UNUSED(path);
#endif
    return {};
}

} // namespace files

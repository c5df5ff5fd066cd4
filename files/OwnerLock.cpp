#include "OwnerLock.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMutex>
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
    // A file's lock file goes while it is still locked (a folder that is gone already takes
    // it along); the descriptor, and with it the flock, last.
    if (!lockPath.isEmpty())
        ::unlink(QFile::encodeName(lockPath).constData());
    if (descriptor >= 0)
        ::close(descriptor);
#endif
}

QString inUseMessage(const QString &what, const QString &holder) {
    const QString message = QStringLiteral("%1 is in use by another program").arg(what);
    return holder.isEmpty() ? message : message + QStringLiteral(" (%1)").arg(holder);
}

std::unique_ptr<OwnerLock> OwnerLock::onFile(const QString &path, QString *why) {
    auto lock = std::unique_ptr<OwnerLock>(new OwnerLock);
    const QString lockPath = path + QStringLiteral(".lock");
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(lockPath);
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0)
            return lock; // no lock file can be made here: nothing to hold
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            if (why)
                *why = inUseMessage(path, flockHolder(lockPath));
            return nullptr;
        }
        // The lock file may have been removed by its last owner between our opening and our
        // lock: then the lock is on a file nobody else sees, and it is taken again.
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
            const QByteArray owner = QByteArray::number(QCoreApplication::applicationPid()) + ' ' +
                                     QCoreApplication::applicationName().toUtf8() + '\n';
            // The owner's name in the file is for a person only: nothing depends on it.
            if (::ftruncate(fd, 0) == 0) [[maybe_unused]]
                const auto written = ::write(fd, owner.constData(), size_t(owner.size()));
            lock->descriptor = fd;
            lock->lockPath = lockPath;
            return lock;
        }
        ::close(fd);
    }
    return lock;
#else
    lock->file = std::make_unique<QLockFile>(lockPath);
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
    if (lock->file->getLockInfo(&pid, &host, &program))
        holder = QStringLiteral("%1, pid %2").arg(program).arg(pid);
    if (why)
        *why = inUseMessage(path, holder);
    return nullptr;
#endif
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
        // The program by the name it was started by (its command line's first word).
        const QByteArray pid = fields[4];
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(QString::fromLatin1(pid)));
        const QByteArray started =
            command.open(QIODevice::ReadOnly) ? command.readAll().split('\0').value(0) : "";
        const QString program = started.isEmpty()
                                    ? QStringLiteral("?")
                                    : QFileInfo(QFile::decodeName(started)).fileName();
        return QStringLiteral("%1, pid %2").arg(program, QString::fromLatin1(pid));
    }
#else
    Q_UNUSED(path);
#endif
    return {};
}

} // namespace files

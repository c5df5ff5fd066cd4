#include "PtyServer.h"

#include "OwnerLock.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace printer {

namespace {

struct RateCode {
    int baud;
    speed_t code;
};
constexpr RateCode kRates[] = {{1200, B1200},   {2400, B2400},    {4800, B4800},
                               {9600, B9600},   {19200, B19200},  {38400, B38400},
                               {57600, B57600}, {115200, B115200}};

speed_t codeOf(int baud) {
    for (const RateCode &r : kRates)
        if (r.baud == baud)
            return r.code;
    return B0;
}

int baudOf(speed_t code) {
    for (const RateCode &r : kRates)
        if (r.code == code)
            return r.baud;
    return 0;
}

QString systemError(const char *what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

PtyServer::PtyServer(VirtualPrinter &p, bool paced) : printer(p), pump(p, paced) {
    pump.hostRate = [this] { return hostRate(); };
}

PtyServer::~PtyServer() {
    removeLink();
    if (slaveFd >= 0)
        ::close(slaveFd);
    if (master >= 0)
        ::close(master);
}

bool PtyServer::open(const QString &linkPath, QString *error) {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        *error = systemError("posix_openpt");
        return false;
    }
    const char *name = ptsname(master);
    if (!name) {
        *error = systemError("ptsname");
        return false;
    }
    slave = QString::fromLocal8Bit(name);
    slaveFd = ::open(name, O_RDWR | O_NOCTTY);
    if (slaveFd < 0) {
        *error = QStringLiteral("cannot open %1: %2")
                     .arg(slave, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    // Raw from the start, so the line discipline never echoes or edits what the host sends.
    termios t{};
    tcgetattr(slaveFd, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, codeOf(printer.lineRate()));
    cfsetospeed(&t, codeOf(printer.lineRate()));
    if (tcsetattr(slaveFd, TCSANOW, &t) != 0) {
        *error = QStringLiteral("cannot set %1 raw: %2")
                     .arg(slave, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    // One server a link: another live server's link is never taken over.
    linkOwner = files::OwnerLock::onFile(linkPath, error);
    if (!linkOwner)
        return false;
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        QFile::remove(linkPath);
    } else if (existing.exists()) {
        *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath);
        return false;
    }
    if (::symlink(name, QFile::encodeName(linkPath).constData()) != 0) {
        *error = QStringLiteral("cannot make the link %1 to %2: %3")
                     .arg(linkPath, slave, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    link = linkPath;
    return true;
}

void PtyServer::removeLink() {
    // Only a link that still leads to this server's line is its own to remove.
    if (!link.isEmpty() && QFileInfo(link).symLinkTarget() == slave)
        QFile::remove(link);
    link.clear();
    linkOwner.reset();
}

int PtyServer::hostRate() const {
    termios t{};
    if (tcgetattr(slaveFd, &t) != 0)
        return 0;
    return baudOf(cfgetospeed(&t));
}

int PtyServer::serve() {
    // The server holds the slave open, so the host's closing the line never ends the stream.
    const BytePump::End end = pump.serve(master);
    removeLink();
    return end == BytePump::End::Stopped ? 0 : 1;
}

} // namespace printer

#include "ReferenceHost.h"

#include "BenchReport.h"
#include "SystemLine.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace bench {

namespace {

// The system serial port, recording every opening, purge, write, read and pause into the script.
class RecordingLine : public SerialLine {
public:
    RecordingLine(std::unique_ptr<SystemLine> line, LineScript &into)
        : inner(std::move(line)), script(into) {
        baud_ = inner->baud();
        ownership = inner->ownership;
    }
    bool setLine(int baud) override {
        const bool ok = inner->setLine(baud);
        baud_ = inner->baud();
        return ok;
    }
    void purgeInput() override {
        script.append({LineStep::Purge, {}, 0});
        inner->purgeInput();
    }
    bool write(const QByteArray &bytes, int boundMs) override {
        script.append({LineStep::Write, bytes, 0});
        return inner->write(bytes, boundMs);
    }
    std::optional<quint8> read(int boundMs) override {
        const auto byte = inner->read(boundMs);
        script.append({byte ? LineStep::Read : LineStep::Missed, {}, boundMs});
        return byte;
    }
    void pause(int ms) override {
        script.append({LineStep::Pause, {}, ms});
        inner->pause(ms);
    }
    bool gone() const override { return inner->gone(); }
    void beginExchange() override { inner->beginExchange(); }

private:
    std::unique_ptr<SystemLine> inner;
    LineScript &script;
};

speed_t codeOf(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 115200:
        return B115200;
    default:
        return B57600;
    }
}

QString why(const char *what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(strerror(errno)));
}

} // namespace

LineFactory recordingLines(LineScript &script) {
    return [&script](const QString &device, QString *reason) -> std::unique_ptr<SerialLine> {
        std::unique_ptr<SystemLine> line = SystemLine::open(device, reason);
        if (!line)
            return nullptr;
        script.append({LineStep::Open, device.toLocal8Bit(), 0});
        return std::make_unique<RecordingLine>(std::move(line), script);
    };
}

ScriptCount countOf(const LineScript &script) {
    ScriptCount c;
    for (const LineStep &step : script) {
        switch (step.kind) {
        case LineStep::Write:
            c.written += step.bytes.size();
            break;
        case LineStep::Read:
            ++c.read;
            break;
        case LineStep::Missed:
            ++c.missed;
            break;
        case LineStep::Pause:
            ++c.pauses;
            c.pausedMs += step.ms;
            break;
        case LineStep::Open:
        case LineStep::Clock:
        case LineStep::Purge:
            break;
        }
    }
    return c;
}

HostRun replay(const LineScript &script, const QString &device, int baud) {
    HostRun run;
    int fd = -1;
    double start = wallMs();
    const auto fail = [&](const QString &what) {
        run.failure = what;
        if (fd >= 0)
            ::close(fd);
        return run;
    };
    for (const LineStep &step : script) {
        switch (step.kind) {
        case LineStep::Open: {
            if (fd >= 0)
                ::close(fd);
            fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
            if (fd < 0)
                return fail(why("open"));
            termios t{};
            if (tcgetattr(fd, &t) != 0)
                return fail(why("tcgetattr"));
            cfmakeraw(&t);
            t.c_cflag |= CLOCAL | CREAD;
            t.c_cc[VMIN] = 1;
            t.c_cc[VTIME] = 0;
            cfsetispeed(&t, codeOf(baud));
            cfsetospeed(&t, codeOf(baud));
            if (tcsetattr(fd, TCSANOW, &t) != 0)
                return fail(why("tcsetattr"));
            break;
        }
        case LineStep::Clock:
            start = wallMs();
            break;
        case LineStep::Purge:
            tcflush(fd, TCIFLUSH);
            break;
        case LineStep::Write: {
            qsizetype done = 0;
            while (done < step.bytes.size()) {
                const ssize_t n =
                    ::write(fd, step.bytes.constData() + done, size_t(step.bytes.size() - done));
                if (n < 0 && errno != EINTR)
                    return fail(why("write"));
                done += qMax<ssize_t>(n, 0);
            }
            run.bytes += done;
            break;
        }
        case LineStep::Read: {
            pollfd p{fd, POLLIN, 0};
            int ready = 0;
            do
                ready = ::poll(&p, 1, 1000);
            while (ready < 0 && errno == EINTR);
            char byte = 0;
            if (ready <= 0 || ::read(fd, &byte, 1) != 1)
                return fail(
                    QStringLiteral("no byte came within 1 s after %1 bytes").arg(run.bytes));
            ++run.bytes;
            break;
        }
        case LineStep::Missed:
            return fail(QStringLiteral("the program's run missed a byte: nothing to replay"));
        case LineStep::Pause: {
            const timespec pause{step.ms / 1000, long(step.ms % 1000) * 1'000'000};
            clock_nanosleep(CLOCK_MONOTONIC, 0, &pause, nullptr);
            break;
        }
        }
    }
    run.ms = wallMs() - start;
    if (fd >= 0)
        ::close(fd);
    run.ok = true;
    return run;
}

} // namespace bench

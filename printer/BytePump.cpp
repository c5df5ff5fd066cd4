#include "BytePump.h"

#include "FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace printer {

namespace {

// A second of silence from the host ends its exchange.
constexpr qint64 kExchangeGapNs = 1'000'000'000;
// Ten bits a byte: a rate's worth of bytes takes ten seconds.
constexpr qint64 kTenSecondsNs = 10'000'000'000;

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

qint64 monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

} // namespace

int stopSignalFd() {
    if (signalPipe[0] >= 0)
        return signalPipe[0];
    if (::pipe(signalPipe) != 0)
        return -1;
    for (int fd : signalPipe) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // A host that goes away while the printer answers is an end of the exchange, not of the
    // server.
    signal(SIGPIPE, SIG_IGN);
    return signalPipe[0];
}

// --- Lateness ---------------------------------------------------------------------------------

void Lateness::taken(qint64 lateNs) {
    late.push_back(lateNs);
    ++in;
}

void Lateness::sent(qint64 lateNs) {
    late.push_back(lateNs);
    ++out;
}

void Lateness::waitAfter(qint64 lateNs) {
    ++waits;
    waitsLate += lateNs;
}

QByteArray Lateness::report() const {
    std::vector<qint64> sorted = late;
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double share) {
        return sorted.empty() ? 0 : sorted[size_t(double(sorted.size() - 1) * share + 0.5)];
    };
    qint64 total = 0;
    for (qint64 ns : late)
        total += ns;
    QByteArray text;
    const auto line = [&](const char *key, qint64 value) {
        text += key;
        text += ' ';
        text += QByteArray::number(value);
        text += '\n';
    };
    line("bytes", bytes());
    line("bytes_in", in);
    line("bytes_out", out);
    line("median_ns", at(0.5));
    line("p95_ns", at(0.95));
    line("max_ns", sorted.empty() ? 0 : sorted.back());
    line("total_late_ns", total);
    line("waits", waits);
    line("waits_late_ns", waitsLate);
    return text;
}

bool Lateness::write(const QString &path, QString *error) const {
    if (const auto why = files::writeWhole(path, report())) {
        *error = *why;
        return false;
    }
    return true;
}

// --- The schedule -----------------------------------------------------------------------------

qint64 BytePump::Schedule::due(qint64 rate, qint64 n) const {
    return anchorNs + ((count + n) * kTenSecondsNs + rate - 1) / rate;
}

void BytePump::Schedule::advance(qint64 rate, qint64 n) {
    count += n;
    // A rate's worth of bytes is exactly ten seconds: move the anchor on by whole ten seconds,
    // so that the products stay small however long the printer streams.
    while (count >= rate) {
        anchorNs += kTenSecondsNs;
        count -= rate;
    }
}

// --- The pump ---------------------------------------------------------------------------------

BytePump::BytePump(VirtualPrinter &p, bool paced) : printer(p), pace(paced) {}

qint64 BytePump::rate() const {
    return qMax(1, printer.lineRate());
}

qint64 BytePump::byteNs() const {
    return pace ? (kTenSecondsNs + rate() - 1) / rate() : 0;
}

void BytePump::takeHostBytes(qint64 nowNs) {
    // Paced, the bytes are taken on a schedule of one line time each, anchored when they came.
    while (!fromHost.empty()) {
        const qint64 due = pace ? in.due(rate()) : nowNs;
        if (nowNs < due)
            break;
        const quint8 byte = fromHost.front();
        fromHost.pop_front();
        // The printer has the byte when it is due and answers at once: what it sends then is at
        // the host one line time later, however late this loop woke.
        if (pace && toHost.isEmpty() && out.due(rate()) < due + byteNs())
            out.restartAt(due + byteNs());
        // The host's rate is that of the line as it stands when the byte arrives.
        if (!hostRate || hostRate() == printer.lineRate())
            toHost += printer.feed(byte);
        else
            printer.lose(byte);
        late.taken(nowNs - due);
        if (pace)
            in.advance(rate(), 1);
        lastHostNs = nowNs;
        exchangeOpen = true;
    }
}

bool BytePump::sendPrinterBytes(int fd, qint64 nowNs) {
    if (toHost.isEmpty() || (pace && nowNs < out.due(rate())))
        return true;
    qsizetype chunk = toHost.size();
    if (pace) { // every byte that is due by now, and no more
        chunk = 1;
        while (chunk < toHost.size() && out.due(rate(), chunk) <= nowNs)
            ++chunk;
    }
    const ssize_t n = ::write(fd, toHost.constData(), size_t(chunk));
    if (n < 0) // full (wait for POLLOUT), or the far end is gone
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    qint64 lastLate = 0;
    for (ssize_t i = 0; i < n; ++i) {
        lastLate = pace ? nowNs - out.due(rate(), i) : 0;
        late.sent(lastLate);
    }
    if (pace)
        out.advance(rate(), n);
    toHost.remove(0, n);
    // Nothing more to send or take: the printer waits for the host, which may have waited for
    // this byte.
    if (n > 0 && toHost.isEmpty() && fromHost.empty())
        late.waitAfter(lastLate);
    return true;
}

BytePump::End BytePump::serve(int fd, int otherFd, const std::function<void()> &onOther) {
    const int stopFd = stopSignalFd();
    if (stopFd < 0)
        return End::Failed;
#ifdef __linux__
    // Paced bytes are due every few hundred microseconds: wake for them without the default
    // 50 us of timer slack.
    if (pace)
        prctl(PR_SET_TIMERSLACK, 1UL);
#endif
    End end = End::Failed;
    for (;;) {
        const qint64 now = monotonicNs();
        takeHostBytes(now);
        if (!sendPrinterBytes(fd, now)) {
            end = End::Closed;
            break;
        }
        if (exchangeOpen && fromHost.empty() && now - lastHostNs >= kExchangeGapNs) {
            toHost += printer.endExchange();
            exchangeOpen = false;
        }

        // Sleep until a byte arrives, the line has room, a paced byte is due, or the gap ends.
        qint64 waitNs = exchangeOpen ? lastHostNs + kExchangeGapNs - now : -1;
        const auto sooner = [&](qint64 ns) { waitNs = waitNs < 0 ? ns : qMin(waitNs, ns); };
        if (!fromHost.empty())
            sooner(qMax<qint64>(0, in.due(rate()) - now));
        const qint64 outDue = pace ? out.due(rate()) : now;
        if (!toHost.isEmpty() && outDue > now)
            sooner(outDue - now);
        pollfd fds[3] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}, {otherFd, POLLIN, 0}};
        if (!toHost.isEmpty() && outDue <= now)
            fds[0].events |= POLLOUT;
        // To the nanosecond: a paced byte is due a fraction of a millisecond ahead.
        const timespec timeout{time_t(waitNs / 1'000'000'000), long(waitNs % 1'000'000'000)};
        if (::ppoll(fds, otherFd >= 0 ? 3 : 2, waitNs < 0 ? nullptr : &timeout, nullptr) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents & POLLIN) {
            end = End::Stopped; // SIGTERM or SIGINT; the pipe keeps its byte for the caller
            break;
        }
        if (fds[0].revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                end = End::Closed;
                break;
            }
            // A byte that begins to come now has fully arrived one line time later.
            const qint64 arrived = monotonicNs() + byteNs();
            if (n > 0 && pace && fromHost.empty() && in.due(rate()) < arrived)
                in.restartAt(arrived);
            for (ssize_t i = 0; i < n; ++i)
                fromHost.push_back(quint8(buffer[i]));
        } else if (fds[0].revents & POLLNVAL) {
            break;
        } else if (fds[0].revents & (POLLERR | POLLHUP)) {
            end = End::Closed;
            break;
        }
        if (otherFd >= 0 && (fds[2].revents & POLLIN) && onOther)
            onOther();
    }
    // Whatever was under way ends with the stream; nobody is left to hear the rest.
    printer.endExchange();
    exchangeOpen = false;
    fromHost.clear();
    toHost.clear();
    return end;
}

} // namespace printer

#include "Transcript.h"

#include <algorithm>

void Transcript::hostByte(quint8 value, bool lost) {
    bytes_.push_back({true, value, lost});
    trim();
}

void Transcript::printerBytes(const QByteArray &bytes) {
    for (char c : bytes)
        bytes_.push_back({false, quint8(c), false});
    trim();
}

void Transcript::trim() {
    if (size() <= limit)
        return;
    // Drop the older half, cut at a command boundary when there is one in the second half.
    qsizetype cut = size() / 2;
    const auto later = std::find_if(commands_.begin(), commands_.end(),
                                    [&](const Command &c) { return c.first >= cut; });
    if (later != commands_.end())
        cut = later->first;
    bytes_.erase(bytes_.begin(), bytes_.begin() + cut);
    commands_.erase(commands_.begin(), later);
    for (Command &c : commands_)
        c.first -= cut;
}

void Transcript::beginCommand(qsizetype first) {
    commands_.push_back({QStringLiteral("Unknown"), first, first});
}

void Transcript::nameCommand(const QString &name) {
    if (!commands_.empty())
        commands_.back().name = name;
    if (onCommand)
        onCommand(name);
}

void Transcript::clear() {
    bytes_.clear();
    commands_.clear();
}

std::vector<Transcript::Command> Transcript::commands() const {
    std::vector<Command> list = commands_;
    for (size_t i = 0; i < list.size(); ++i)
        list[i].end = i + 1 < list.size() ? list[i + 1].first : size();
    return list;
}

QByteArray Transcript::bytesOf(const Command &command, bool fromHost) const {
    QByteArray out;
    for (qsizetype i = command.first; i < command.end; ++i) {
        const Byte &b = bytes_[size_t(i)];
        if (b.fromHost == fromHost && !b.lost)
            out.append(char(b.value));
    }
    return out;
}

QString Transcript::lastCommandName() const {
    return commands_.empty() ? QString() : commands_.back().name;
}

QByteArray Transcript::lastCommandHostBytes() const {
    const auto list = commands();
    return list.empty() ? QByteArray() : bytesOf(list.back(), true);
}

QByteArray Transcript::lastCommandPrinterBytes() const {
    const auto list = commands();
    return list.empty() ? QByteArray() : bytesOf(list.back(), false);
}

std::vector<QByteArray> Transcript::hostBytesOf(const QString &name) const {
    std::vector<QByteArray> found;
    for (const Command &command : commands())
        if (command.name == name)
            found.push_back(bytesOf(command, true));
    return found;
}

QString Transcript::text() const {
    QString out;
    const auto list = commands();
    size_t next = 0;
    bool lastFromHost = false;
    bool lineOpen = false;
    for (size_t i = 0; i < bytes_.size(); ++i) {
        if (next < list.size() && qsizetype(i) == list[next].first) {
            if (lineOpen)
                out += QLatin1Char('\n');
            out += list[next].name;
            ++next;
            lineOpen = true;
            lastFromHost = !bytes_[i].fromHost; // force a direction mark
        }
        const Byte &b = bytes_[i];
        if (!lineOpen) {
            lineOpen = true;
            lastFromHost = !b.fromHost;
        }
        if (b.fromHost != lastFromHost) {
            out += b.fromHost ? QStringLiteral(" >") : QStringLiteral(" <");
            lastFromHost = b.fromHost;
        }
        out += QLatin1Char(' ') +
               QString::number(b.value, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        if (b.lost)
            out += QLatin1Char('x');
    }
    return out;
}

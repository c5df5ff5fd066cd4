#pragma once
// Everything that passed the printer's line: every byte with its direction, and where each
// command began together with the name under which the printer recognised it.

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

class Transcript {
public:
    struct Byte {
        bool fromHost = true;
        quint8 value = 0;
        bool lost = false; // a host byte the printer never got (wrong rate, cut line, silence)
    };
    struct Command {
        QString name;        // "ReadFragment", "WriteLogo", ... ("Unknown" for a stray byte)
        qsizetype first = 0; // index of its first byte in bytes()
        qsizetype end = 0;   // one past its last byte (the next command's first)
    };

    void hostByte(quint8 value, bool lost = false);
    void printerBytes(const QByteArray &bytes);
    // The command that begins with the host byte at index `first`.
    void beginCommand(qsizetype first);
    void nameCommand(const QString &name);
    // Told the name of every command as the printer recognises it.
    std::function<void(const QString &name)> onCommand;
    void clear();
    // The transcript keeps at most about this many bytes: past it, the oldest commands go.
    void setLimit(qsizetype bytes) { limit = qMax<qsizetype>(2, bytes); }

    const std::vector<Byte> &bytes() const { return bytes_; }
    std::vector<Command> commands() const;
    qsizetype size() const { return qsizetype(bytes_.size()); }

    // The bytes of the last command (the one being received counts as the last).
    QString lastCommandName() const;
    QByteArray lastCommandHostBytes() const;    // what the printer received
    QByteArray lastCommandPrinterBytes() const; // what the printer sent
    // Host bytes of every command with that name, oldest first.
    std::vector<QByteArray> hostBytesOf(const QString &name) const;

    // One line a command: its name, then "> 11 31 31" (host) and "< 03 ..." (printer) runs;
    // lost bytes are marked with "x".
    QString text() const;

private:
    QByteArray bytesOf(const Command &command, bool fromHost) const;
    void trim();

    std::vector<Byte> bytes_;
    std::vector<Command> commands_; // end is filled in by commands()
    qsizetype limit = qsizetype(1) << 20;
};

#pragma once
// A main window made over an in-process virtual printer, with a recorder for its messages: the
// ground of the program's window tests.

#include "KvorMain.h"
#include "Recorder.h"
#include "VirtualPrinter.h"
#include "Widgets.h"

#include <QTemporaryDir>
#include <memory>

class MainRig {
public:
    // COM1 is a fresh virtual printer (at 57600 baud); the settings name com1 and 9600, the
    // other ports name devices that do not exist.
    MainRig();
    ~MainRig();

    QString path(const QString &name) const { return dir.filePath(name); }
    // A further virtual printer of this rig (a fresh one for every name).
    QString virtualDevice(const QString &name) const;
    std::shared_ptr<printer::VirtualPrinter> printerOf(const QString &device) const;

    // Marks the start of what a test looks at: the printer's transcript and the messages so far
    // are forgotten.
    void mark();
    // Host bytes of the commands since mark(), one hex string a command ("0B 41").
    QStringList commands() const;
    // Commands since mark() by the names the printer gave them.
    QStringList commandNames() const;
    // A printer that does not answer at all (it listens at another rate).
    void switchOff() { printer->setLineRate(4800); }
    void switchOn() { printer->setLineRate(57600); }

    // The settings file as it is on disk.
    QByteArray settingsText() const;

    QTemporaryDir dir;
    QString settings;
    QString device;
    std::shared_ptr<printer::VirtualPrinter> printer;
    Recorder messages;
    std::unique_ptr<Hub> hub; // made before the main window, and outliving it
    std::unique_ptr<TAutoControl> main;

private:
    qsizetype from = 0;
};

// Hex of bytes, "0B 41".
QString hex(const QByteArray &bytes);
// Bytes of a hex string.
QByteArray unhex(const QString &text);
// Commands of a transcript from index `from` on: by name, or as the host's bytes in hex.
QStringList commandNamesOf(const Transcript &transcript, qsizetype from);
QStringList commandBytesOf(const Transcript &transcript, qsizetype from);
// Host bytes of one value the printer never got (it was switched off), in the whole transcript.
int lostBytes(const Transcript &transcript, quint8 value);

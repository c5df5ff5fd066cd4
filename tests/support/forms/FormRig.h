#pragma once
// A small hub for testing one form without the main window: a fresh virtual printer on Com1 at
// its own rate, a recorder for the messages, the window messages the form sent kept in order,
// and a clock the test moves.

#include "Hub.h"
#include "Recorder.h"
#include "VirtualPrinter.h"
#include "Widgets.h"

#include <QTemporaryDir>

namespace detail {
struct RecorderHolder {
    Recorder messages;
};
} // namespace detail

class FormRig : private detail::RecorderHolder, public Hub {
public:
    // The printer is found and its state block read, as the main window leaves it.
    FormRig();
    ~FormRig() override;

    using detail::RecorderHolder::messages;
    void postMessage(const WindowMessage &message) override { posted << message; }
    void sendMessage(const WindowMessage &message) override { sent << message; }
    QList<WindowMessage> posted, sent;

    // Marks the start of what a test looks at: transcript, messages and window messages.
    void mark();
    qsizetype markedAt() const { return from; } // the transcript's index at the mark
    QStringList commandNames() const;
    QStringList commands() const; // host bytes in hex, one string a command
    void switchOff() { printer->setLineRate(4800); }
    void switchOn() { printer->setLineRate(57600); }
    printer::PrinterState &state() { return printer->state(); }
    // A clock that moves `stepMs` every time it is read, so long waits show their progress.
    void clockSteps(qint64 stepMs);

    QTemporaryDir dir;
    std::shared_ptr<printer::VirtualPrinter> printer;

private:
    qsizetype from = 0;
    qint64 now = 0;
};

#pragma once
// The hub of the program's windows: the printer (its port and every operation, one exchange at a
// time), the messages, the state block's font count, the auto-run stop with retry, the window
// messages, the logo names, the storage mode, the long-wait pattern, and the images and flags
// through which the windows hand work to each other. It is made before the main window and
// outlives every window that holds it; dialogs are given it when they are made, never the
// concrete main window.

#include "FragmentKind.h"
#include "Functions.h"
#include "LongWait.h"
#include "Messages.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QWidget;
namespace audit {
class Trail;
}

// A registered window message: one event type a name, registered once a process, as a window
// message registered by name. Each layer names the messages it posts; the main window handles
// them by name.
struct WindowMessage {
    const char *name;
    QEvent::Type type() const;
    bool operator==(const WindowMessage &other) const;
};

// The main window's own message.
inline constexpr WindowMessage kPortNotInit{"PortNotInit"};

// The mark as the printer renders it, and the flags that sequence its read and its view.
struct MarkShare {
    static constexpr int kZoom = 4; // screen pixels a dot

    MarkImage image;
    bool readRequested = false;
    bool redrawRequested = false;
    bool valid = false;
    bool grid = false; // lasts from one view to the next
    // The cell (row, column) the next date/time, post-date, counter or special-function window
    // starts at; the window made next takes it, and without it starts where it always does.
    std::optional<std::pair<int, int>> startCell;
};

// A cell whose editor is to open at it, and what the cell holds.
struct CellStart {
    CellKind kind = CellKind::Text;
    int row = 1;
    int column = 1;
    int logoSlot = 0; // a graphic cell: the slot of its logo
};

enum class LogoMode { Load, Read };

// The logo being worked on and the state the logo windows keep between their openings.
struct LogoShare {
    static constexpr int kDefaultCell = 4; // screen pixels a dot

    LogoImage image;
    LogoDots staging{}; // scratch of the picture conversions

    // The logo load/read window.
    LogoMode mode = LogoMode::Read;
    QString pictureFile;
    int cell = kDefaultCell;
    int number = 0;
    bool redrawRequested = false;
    bool pictureLoaded = false;
    bool gridShown = false;

    // The placement window.
    int previewNumber = 0;
    int nameNumber = 0;
    int row = 1;
    int column = 1;

    // The image editor: read the clipboard when it is made; the "MaxTextHeight" choice.
    bool readAtStart = false;
    int textHeightIndex = 24;

    // The logos list: one slot number an entry.
    std::vector<int> entries;
};

class Hub {
public:
    // settingsPath: the device settings file, read now (port, rate, devices) and written by the
    // port choices. lines: how the ports' device names open (empty: system serial ports only).
    Hub(Messages &messages, QString settingsPath, LineFactory lines = {});
    virtual ~Hub();
    Hub(const Hub &) = delete;
    Hub &operator=(const Hub &) = delete;

    Functions &fn() { return functions; }
    // The station's audit trail that every change made through the hub goes into; nullptr when
    // it cannot be opened (why in auditProblem).
    audit::Trail *auditTrail() { return trail.get(); }
    // The last problem met with the trail (cannot be opened, a record not written); empty: none.
    const QString &auditProblem() const { return trailTrouble; }
    // A recorder for a thread of the program's own (a job on the line), made on that thread.
    static std::shared_ptr<ChangeRecorder> threadRecorder();
    Messages &messages() { return msgs; }
    PortState &portState() { return port; }
    // Why the settings file could not be taken as it is; empty when it could.
    const QString &settingsProblem() const { return settingsTrouble; }
    // Makes `device` the device of the settings' port (Com1 when it names none) for this run.
    void useDevice(const QString &device);

    // --- Window messages, to the window that receives them (the main window); nothing while
    // none does.
    void setMessageReceiver(QObject *receiver) { messageReceiver = receiver; }
    virtual void postMessage(const WindowMessage &message);
    virtual void sendMessage(const WindowMessage &message);

    // --- The editor of a cell's kind, opened at that cell, as the program's wiring opens it.
    void setCellEditorOpener(std::function<void(const CellStart &)> open);
    void openCellEditor(const CellStart &start);

    // --- One exchange at a time. Busy while an operation is under way, while events are let
    // through in the middle of one, and while a long wait lasts.
    bool busy() const { return port.busy() || waits > 0; }
    // Runs `read` now when the hub is not busy; otherwise once it is no longer busy, and then only
    // if `window` is still the active window. A window has at most one such read waiting.
    void whenFree(QWidget *window, std::function<void()> read);
    // Lets pending events be handled in the middle of an exchange (a repaint, a progress bar):
    // an operation they would start is refused, and an activation read they start waits.
    void letEventsThrough();

    // --- Long waits: the progress pattern, over the window that waits.
    std::unique_ptr<LongWait> longWait(QWidget *over, const QString &label, int maximum = 0);
    void setClock(Clock clock) { clk = std::move(clock); }
    const Clock &clock() const { return clk; }

    // --- The printer's state.
    // Reads the state block; false when the printer did not answer.
    bool readStateBlock(StateBlock &block);
    // The font count of the last whole state block read from the printer, however it was read
    // (0: none yet).
    int fontCount() const { return port.fontCount; }
    // AutoRunStop until it succeeds, at most `attempts` times, under a long wait over `over`;
    // false when none succeeded or the operator cancelled.
    bool autoRunStop(QWidget *over, int attempts);

    // --- The logo names list, as last read.
    const LogoNames &logoNames() const { return names; }
    // Reads the list into the hub; false when the printer did not answer (the list is then
    // what the read left).
    bool readLogoNames();
    void forgetLogoNames() { names = {}; }

    // --- The port in use, and a new choice: saved to the settings file, then connected.
    QString portName() const { return port.portName; }
    QString baudName() const { return port.baudName; }
    const QString &settingsPath() const { return settingsFile; }
    // Returns whether the connect succeeded. The windows work on the port's printer again.
    bool choosePort(const QString &portName, const QString &baudName);
    // Makes a printer of the line the one the windows work on (its device and rate in place of
    // the port's), for this run; returns whether the connect succeeded.
    bool choosePrinter(const QString &name, const QString &device, const QString &speed);
    // The printer the windows work on, as the title bar names it: the line's printer chosen, or
    // empty for the port's.
    QString printerName() const { return port.printerName; }
    // Opens the devices of the ports and the line's printers, from any thread.
    const LineFactory &lines() const { return port.openLine; }

    // --- What the windows hand each other.
    int storageMode() const { return storage; } // 0 read, 1 restore, 2 store
    void setStorageMode(int mode) { storage = mode; }
    MarkShare &mark() { return *markShare; }
    LogoShare &logo() { return *logoShare; }

private:
    friend class LongWait;
    void waitBegins() { ++waits; }
    void waitEnds();
    void freeAgain(); // runs the reads that waited, from the event loop, once not busy

    PortState port;
    Functions functions{port};
    std::shared_ptr<audit::Trail> trail;
    Messages &msgs;
    QString trailTrouble;
    QString settingsFile;
    QString settingsTrouble;
    Clock clk;
    LogoNames names;
    int storage = 0;
    std::unique_ptr<MarkShare> markShare;
    std::unique_ptr<LogoShare> logoShare;
    QPointer<QObject> messageReceiver;
    std::function<void(const CellStart &)> cellEditorOpener;
    int waits = 0;
    struct Waiting {
        QPointer<QWidget> window;
        std::function<void()> read;
    };
    std::vector<Waiting> waiting;
    bool freeAgainPosted = false;
    QObject context; // what the reads that waited run in
};

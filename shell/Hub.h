#pragma once
// What a dialog may ask of the main window: the printer operations, the messages, the state
// block, the auto-run stop with retry, the window messages, the font count, the logo names, the
// storage mode, the long-wait pattern, and the images and flags through which the windows hand
// work to each other. The main window implements it; a form test may use a small rig instead.
// Dialogs are given a Hub when they are made, never the concrete main window.

#include "FragmentKind.h"
#include "Functions.h"
#include "LongWait.h"
#include "Messages.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QWidget;

// The registered window messages, and the logo-view-done notification.
enum class WindowMessage {
    ImageCompressOK,
    ImageNotLoadOK,
    DeviceExistCheck,
    PortNotInit,
    ShowStamp,
    ReadError,
    CloseShowStamp,
    LogoReadOK,
    ReadClpBoard_,
    LogoViewDone,
};

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
    bool readDone = false;
    bool pictureLoaded = false;
    bool gridShown = false;

    // The placement window.
    int previewNumber = 0;
    int nameNumber = 0;
    int row = 1;
    int column = 1;
    bool reopen = false;

    // The image editor: read the clipboard when it is made; the "MaxTextHeight" choice.
    bool readAtStart = false;
    int textHeightIndex = 24;

    // The logos list: one slot number an entry.
    std::vector<int> entries;
};

class Hub {
public:
    // settingsPath: the device settings file, which the port choices are written to.
    Hub(Messages &messages, QString settingsPath);
    virtual ~Hub();
    Hub(const Hub &) = delete;
    Hub &operator=(const Hub &) = delete;

    Functions &fn() { return functions; }
    Messages &messages() { return msgs; }

    // --- Window messages to the main window.
    virtual void postMessage(WindowMessage message) = 0;
    virtual void sendMessage(WindowMessage message) = 0;

    // --- The editor of a cell's kind, opened at that cell (a hub without editors opens none).
    virtual void openCellEditor(const CellStart &start);

    // --- Long waits: the progress pattern, over the window that waits.
    std::unique_ptr<LongWait> longWait(QWidget *over, const QString &label, int maximum = 0);
    void setClock(Clock clock) { clk = std::move(clock); }
    const Clock &clock() const { return clk; }

    // --- The printer's state.
    // Reads the state block and keeps its font count; false when the printer did not answer.
    bool readStateBlock(StateBlock &block);
    // Keeps the font count of a state block read another way.
    void keepFontCount(const StateBlock &block);
    int fontCount() const { return fonts; }
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
    // Returns whether the connect succeeded.
    bool choosePort(const QString &portName, const QString &baudName);

    // --- What the windows hand each other.
    int storageMode() const { return storage; } // 0 read, 1 restore, 2 store
    void setStorageMode(int mode) { storage = mode; }
    bool errorFlag() const { return error; } // the last logo or clock operation failed
    void setErrorFlag(bool on) { error = on; }
    bool textWriteMode() const { return writeMode; } // the text editor's read-or-write step
    void setTextWriteMode(bool on) { writeMode = on; }
    MarkShare &mark() { return *markShare; }
    LogoShare &logo() { return *logoShare; }

protected:
    PortState port;
    Functions functions{port};
    Messages &msgs;
    int fonts = 0;

private:
    QString settingsFile;
    Clock clk;
    LogoNames names;
    int storage = 0;
    bool error = false;
    bool writeMode = false;
    std::unique_ptr<MarkShare> markShare;
    std::unique_ptr<LogoShare> logoShare;
};

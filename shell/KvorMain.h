#pragma once
// The main window: the program's hub and the owner of everything the windows share — the port,
// the printer's state block copy, the logo and mark images — and of the window messages through
// which dialogs hand work back to it. Dialogs see it only as a Hub.

#include "Hub.h"

#include <QEvent>
#include <QMainWindow>
#include <functional>
#include <map>

namespace Ui {
class TAutoControl;
}
class QLabel;
class QMenu;
class ConnectionIndicator;

// The windows the main window opens. Each is wired by the program's wiring; an entry whose window
// is not wired stays disabled.
enum class Window {
    About,
    PortForms,
    TextFragment,          // the text editor, modal
    TextFragmentReadWrite, // the text editor, modeless, reading its cell at once
    SetFont,
    Counter,
    Time,
    PostDate,
    SpecFunc,
    ScriptRead,
    LogoToMark,
    LogoLoad,
    LogoRead,
    LogosView,
    MarkRead,
    ClipboardImport,
    ClipboardImportScaled, // the tool button: the import window with its scale choice preset
    MarkStorage,           // the storage dialog in the mode set just before
    AutoRunPeriod,
    Params,
    ByteStatus,
    Hydro,
    MarkOverview, // the Printer menu: the whole mark, back-up and restore, the line monitor
    BackUp,
    Restore,
    LineMonitor,
};

class TAutoControl : public QMainWindow, public Hub {
    Q_OBJECT

public:
    // settingsPath: the device settings file (the program's path with ".dev"). lines: how the
    // ports' device names open (empty: system serial ports only).
    TAutoControl(Messages &messages, const QString &settingsPath, LineFactory lines = {},
                 QWidget *parent = nullptr);
    ~TAutoControl() override;

    void setWindowOpener(Window window, std::function<void()> open);
    void openWindow(Window window);

    // How the editor of a cell's kind opens at that cell: set by the program's wiring.
    void setCellEditorOpener(std::function<void(const CellStart &)> open);
    void openCellEditor(const CellStart &start) override;

    static QEvent::Type messageType(WindowMessage message);
    void postMessage(WindowMessage message) override;
    void sendMessage(WindowMessage message) override;
    // What a window message does beyond what the main window itself does with it: set by the
    // program's wiring for the messages that open windows.
    void setMessageAction(WindowMessage message, std::function<void()> action);

    // How start-up went, for the program's tests and the picture taker.
    bool searched() const { return firstActivation; }
    // The program's exit status: 1 once no printer was found.
    int exitStatus() const { return status; }
    bool portReady() const { return ready; }
    // A window shown without a printer search or a first connect.
    void skipStartUp();
    PortState &portState() { return port; }

    // The form's handlers, public so the program's tests can drive them as the system would.
    void FormActivate();
    void FormPaint();
    void Selectport1Click();
    void Com11Click() { selectPort(QStringLiteral("Com1")); }
    void Com21Click() { selectPort(QStringLiteral("Com2")); }

signals:
    void closed();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void wireEntries();
    void bindKey(const QKeySequence &key, QAction *owner);
    void command(std::initializer_list<QAction *> entries, bool (Functions::*operation)(),
                 const QString &failure, bool confirm = true);
    void windowEntry(std::initializer_list<QAction *> entries, Window window,
                     std::function<void()> before = {});
    void configMenu(QMenu *menu, QAction *on, QAction *off, int bit, const QString &failure);
    void selectPort(const QString &name);
    bool findPrinter();
    void markDelete();
    void loadDateTime();
    void openHelp();
    void FormClose();
    void updatePortNotice();
    QString causes() const; // why the last search or exchange failed, a line each
    void updateEntries();
    void fitToContents();

    Ui::TAutoControl *ui;
    ConnectionIndicator *Shape1 = nullptr;
    QLabel *virtualNotice = nullptr;
    bool started = false;
    bool firstActivation = false; // set once the printer search has run
    bool firstPaint = true;
    bool ready = false; // the first connect succeeded
    int status = 0;
    QString deviceNotice;
    std::map<Window, std::function<void()>> openers;
    std::function<void(const CellStart &)> cellEditorOpener;
    std::map<WindowMessage, std::function<void()>> messageActions;
    std::multimap<Window, QAction *> windowEntries;
};

#pragma once
// The main window: the program's hub and the owner of everything the windows share — the port,
// the printer's state block copy, the logo and mark images — and of the window messages through
// which dialogs hand work back to it.

#include "Functions.h"
#include "Messages.h"

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

// The windows the main window opens. Each is wired by the program entry; an entry whose window is
// not wired stays disabled.
enum class Window {
    About,
    PortForms,
    TextFragment,          // the text editor, modal
    TextFragmentReadWrite, // the text editor, modeless, reading its cell at once
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
};

// The state the main window keeps for every window.
struct MainState {
    PortState port;
    bool firstActivation = false; // set once the printer search has run
    bool firstPaint = true;
    bool portReady = false;
    int fontCount = 0;   // byte 14 of the state block, for the fragment editors
    int storageMode = 0; // 0 read, 1 restore, 2 store
    bool errorFlag = false;
    LogoNames logoNames;
};

class TAutoControl : public QMainWindow {
    Q_OBJECT

public:
    // settingsPath: the device settings file (the program's path with ".dev").
    TAutoControl(Messages &messages, const QString &settingsPath, QWidget *parent = nullptr);
    ~TAutoControl() override;

    MainState &state() { return st; }
    Functions &fn() { return functions; }
    Messages &messages() { return msgs; }
    const QString &settingsPath() const { return settingsFile; }

    // Reads the state block and keeps its font count; false when the printer did not answer.
    bool readStateBlock(StateBlock &block);
    // AutoRunStop until it succeeds, at most `attempts` times.
    bool autoRunStop(int attempts);

    void setWindowOpener(Window window, std::function<void()> open);
    void openWindow(Window window);

    static QEvent::Type messageType(WindowMessage message);
    void postMessage(WindowMessage message);
    void sendMessage(WindowMessage message);

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
    void markDelete();
    void loadDateTime();
    void openHelp();
    void FormClose();
    void updatePortNotice();
    void updateEntries();

    Ui::TAutoControl *ui;
    Messages &msgs;
    QString settingsFile;
    MainState st;
    Functions functions{st.port};
    ConnectionIndicator *Shape1 = nullptr;
    QLabel *virtualNotice = nullptr;
    bool started = false;
    std::map<Window, std::function<void()>> openers;
    std::multimap<Window, QAction *> windowEntries;
};

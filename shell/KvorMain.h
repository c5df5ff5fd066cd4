#pragma once
// The main window: the menus, the tool bar, the connection indicator and the direct printer
// commands, and the window messages through which dialogs hand work back to it. The windows of
// the layers above bind themselves to its entries by the entries' object names; the main window
// knows none of them. It works on the hub it is given, which outlives it.

#include "Hub.h"

#include <QMainWindow>
#include <functional>
#include <map>
#include <set>

namespace Ui {
class TAutoControl;
}
class QLabel;
class QMenu;
class ConnectionIndicator;

class TAutoControl : public QMainWindow {
    Q_OBJECT

public:
    explicit TAutoControl(Hub &hub, QWidget *parent = nullptr);
    ~TAutoControl() override;

    Hub &hub() { return h; }

    // Binds entries (menu entries, tool buttons, the actions of the keys: their object names) to
    // `open`, which each runs when chosen. An entry that opens a window stays disabled until it is
    // bound.
    void bindEntries(std::initializer_list<const char *> entries, std::function<void()> open);
    // What a window message does beyond what the main window itself does with it: set by the
    // program's wiring for the messages that open windows.
    void setMessageAction(const WindowMessage &message, std::function<void()> action);

    // How start-up went, for the program's tests and the picture taker.
    bool searched() const { return firstActivation; }
    // The program's exit status: 1 once no printer was found.
    int exitStatus() const { return status; }
    bool portReady() const { return ready; }
    // A window shown without a printer search or a first connect.
    void skipStartUp();

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
    // The menus, the tool bar and the keys (MainMenus.cpp).
    void wireEntries();
    void bindKey(const QKeySequence &key, QAction *owner);
    void command(std::initializer_list<QAction *> entries, bool (Functions::*operation)(),
                 const QString &failure, bool confirm = true);
    void configMenu(QMenu *menu, QAction *on, QAction *off, int bit, const QString &failure);
    void markDelete();
    void loadDateTime();
    // Every entry the main window does not run itself opens a window: disabled until bound.
    void disableUnboundEntries();
    void updateEntries();

    void selectPort(const QString &name);
    bool findPrinter();
    void FormClose();
    void updatePortNotice();
    void showPrinter();     // the title bar names the printer of the line chosen
    QString causes() const; // why the last search or exchange failed, a line each
    void fitToContents();

    Hub &h;
    Ui::TAutoControl *ui;
    ConnectionIndicator *Shape1 = nullptr;
    QLabel *virtualNotice = nullptr;
    QString baseTitle; // the window's own title, before a printer of the line is named
    bool started = false;
    bool firstActivation = false; // set once the printer search has run
    bool firstPaint = true;
    bool ready = false; // the first connect succeeded
    int status = 0;
    QString deviceNotice;
    std::map<QEvent::Type, std::function<void()>> messageActions;
    std::set<QAction *> ownEntries; // run by the main window itself
};

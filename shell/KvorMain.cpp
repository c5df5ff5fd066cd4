#include "KvorMain.h"

#include "Activation.h"
#include "Artwork.h"
#include "DeviceSettings.h"
#include "HelpWindow.h"
#include "ui_KvorMain.h"

#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QShortcut>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <QtDebug>

#include <cstdio>

// The connection indicator: a small circle at the top of the window, green while ports open and
// the printer answers, red once a port does not open or the printer does not answer.
class ConnectionIndicator : public QWidget {
public:
    explicit ConnectionIndicator(QWidget *parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Shape1"));
        setFixedSize(18, 18);
        setAccessibleName(QStringLiteral("Connection"));
        tell(true);
    }
    void tell(bool good) {
        colour = good ? QColor(0, 128, 0) : QColor(192, 0, 0);
        setAccessibleDescription(good ? QStringLiteral("the printer answers")
                                      : QStringLiteral("no answer from the printer"));
        setToolTip(accessibleDescription());
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::black);
        painter.setBrush(colour);
        painter.drawEllipse(rect().adjusted(2, 2, -2, -2));
    }

private:
    QColor colour;
};

namespace {
// With STAMPLINE_REPORT_SHOWN=1 in its environment the program says on stderr, once, that its
// window is shown and its first paint has connected to the printer: the moment the start-up
// benchmark measures. Nothing else changes.
void reportShown() {
    if (qEnvironmentVariable("STAMPLINE_REPORT_SHOWN") == QLatin1String("1")) {
        std::fputs("stampline: shown\n", stderr);
        std::fflush(stderr);
    }
}
} // namespace

QEvent::Type TAutoControl::messageType(WindowMessage message) {
    // Registered once a process, like a window message registered by name.
    static const std::vector<QEvent::Type> types = [] {
        std::vector<QEvent::Type> t;
        for (int i = 0; i <= int(WindowMessage::LogoViewDone); ++i)
            t.push_back(QEvent::Type(QEvent::registerEventType()));
        return t;
    }();
    return types[size_t(message)];
}

TAutoControl::TAutoControl(Messages &messages, const QString &settingsPath, LineFactory lines,
                           QWidget *parent)
    : QMainWindow(parent), Hub(messages, settingsPath), ui(new Ui::TAutoControl) {
    ui->setupUi(this);

    // FormCreate: the port and rate from the settings file; the messages; the flags.
    const DeviceSettings settings = DeviceSettings::load(settingsPath);
    if (!settings.problem.isEmpty())
        qWarning().noquote() << settings.problem;
    port.portName = settings.portName;
    port.baudName = settings.baudName;
    port.ports = settings.ports;
    port.openLine = std::move(lines);
    // Green for a port that opens or a printer that answers, red for the opposite.
    port.lineState = [this](bool good) {
        Shape1->tell(good);
        updatePortNotice();
    };
    messageType(WindowMessage::PortNotInit); // registers the messages
    isOwnActivation(this);                   // starts following the active window

    QFont font = this->font();
    font.setPixelSize(13);
    setFont(font);

    auto *spacer = new QWidget(ui->ToolBar1);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    ui->ToolBar1->addWidget(spacer);
    Shape1 = new ConnectionIndicator(ui->ToolBar1);
    ui->ToolBar1->addWidget(Shape1);
    virtualNotice = new QLabel(tr("Virtual printer: no real printer is attached"), this);
    virtualNotice->setObjectName(QStringLiteral("VirtualNotice"));
    virtualNotice->setStyleSheet(QStringLiteral("QLabel { color: #a04000; font-weight: bold; }"));
    ui->StatusBar1->addPermanentWidget(virtualNotice);
    updatePortNotice();

    // A menu's hint shows when the mouse rests on its title.
    for (QMenu *menu : findChildren<QMenu *>())
        if (!menu->statusTip().isEmpty())
            menu->menuAction()->setStatusTip(menu->statusTip());
    // Hidden submenus: not shown, their entries' keys still act.
    for (QMenu *menu :
         {ui->FKey1, ui->Load1, ui->Read1, ui->MarkPrintDirection1, ui->MarkBreakPointCorrection1,
          ui->MarkRotation1, ui->RunningNumberDirection1, ui->HydroSystem_})
        menu->menuAction()->setVisible(false);

    wireEntries();
    updateEntries();
}

void TAutoControl::fitToContents() {
    // Wide enough for every menu title and every tool button, so none hides behind the
    // menu bar's overflow arrow.
    const int width = qMax(ui->MainMenu1->sizeHint().width(), ui->ToolBar1->sizeHint().width());
    if (width == minimumWidth())
        return;
    setMinimumWidth(width);
    ui->Image1->setPixmap(clientPicture(width));
    adjustSize();
}

TAutoControl::~TAutoControl() {
    // Docked windows go first, while the hub they were given still stands (they let go of the
    // printer link as they go).
    qDeleteAll(findChildren<QDockWidget *>(Qt::FindDirectChildrenOnly));
    delete ui;
}

void TAutoControl::setWindowOpener(Window window, std::function<void()> open) {
    openers[window] = std::move(open);
    updateEntries();
}

void TAutoControl::openWindow(Window window) {
    const auto it = openers.find(window);
    if (it != openers.end() && it->second)
        it->second();
}

void TAutoControl::setCellEditorOpener(std::function<void(const CellStart &)> open) {
    cellEditorOpener = std::move(open);
}

void TAutoControl::openCellEditor(const CellStart &start) {
    if (cellEditorOpener)
        cellEditorOpener(start);
}

void TAutoControl::postMessage(WindowMessage message) {
    QCoreApplication::postEvent(this, new QEvent(messageType(message)));
}

void TAutoControl::sendMessage(WindowMessage message) {
    QEvent event(messageType(message));
    QCoreApplication::sendEvent(this, &event);
}

void TAutoControl::setMessageAction(WindowMessage message, std::function<void()> action) {
    messageActions[message] = std::move(action);
}

void TAutoControl::skipStartUp() {
    firstActivation = true;
    firstPaint = false;
}

// --- Start, activation, paint, close ------------------------------------------------------------

void TAutoControl::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    if (started)
        return;
    started = true;
    // The first activation searches for the printer, then the first paint connects.
    QTimer::singleShot(0, this, [this] {
        if (!firstActivation)
            FormActivate();
        if (isVisible())
            FormPaint();
    });
}

void TAutoControl::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && firstActivation && isOwnActivation(this))
        FormActivate();
}

bool TAutoControl::findPrinter() {
    // Three searches, each probing the named port and then every port at four rates: with no
    // printer this lasts long, so it runs under a long wait that the operator may cancel.
    const auto wait = longWait(this, QStringLiteral("Searching for the printer…"));
    const auto carryOn = [&wait] { return wait->carryOn(); };
    for (int i = 0; i < 3; ++i)
        if (functions.FindDevice(carryOn))
            return true;
    return false;
}

void TAutoControl::FormActivate() {
    if (!firstActivation) {
        const bool found = findPrinter();
        firstActivation = true;
        updatePortNotice();
        if (!found) {
            status = 1;
            msgs.error(this, QStringLiteral("Device not found"), causes());
            close();
            return;
        }
    }
    StateBlock block;
    if (!readStateBlock(block))
        msgs.error(this, QStringLiteral("TimeParamsRead Error"));
}

void TAutoControl::FormPaint() {
    if (!firstPaint)
        return;
    sendMessage(WindowMessage::PortNotInit);
    if (ready) {
        reportShown();
        postMessage(WindowMessage::DeviceExistCheck);
    }
    firstPaint = false;
}

bool TAutoControl::event(QEvent *event) {
    const QEvent::Type type = event->type();
    if (type == messageType(WindowMessage::PortNotInit)) {
        if (!functions.Connect()) {
            msgs.error(this, QStringLiteral("Port Initialization Error"), causes());
            return true;
        }
        ready = true;
    } else if (type == messageType(WindowMessage::ReadError)) {
        close();
    } else {
        for (const auto &[message, action] : messageActions)
            if (type == messageType(message) && action) {
                action();
                return true;
            }
    }
    return QMainWindow::event(event);
}

void TAutoControl::closeEvent(QCloseEvent *event) {
    FormClose();
    event->accept();
    emit closed();
}

void TAutoControl::FormClose() {
    // The logo windows' working files; the port is left to the system.
    QDir logo(QDir::current().filePath(QStringLiteral("Logo")));
    if (!logo.exists())
        return;
    const QStringList files = logo.entryList({QStringLiteral("*.logo")}, QDir::Files);
    for (const QString &file : files)
        logo.remove(file);
}

// --- Port selection -----------------------------------------------------------------------------

void TAutoControl::Selectport1Click() {
    ui->Com11->setEnabled(true);
    ui->Com21->setEnabled(true);
    if (portIndexOf(port.portName) == 0)
        ui->Com11->setEnabled(false);
    else
        ui->Com21->setEnabled(false);
}

void TAutoControl::selectPort(const QString &name) {
    const QString oldPort = port.portName, oldBaud = port.baudName;
    port.portName = name;
    if (!functions.Connect()) {
        port.portName = oldPort;
        port.baudName = oldBaud;
        updatePortNotice();
        msgs.error(this, QStringLiteral("Port Initialization Error"), causes());
        return;
    }
    DeviceSettings::savePortParams(settingsPath(), port.portName, port.baudName);
}

void TAutoControl::updatePortNotice() {
    if (!port.handle) {
        virtualNotice->hide();
        return;
    }
    // What the device had to say when it first opened stays beside the notice.
    if (!port.handle->notice.isEmpty())
        deviceNotice = std::exchange(port.handle->notice, QString());
    QString text =
        port.handle->isStandIn() ? tr("Virtual printer: no real printer is attached") : QString();
    if (!deviceNotice.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" — ")) + deviceNotice;
    virtualNotice->setText(text);
    virtualNotice->setVisible(!text.isEmpty());
}

QString TAutoControl::causes() const {
    return port.causes.join(QLatin1Char('\n'));
}

// --- Menus, tool bar and keys -------------------------------------------------------------------

void TAutoControl::bindKey(const QKeySequence &key, QAction *owner) {
    auto *shortcut = new QShortcut(key, this);
    connect(shortcut, &QShortcut::activated, owner, [owner] {
        if (owner->isEnabled())
            owner->trigger();
    });
}

void TAutoControl::command(std::initializer_list<QAction *> entries, bool (Functions::*operation)(),
                           const QString &failure, bool confirm) {
    for (QAction *entry : entries)
        connect(entry, &QAction::triggered, this, [=, this] {
            if (!(functions.*operation)())
                msgs.error(this, failure);
            else if (confirm)
                msgs.information(this, QStringLiteral("Ok"));
        });
}

void TAutoControl::windowEntry(std::initializer_list<QAction *> entries, Window window,
                               std::function<void()> before) {
    for (QAction *entry : entries) {
        windowEntries.emplace(window, entry);
        connect(entry, &QAction::triggered, this, [=, this] {
            if (before)
                before();
            openWindow(window);
        });
    }
}

void TAutoControl::updateEntries() {
    for (const auto &[window, entry] : windowEntries)
        entry->setEnabled(openers.count(window) > 0);
    // The Printer menu shows once it has something to offer.
    const auto printerEntries = ui->Printer1->actions();
    ui->Printer1->menuAction()->setVisible(
        std::any_of(printerEntries.begin(), printerEntries.end(),
                    [](QAction *a) { return a->isEnabled() && !a->isSeparator(); }));
    fitToContents();
}

void TAutoControl::configMenu(QMenu *menu, QAction *on, QAction *off, int bit,
                              const QString &failure) {
    connect(menu, &QMenu::aboutToShow, this, [=, this] {
        StateBlock block;
        on->setEnabled(true);
        off->setEnabled(true);
        if (!readStateBlock(block)) {
            msgs.error(this, failure);
            return;
        }
        if (block.switches() & (1 << bit))
            off->setEnabled(false);
        else
            on->setEnabled(false);
    });
}

void TAutoControl::markDelete() {
    if (!msgs.confirmDestructive(this, QStringLiteral("Mark delete. Are You Sure?")))
        return;
    if (functions.MarkDelete())
        msgs.information(this, QStringLiteral("Ok"));
    else
        msgs.error(this, QStringLiteral("Mark not delete"));
}

void TAutoControl::loadDateTime() {
    const QDateTime now = QDateTime::currentDateTime();
    if (!functions.SetTime(now.time().toString(QStringLiteral("hhmmss")).toLatin1())) {
        setErrorFlag(true);
        msgs.error(this, QStringLiteral("Time Set Error"));
    } else if (!functions.SetDate(now.date().toString(QStringLiteral("ddMMyy")).toLatin1())) {
        setErrorFlag(true);
        msgs.error(this, QStringLiteral("Date Set Error"));
    } else {
        msgs.information(this, QStringLiteral("Ok"));
    }
}

void TAutoControl::openHelp() {
    // The manual of the current directory, the one beside the program, or the one installed with
    // it (share/stampline beside the program's bin folder).
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QStringList places{QDir::current().filePath(QStringLiteral("help.html")),
                             programDir.filePath(QStringLiteral("help.html")),
                             programDir.filePath(QStringLiteral("../share/stampline/help.html"))};
    const auto found = std::find_if(places.begin(), places.end(),
                                    [](const QString &p) { return QFileInfo::exists(p); });
    if (found == places.end()) {
        msgs.error(this, QStringLiteral("help.html is missing"),
                   QStringLiteral("The manual is in none of: %1").arg(places.join(", ")));
        return;
    }
    const QString path = QDir::cleanPath(*found);
    // The system's viewer when there is one; our own window when there is none or it fails.
    if (msgs.openDocument(QUrl::fromLocalFile(path)))
        return;
    auto *help = new HelpWindow(path, this);
    help->show();
    help->activateWindow();
}

void TAutoControl::wireEntries() {
    Ui::TAutoControl &u = *ui;
    // File
    connect(u.Selectport1, &QMenu::aboutToShow, this, &TAutoControl::Selectport1Click);
    connect(u.Com11, &QAction::triggered, this, &TAutoControl::Com11Click);
    connect(u.Com21, &QAction::triggered, this, &TAutoControl::Com21Click);
    for (QAction *a : {u.LoadDateTime1, u.LoadDateTimeA})
        connect(a, &QAction::triggered, this, &TAutoControl::loadDateTime);
    for (QAction *a : {u.Start1, u.ToolButton14})
        connect(a, &QAction::triggered, u.StartA, &QAction::trigger);
    connect(u.Stop1, &QAction::triggered, u.StopA, &QAction::trigger);
    command({u.StartA}, &Functions::Start, QStringLiteral("Start Command Error"), false);
    command({u.StopA}, &Functions::Stop, QStringLiteral("Stop Command Error"), false);
    for (QAction *a : {u.Exit1, u.FileExit1})
        connect(a, &QAction::triggered, this, &QWidget::close);

    // Fragments, special functions, logos and the mark
    windowEntry({u.Frag1, u.FragEdit2, u.WriteTextFragment_, u.Fragment1, u.ReadTextFragment_},
                Window::TextFragment, [this] { setTextWriteMode(false); });
    windowEntry({u.FragEdit1, u.ToolButton4, u.ReadWriteTextAction}, Window::TextFragmentReadWrite,
                [this] { setTextWriteMode(false); });
    windowEntry({u.Counter1, u.Counter2, u.ToolButton11, u.SetCounterA}, Window::Counter);
    windowEntry({u.TimeDate1, u.TimeDate2, u.ToolButton12, u.SetTimeA}, Window::Time);
    windowEntry({u.PostDate1, u.PostDate2, u.SetPostDateA}, Window::PostDate);
    windowEntry({u.SpecFuncWrite1, u.ToolButton15, u.SpecFuncA}, Window::SpecFunc);
    windowEntry({u.SpecFuncRead1, u.ScriptReadA}, Window::ScriptRead);
    windowEntry({u.LogoPaste1, u.LogoPaste2, u.LogoToMarkAction}, Window::LogoToMark);
    windowEntry({u.LogoLoad1, u.ToolButton1, u.WriteLogiA}, Window::LogoLoad);
    windowEntry({u.LogoRead1, u.ToolButton2, u.ReadLogoA}, Window::LogoRead);
    windowEntry({u.LogosView1}, Window::LogosView, [this] { readLogoNames(); });
    windowEntry({u.ToolButton22}, Window::LogosView);
    windowEntry({u.MarkRead1, u.ToolButton6, u.StampRead__}, Window::MarkRead);
    windowEntry({u.ReadMSWordtext1}, Window::ClipboardImport);
    windowEntry({u.ToolButton24}, Window::ClipboardImportScaled);
    windowEntry({u.MarkRead2, u.MarkReadA}, Window::MarkStorage, [this] { setStorageMode(0); });
    windowEntry({u.Restore1, u.ToolButton8, u.MarkReadFromStorageA}, Window::MarkStorage,
                [this] { setStorageMode(1); });
    windowEntry({u.Store1, u.ToolButton5, u.MarkWriteToStorageA}, Window::MarkStorage,
                [this] { setStorageMode(2); });
    for (QAction *a : {u.Delete1, u.ToolButton9})
        connect(a, &QAction::triggered, this, &TAutoControl::markDelete);

    // Mark configuration
    configMenu(u.MirrorHorizontally1, u.MirrorHorizontallyOn1, u.MirrorHorizontallyOff1, 0,
               QStringLiteral(" Read Error"));
    configMenu(u.BreakPointCorrection1, u.BreakPointCorrectionOn1, u.BreakPointCorrectionOff1, 1,
               QStringLiteral(" Read Error"));
    configMenu(u.MirrorVertically1, u.MirrorVerticallyOn1, u.MirrorVerticallyOff1, 2,
               QStringLiteral("Read Error"));
    const QString direction = QStringLiteral("MarkPrintDirection Set Error");
    command({u.MirrorHorizontallyOff1, u.MarkPrintForward1}, &Functions::MarkPrintForward,
            direction);
    command({u.MirrorHorizontallyOn1, u.MarkPrintBack1}, &Functions::MarkPrintBack, direction);
    const QString breakPoint = QStringLiteral("MarkBreakPointCorr On Error");
    command({u.BreakPointCorrectionOn1, u.MarkBreakPointCorrectionOn1},
            &Functions::BreakPointCorrectionOn, breakPoint);
    command({u.BreakPointCorrectionOff1, u.MarkBreakPointCorrectionOff1},
            &Functions::BreakPointCorrectionOff, breakPoint);
    const QString rotate = QStringLiteral("MarkRotateOn Set Error");
    command({u.MirrorVerticallyOn1, u.MarkRotationOn1}, &Functions::MarkRotateOn, rotate);
    command({u.MirrorVerticallyOff1}, &Functions::MarkRotateOff, rotate);

    // Commands
    connect(u.AutoRunStop1, &QAction::triggered, this, [this] {
        if (autoRunStop(this, 1000))
            msgs.information(this, QStringLiteral("Ok"));
        else
            msgs.error(this, QStringLiteral("AutoRun Stop Error"));
    });
    command({u.ToolButton16}, &Functions::AutoRunStop, QStringLiteral("AutoRun Stop Error"));
    command({u.RunningNumbersReset1, u.ToolButton17}, &Functions::RunningNumberReset,
            QStringLiteral("RunningNumberReset Error"));
    command({u.PrintStart1}, &Functions::PrintStart, QStringLiteral("PrintStart Error"));
    command({u.HighVoltageTurn1, u.ToolButton18}, &Functions::HighVoltageTurn,
            QStringLiteral("HighVoltageTurn Error"));
    command({u.Reset1}, &Functions::Reset, QStringLiteral("Reset Error"));
    command({u.RunningNumberForward1}, &Functions::RunningNumberForward,
            QStringLiteral("RunningNumberDirectionSet Error"));
    command({u.RunningNumberBack1}, &Functions::RunningNumberBack,
            QStringLiteral("RunningNumberDirectionSet Error"));
    windowEntry({u.AutoRunPeriod1}, Window::AutoRunPeriod);

    // Parameters, status, ink system
    windowEntry({u.ParamsValue2, u.ToolButton20}, Window::Params);
    windowEntry({u.ByteStatus2, u.ToolButton21}, Window::ByteStatus);
    windowEntry({u.Parameters1, u.ToolButton25}, Window::Hydro);

    // Help and the port dialog
    connect(u.Help2, &QAction::triggered, this, &TAutoControl::openHelp);
    windowEntry({u.About1, u.HelpAbout1}, Window::About);
    windowEntry({u.EditCut1}, Window::PortForms);
    windowEntry({u.SetFont, u.SetFontSizeAction}, Window::SetFont);
    windowEntry({u.MarkOverview1}, Window::MarkOverview);
    windowEntry({u.BackUp1}, Window::BackUp);
    windowEntry({u.Restore2}, Window::Restore);
    windowEntry({u.LineMonitor1}, Window::LineMonitor);

    // Keys: one entry receives each key. F1 goes to the text editor of the Tools menu, F9 to the
    // visible "SpecFunc" "Write", Ctrl+X to the port dialog (its only way in), Ctrl+C to the mark
    // delete.
    const std::pair<const char *, QAction *> keys[] = {
        {"F12", u.Start1},          {"F11", u.StopA},         {"F1", u.WriteTextFragment_},
        {"F2", u.SetCounterA},      {"F3", u.SetTimeA},       {"F4", u.SetPostDateA},
        {"F5", u.LogoToMarkAction}, {"F6", u.SetPostDateA},   {"F8", u.ScriptReadA},
        {"F9", u.SpecFuncA},        {"Ctrl+L", u.WriteLogiA}, {"Ctrl+R", u.ReadLogoA},
        {"Ctrl+X", u.EditCut1},     {"Ctrl+Y", u.MarkRead1},  {"Ctrl+Z", u.ReadMSWordtext1},
        {"Ctrl+A", u.Store1},       {"Ctrl+B", u.Restore1},   {"Ctrl+C", u.Delete1},
    };
    for (const auto &[key, owner] : keys)
        bindKey(QKeySequence(QString::fromLatin1(key)), owner);

    // Pictures for the tool bar.
    for (QAction *a : ui->ToolBar1->actions())
        if (!a->isSeparator() && !a->text().isEmpty())
            a->setIcon(toolIcon(a->text().at(0), a->statusTip()));
}

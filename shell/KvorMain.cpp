#include "KvorMain.h"

#include "Activation.h"
#include "Artwork.h"
#include "ConnectionIndicator.h"
#include "DeviceSettings.h"
#include "ui_KvorMain.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QtDebug>

#include <cstdio>

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

TAutoControl::TAutoControl(Hub &hub, QWidget *parent)
    : QMainWindow(parent), h(hub), ui(new Ui::TAutoControl) {
    ui->setupUi(this);

    // FormCreate: the hub has read the settings file; the messages come here.
    if (!h.settingsProblem().isEmpty())
        qWarning().noquote() << h.settingsProblem();
    h.setMessageReceiver(this);
    // Green for a port that opens or a printer that answers, red for the opposite.
    h.portState().lineState = [this](bool good) {
        Shape1->tell(good, h.printerName());
        updatePortNotice();
        showPrinter();
    };
    isOwnActivation(this); // starts following the active window

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
    virtualNotice->setStyleSheet(
        QStringLiteral("QLabel { color: #a04000; font-weight: bold; padding: 2px 6px; }"));
    // A line of its own under the picture, wrapped: the status bar's hints keep their room, and a
    // long notice is read whole.
    virtualNotice->setWordWrap(true);
    ui->clientLayout->addWidget(virtualNotice);
    updatePortNotice();
    baseTitle = windowTitle();

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
    disableUnboundEntries();
    updateEntries();
}

void TAutoControl::showPrinter() {
    // The title bar names a printer of the line that the windows work on.
    const QString printer = h.printerName();
    setWindowTitle(printer.isEmpty() ? baseTitle : baseTitle + QStringLiteral(" — ") + printer);
}

TAutoControl::~TAutoControl() {
    // The hub outlives the window: nothing of the window may be told of the port any more.
    h.portState().lineState = nullptr;
    h.setMessageReceiver(nullptr);
    delete ui;
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

void TAutoControl::bindEntries(std::initializer_list<const char *> entries,
                               std::function<void()> open) {
    const auto shared = std::make_shared<std::function<void()>>(std::move(open));
    for (const char *name : entries) {
        auto *entry = findChild<QAction *>(QLatin1String(name));
        Q_ASSERT_X(entry, "bindEntries", name);
        if (!entry)
            continue;
        connect(entry, &QAction::triggered, this, [shared] { (*shared)(); });
        entry->setEnabled(true);
    }
    updateEntries();
}

void TAutoControl::setMessageAction(const WindowMessage &message, std::function<void()> action) {
    messageActions[message.type()] = std::move(action);
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
    // A return to the window reads the state block, but never in the middle of an exchange or a
    // long wait: then once it is over, if the window is still active.
    if (event->type() == QEvent::ActivationChange && firstActivation && isOwnActivation(this))
        h.whenFree(this, [this] { FormActivate(); });
}

bool TAutoControl::findPrinter() {
    // Three searches, each probing the named port and then every port at four rates: with no
    // printer this lasts long, so it runs under a long wait that the operator may cancel.
    const auto wait = h.longWait(this, QStringLiteral("Searching for the printer…"));
    const auto carryOn = [&wait] { return wait->carryOn(); };
    for (int i = 0; i < 3; ++i)
        if (h.fn().FindDevice(carryOn))
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
            h.messages().error(
                this, QStringLiteral("Device not found"),
                causes() +
                    QStringLiteral("\n\nTo try the program without a printer, start it on the "
                                   "built-in virtual printer: stampline --device virtual"));
            close();
            return;
        }
    }
    StateBlock block;
    if (!h.readStateBlock(block))
        h.messages().error(this, QStringLiteral("TimeParamsRead Error"));
}

void TAutoControl::FormPaint() {
    if (!firstPaint)
        return;
    h.sendMessage(kPortNotInit);
    if (ready)
        reportShown();
    firstPaint = false;
}

bool TAutoControl::event(QEvent *event) {
    const QEvent::Type type = event->type();
    if (type == kPortNotInit.type()) {
        if (!h.fn().Connect()) {
            h.messages().error(this, QStringLiteral("Port Initialization Error"), causes());
            return true;
        }
        ready = true;
    } else if (const auto it = messageActions.find(type); it != messageActions.end()) {
        if (it->second)
            it->second();
        return true;
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
    // The entry of the port in force is greyed, and only that one: on Com3 both may be chosen.
    const int port = portIndexOf(h.portName());
    ui->Com11->setEnabled(port != 0);
    ui->Com21->setEnabled(port != 1);
}

void TAutoControl::selectPort(const QString &name) {
    PortState &port = h.portState();
    const QString oldPort = port.portName, oldBaud = port.baudName;
    const QString oldPrinter = port.printerName, oldDevice = port.printerDevice;
    port.portName = name;
    // A port chosen: the windows work on its printer again, not on a printer of the line.
    port.printerName.clear();
    port.printerDevice.clear();
    if (!h.fn().Connect()) {
        port.portName = oldPort;
        port.baudName = oldBaud;
        port.printerName = oldPrinter;
        port.printerDevice = oldDevice;
        showPrinter();
        updatePortNotice();
        h.messages().error(this, QStringLiteral("Port Initialization Error"), causes());
        return;
    }
    DeviceSettings::savePortParams(h.settingsPath(), port.portName, port.baudName);
}

void TAutoControl::updatePortNotice() {
    PortState &port = h.portState();
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
    // A port the search probed twice (named, then in the scan) is told once.
    QStringList told = h.portState().causes;
    told.removeDuplicates();
    return told.join(QLatin1Char('\n'));
}

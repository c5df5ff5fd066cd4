#include "Hub.h"

#include "DeviceSettings.h"

Hub::Hub(Messages &messages, QString settingsPath)
    : msgs(messages), settingsFile(std::move(settingsPath)),
      markShare(std::make_unique<MarkShare>()), logoShare(std::make_unique<LogoShare>()) {}

Hub::~Hub() = default;

void Hub::openCellEditor(const CellStart &) {}

std::unique_ptr<LongWait> Hub::longWait(QWidget *over, const QString &label, int maximum) {
    return std::make_unique<LongWait>(over, label, maximum, clk);
}

bool Hub::readStateBlock(StateBlock &block) {
    const bool ok = functions.ReadTimeParams(block);
    if (ok)
        keepFontCount(block);
    return ok;
}

void Hub::keepFontCount(const StateBlock &block) {
    if (block.received >= 14)
        fonts = block.fontCount();
}

bool Hub::autoRunStop(QWidget *over, int attempts) {
    const auto wait = longWait(over, QStringLiteral("Stopping the auto-run…"), attempts);
    for (int i = 0; i < attempts && wait->carryOn(i); ++i)
        if (functions.AutoRunStop())
            return true;
    return false;
}

bool Hub::readLogoNames() {
    return functions.ReadLogoNamesList(names);
}

bool Hub::choosePort(const QString &portName, const QString &baudName) {
    port.portName = portName;
    port.baudName = baudName;
    DeviceSettings::savePortParams(settingsFile, portName, baudName);
    return functions.Connect();
}

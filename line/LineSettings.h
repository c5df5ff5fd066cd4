#pragma once
// The printers of a line, from the settings file: section "Line", a settings array "Printers"
// (Printers\size=2, Printers\1\Name=North, Printers\1\Device=tcp:10.0.0.5:4001,
// Printers\1\Speed=57600, ...), as outside scripts write it. Without the section the line is the
// one printer of the port settings, so a single-port file keeps working unchanged.

#include "DeviceSettings.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace line {

struct Printer {
    QString name;
    QString device;
    QString speed; // the line rate's name, as "Speed" of the port settings writes it
};

struct LineSettings {
    std::vector<Printer> printers;
    bool ofOne = true;    // no section "Line": the printer of the port settings
    QStringList problems; // entries left out and why, one a line
    // "Line/PollSeconds": how often the line window looks at every printer, 1 to 3600.
    int pollSeconds = kDefaultPollSeconds;
    // "Line/JobFolder": the job library; by default "stampline/jobs" in the user's data folder.
    QString jobFolder;

    static constexpr int kDefaultPollSeconds = 5;

    // The printer of that name (letter case ignored), or nullptr.
    const Printer *find(const QString &name) const;

    // Reads the file; `port` is what the same file says of the port (DeviceSettings::load).
    static LineSettings load(const QString &path, const DeviceSettings &port);
    // Writes "Line/PollSeconds"; false when the file is no regular file or was not written.
    static bool savePollSeconds(const QString &path, int seconds);
};

// Makes the port state talk to the printer, by its name: its device in place of the port's, at
// its rate; the causes name it ("North (tcp:10.0.0.5:4001)").
void aimAt(PortState &state, const Printer &printer);

} // namespace line

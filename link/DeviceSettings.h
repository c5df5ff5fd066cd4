#pragma once
// The device settings file: the program's path with the extension ".dev", INI. Section
// "PortParams" holds the port ("Com", default "com1") and the rate ("Speed", default "9600");
// section "PortDevices" the device of each port. INI keys are case-insensitive here, as the
// printer's own tools wrote them: the keys are read as "Com" and written as "com".

#include "com_io.h"

struct DeviceSettings {
    QString portName = QStringLiteral("com1");
    QString baudName = QStringLiteral("9600");
    PortTable ports;
    // Why the file could not be read (it is then as if there were none); empty when it could.
    QString problem;

    // The settings file beside a program: its path with the extension replaced by ".dev".
    static QString pathFor(const QString &programPath);
    // Where a program keeps its settings: beside itself (pathFor) when it may write in its own
    // folder, as a build or a copy run from a folder of one's own does; otherwise, installed, in
    // the user's configuration folder (stampline/stampline.dev there), which starts as a copy of
    // the file beside the program when there is one. The program and stampctl share it.
    static QString locate(const QString &programPath);
    // Missing file or keys give the defaults; values are trimmed.
    static DeviceSettings load(const QString &path);
    // Writes "com" and "Speed" in "PortParams"; returns whether the file was written.
    static bool savePortParams(const QString &path, const QString &portName,
                               const QString &baudName);
};

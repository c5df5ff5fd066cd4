#pragma once
// The in-process virtual printer behind the device names "virtual" and "virtual:FILE".

#include "com_io.h"

bool isVirtualDevice(const QString &device);
// A line to the virtual printer of that name. Every line opened on the same name reaches the
// same printer, which lives until the program ends (and keeps its state in FILE when named).
std::unique_ptr<SerialLine> openVirtualLine(const QString &device);

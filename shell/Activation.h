#pragma once
// Which activations of a window count as the operator coming back to it. A window becomes active
// again when a message box or a file dialog over it closes; that is no return to the window, and
// a window that reads the printer at every activation must not read again (a failing read would
// show its box again, for ever).

class QWidget;

// True when `window` has just become active and the window active before it was one of the
// program's own windows (or none), not a message box or a system dialog.
bool isOwnActivation(const QWidget *window);

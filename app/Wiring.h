#pragma once
// The wiring of the windows that hand work to each other through window messages, a subsystem a
// file; wireWindows calls each.

class TAutoControl;
class TOKHelpRightDlg;

void wireMarkRead(TAutoControl &main);
void wireImageEditor(TAutoControl &main);
void wireLogoReadWrite(TAutoControl &main);
void wireLogoPlacement(TAutoControl &main);
void wireMarkOverview(TAutoControl &main, TOKHelpRightDlg &textEditor);
void wireLineMonitor(TAutoControl &main);
void wireBackup(TAutoControl &main);

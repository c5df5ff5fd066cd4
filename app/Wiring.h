#pragma once
// The wiring of the windows that hand work to each other through window messages, a subsystem a
// file; wireWindows calls each.

#include <functional>

class TAutoControl;
class TOKHelpRightDlg;

// The editors that the overview opens at a cell, as their own entries open them.
struct CellEditors {
    std::function<void()> text; // the text editor, modeless, reading its cell as it shows
    std::function<void()> counter, time, postDate, specFunc;
};

void wireMarkRead(TAutoControl &main);
void wireImageEditor(TAutoControl &main);
void wireLogoReadWrite(TAutoControl &main);
void wireLogoPlacement(TAutoControl &main);
void wireMarkOverview(TAutoControl &main, TOKHelpRightDlg &textEditor, const CellEditors &editors);
void wireLineMonitor(TAutoControl &main);
void wireLineWindow(TAutoControl &main);
void wireAuditWindow(TAutoControl &main);
void wireBackup(TAutoControl &main);

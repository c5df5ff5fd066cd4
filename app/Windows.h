#pragma once
// The program's windows: the dialogs made at start, in order, and the ones made each time their
// command is chosen, wired to the main window's entries and window messages.

class TAutoControl;

void wireWindows(TAutoControl &main);

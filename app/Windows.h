#pragma once
// The program's windows: the dialogs made at start, in order, and the ones made each time their
// command is chosen, each bound to its entries of the main window by their object names, and to
// the window messages that open them.

class TAutoControl;

void wireWindows(TAutoControl &main);

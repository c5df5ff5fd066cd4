#pragma once
// The manual in a window of the program's own, for a system without a viewer for it (or whose
// viewer failed): the page with its pictures, and its links followed in place.

#include <QDialog>

class Messages;
class QTextBrowser;

// Opens the manual: help.html of the current directory, the one beside the program, or the one
// installed with it (share/stampline beside the program's bin folder); with the system's viewer
// when there is one, else in a HelpWindow over `over`. "help.html is missing" when there is none.
void openManual(Messages &messages, QWidget *over);

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    HelpWindow(const QString &page, QWidget *parent = nullptr);

    QTextBrowser *browser() const { return view; }

private:
    QTextBrowser *view;
};

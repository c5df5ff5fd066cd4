#pragma once
// The manual in a window of the program's own, for a system without a viewer for it (or whose
// viewer failed): the page with its pictures, and its links followed in place.

#include <QDialog>

class QTextBrowser;

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    HelpWindow(const QString &page, QWidget *parent = nullptr);

    QTextBrowser *browser() const { return view; }

private:
    QTextBrowser *view;
};

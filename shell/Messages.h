#pragma once
// Every message box, question, beep, file dialog and document the program shows goes through this
// one interface, so tests can replace it with a recorder.

#include <QString>

class QUrl;
class QWidget;

class Messages {
public:
    virtual ~Messages() = default;

    // A box with an OK button.
    virtual void show(const QString &caption, const QString &text) = 0;
    // A confirmation with Yes and No; true for Yes.
    virtual bool ask(const QString &caption, const QString &text) = 0;
    virtual void beep() = 0;
    // Empty when the user cancels.
    virtual QString openFileName(const QString &caption, const QString &directory,
                                 const QString &filter) = 0;
    virtual QString saveFileName(const QString &caption, const QString &directory,
                                 const QString &filter) = 0;
    // Opens a document with the system's viewer.
    virtual bool openDocument(const QUrl &url) = 0;

    void error(const QString &text) { show(QStringLiteral("Error"), text); }
    void information(const QString &text) { show(QStringLiteral("Information"), text); }
    bool confirm(const QString &text) { return ask(QStringLiteral("Confirm"), text); }
};

// The real boxes and dialogs, over the active window.
class BoxMessages : public Messages {
public:
    void show(const QString &caption, const QString &text) override;
    bool ask(const QString &caption, const QString &text) override;
    void beep() override;
    QString openFileName(const QString &caption, const QString &directory,
                         const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &directory,
                         const QString &filter) override;
    bool openDocument(const QUrl &url) override;
};

#pragma once
// Every message box, question, beep, file dialog and document the program shows goes through this
// one interface, so tests can replace it with a recorder. Boxes and dialogs open over the window
// that asked for them.

#include <QString>

class QUrl;
class QWidget;

enum class Severity { Information, Error };
// The button that Enter presses in a question. Every question that destroys something defaults
// to No, so a stray Enter keeps what the printer holds.
enum class DefaultButton { Yes, No };

class Messages {
public:
    virtual ~Messages() = default;

    // A box with an OK button. `details`, when given, says more about the cause, beside the text.
    virtual void show(QWidget *over, Severity severity, const QString &caption, const QString &text,
                      const QString &details = {}) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool ask(QWidget *over, const QString &caption, const QString &text,
                     DefaultButton defaultButton) = 0;
    virtual void beep() = 0;
    // Empty when the user cancels.
    virtual QString openFileName(QWidget *over, const QString &caption, const QString &directory,
                                 const QString &filter) = 0;
    virtual QString saveFileName(QWidget *over, const QString &caption, const QString &directory,
                                 const QString &filter) = 0;
    // Opens a document with the system's viewer; false when there is none or it failed.
    virtual bool openDocument(const QUrl &url) = 0;

    void error(QWidget *over, const QString &text, const QString &details = {}) {
        show(over, Severity::Error, QStringLiteral("Error"), text, details);
    }
    void information(QWidget *over, const QString &text) {
        show(over, Severity::Information, QStringLiteral("Information"), text);
    }
    // A Yes/No confirmation; Enter answers Yes.
    bool confirm(QWidget *over, const QString &text) {
        return ask(over, QStringLiteral("Confirm"), text, DefaultButton::Yes);
    }
    // A Yes/No confirmation before something is destroyed; Enter answers No.
    bool confirmDestructive(QWidget *over, const QString &text,
                            const QString &caption = QStringLiteral("Confirm")) {
        return ask(over, caption, text, DefaultButton::No);
    }
};

// The real boxes and dialogs.
class BoxMessages : public Messages {
public:
    void show(QWidget *over, Severity severity, const QString &caption, const QString &text,
              const QString &details = {}) override;
    bool ask(QWidget *over, const QString &caption, const QString &text,
             DefaultButton defaultButton) override;
    void beep() override;
    QString openFileName(QWidget *over, const QString &caption, const QString &directory,
                         const QString &filter) override;
    QString saveFileName(QWidget *over, const QString &caption, const QString &directory,
                         const QString &filter) override;
    bool openDocument(const QUrl &url) override;
};

// Messages nobody sees: every question answered No, every file dialog cancelled. For the programs
// that drive the windows without an operator (the manual's pictures, the benchmarks).
class QuietMessages : public Messages {
public:
    void show(QWidget *, Severity, const QString &, const QString &, const QString &) override {}
    bool ask(QWidget *, const QString &, const QString &, DefaultButton) override { return false; }
    void beep() override {}
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override {
        return {};
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override {
        return {};
    }
    bool openDocument(const QUrl &) override { return false; }
};

#pragma once
// Stands in for the program's message boxes and dialogs: keeps every message, question and beep
// in order, with the window each opened over, and answers questions and file dialogs from a
// script.

#include "Messages.h"

#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <deque>

class Recorder : public Messages {
public:
    // Everything shown, in order: "Caption: text", "Question Caption: text" for questions, "beep".
    QStringList log;
    QStringList details;           // the details of each box that had some
    QList<QPointer<QWidget>> over; // the window each entry of the log opened over
    QList<DefaultButton> defaults; // the default button of each question
    std::deque<bool> answers;      // Yes/No for the next questions; Yes when empty
    std::deque<QString> fileNames; // for the next file dialogs; a cancel when empty
    QList<QUrl> documents;
    bool documentsOpen = true; // whether the system has a viewer for documents
    int fileDialogs = 0;       // file dialogs opened

    void show(QWidget *w, Severity, const QString &caption, const QString &text,
              const QString &more) override {
        add(w, caption + QStringLiteral(": ") + text);
        if (!more.isEmpty())
            details << more;
    }
    bool ask(QWidget *w, const QString &caption, const QString &text,
             DefaultButton defaultButton) override {
        add(w, QStringLiteral("Question ") + caption + QStringLiteral(": ") + text);
        defaults << defaultButton;
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep() override { add(nullptr, QStringLiteral("beep")); }
    QString openFileName(QWidget *w, const QString &, const QString &, const QString &) override {
        return nextFile(w);
    }
    QString saveFileName(QWidget *w, const QString &, const QString &, const QString &) override {
        return nextFile(w);
    }
    bool openDocument(const QUrl &url) override {
        documents << url;
        return documentsOpen;
    }
    // The log so far, emptied.
    QStringList take() {
        over.clear();
        return std::exchange(log, {});
    }
    void clear() {
        take();
        details.clear();
        defaults.clear();
    }

private:
    void add(QWidget *w, const QString &entry) {
        log << entry;
        over << w;
    }
    QString nextFile(QWidget *) {
        ++fileDialogs;
        if (fileNames.empty())
            return {};
        QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

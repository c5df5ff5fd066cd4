#pragma once
// Stands in for the program's message boxes and dialogs: keeps every message, question and beep
// in order, and answers questions and file dialogs from a script.

#include "Messages.h"

#include <QStringList>
#include <QUrl>
#include <deque>

class Recorder : public Messages {
public:
    // Everything shown, in order: "Caption: text", "Question Caption: text" for questions, "beep".
    QStringList log;
    std::deque<bool> answers;      // Yes/No for the next questions; Yes when empty
    std::deque<QString> fileNames; // for the next file dialogs; a cancel when empty
    QList<QUrl> documents;

    void show(const QString &caption, const QString &text) override {
        log << caption + QStringLiteral(": ") + text;
    }
    bool ask(const QString &caption, const QString &text) override {
        log << QStringLiteral("Question ") + caption + QStringLiteral(": ") + text;
        if (answers.empty())
            return true;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void beep() override { log << QStringLiteral("beep"); }
    QString openFileName(const QString &, const QString &, const QString &) override {
        return nextFile();
    }
    QString saveFileName(const QString &, const QString &, const QString &) override {
        return nextFile();
    }
    bool openDocument(const QUrl &url) override {
        documents << url;
        return true;
    }
    // The log so far, emptied.
    QStringList take() { return std::exchange(log, {}); }

private:
    QString nextFile() {
        if (fileNames.empty())
            return {};
        QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }
};

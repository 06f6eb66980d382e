#pragma once
// Dialogs that answer from a script and record every request, so that a test
// never blocks on a modal window and can assert what was shown.
#include "platform/Dialogs.h"

#include <QList>

#include <deque>
#include <variant>

struct RecordedDialog {
    enum Kind { Message, Input, OpenFile, Color, Folder } kind = Message;
    MessageRequest message; // Message
    QString prompt;         // Input, OpenFile, Folder: prompt or title
    QString title;
    QString defaultText;
};

class ScriptedDialogs : public Dialogs {
public:
    // Answers are used in order, whatever kind of dialog asks. An empty
    // queue answers a message with its default button, an input box with
    // Cancel, a file or folder choice with Cancel, a colour with Cancel.
    void answer(int messageAnswer) { answers.push_back(messageAnswer); }
    void answerText(const QString& text) { answers.push_back(text); }
    void answerCancel() { answers.push_back(std::monostate{}); }
    void answerColor(quint32 c) { answers.push_back(c); }

    int message(const MessageRequest& r) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    QString openFile(const FileRequest& r) override;
    std::optional<quint32> chooseColor(quint32 initial) override;
    QString chooseFolder(const QString& title, const QString& startDir) override;

    QList<RecordedDialog> log;
    // Texts of the message boxes shown, in order.
    QStringList messages() const;
    int pending() const { return int(answers.size()); }

private:
    std::deque<std::variant<std::monostate, int, QString, quint32>> answers;
};

// The titles and texts of the message boxes shown, as "title|text".
QStringList Boxes(const ScriptedDialogs& d);

// Installs a fresh ScriptedDialogs and returns it (owned by Global).
ScriptedDialogs* installScriptedDialogs();

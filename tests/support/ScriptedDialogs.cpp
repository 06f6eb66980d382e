#include "support/ScriptedDialogs.h"

#include <gtest/gtest.h>

int ScriptedDialogs::message(const MessageRequest& r)
{
    RecordedDialog d;
    d.kind = RecordedDialog::Message;
    d.message = r;
    d.title = r.title;
    log.append(d);
    if (!answers.empty()) {
        auto a = answers.front();
        answers.pop_front();
        if (auto* v = std::get_if<int>(&a))
            return *v;
        ADD_FAILURE() << "message box answered with a non-message answer: " << r.text.toStdString();
    }
    return DefaultAnswer(r);
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title,
                                              const QString& defaultText)
{
    RecordedDialog d;
    d.kind = RecordedDialog::Input;
    d.prompt = prompt;
    d.title = title;
    d.defaultText = defaultText;
    log.append(d);
    if (!answers.empty()) {
        auto a = answers.front();
        answers.pop_front();
        if (auto* v = std::get_if<QString>(&a))
            return *v;
    }
    return std::nullopt;
}

QString ScriptedDialogs::openFile(const FileRequest& r)
{
    RecordedDialog d;
    d.kind = RecordedDialog::OpenFile;
    d.prompt = r.title;
    d.title = r.title;
    d.defaultText = r.filter;
    log.append(d);
    if (!answers.empty()) {
        auto a = answers.front();
        answers.pop_front();
        if (auto* v = std::get_if<QString>(&a))
            return *v;
    }
    return QString();
}

std::optional<quint32> ScriptedDialogs::chooseColor(quint32 initial)
{
    RecordedDialog d;
    d.kind = RecordedDialog::Color;
    d.defaultText = QString::number(initial);
    log.append(d);
    if (!answers.empty()) {
        auto a = answers.front();
        answers.pop_front();
        if (auto* v = std::get_if<quint32>(&a))
            return *v;
    }
    return std::nullopt;
}

QString ScriptedDialogs::chooseFolder(const QString& title, const QString& startDir)
{
    RecordedDialog d;
    d.kind = RecordedDialog::Folder;
    d.prompt = title;
    d.title = title;
    d.defaultText = startDir;
    log.append(d);
    if (!answers.empty()) {
        auto a = answers.front();
        answers.pop_front();
        if (auto* v = std::get_if<QString>(&a))
            return *v;
    }
    return QString();
}

QStringList Boxes(const ScriptedDialogs& d)
{
    QStringList out;
    for (const RecordedDialog& r : d.log)
        if (r.kind == RecordedDialog::Message)
            out << r.message.title + u'|' + r.message.text;
    return out;
}

QStringList ScriptedDialogs::messages() const
{
    QStringList out;
    for (const RecordedDialog& d : log)
        if (d.kind == RecordedDialog::Message)
            out.append(d.message.text);
    return out;
}

ScriptedDialogs* installScriptedDialogs()
{
    auto d = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs* p = d.get();
    setDialogs(std::move(d));
    return p;
}

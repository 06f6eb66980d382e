#include "platform/Dialogs.h"

#include "platform/QtDialogs.h"

int DefaultAnswer(const MessageRequest& r)
{
    static const int answers[6][3] = {
        {vbOK, vbOK, vbOK},      {vbOK, vbCancel, vbCancel}, {vbAbort, vbRetry, vbIgnore},
        {vbYes, vbNo, vbCancel}, {vbYes, vbNo, vbNo},        {vbRetry, vbCancel, vbCancel},
    };
    return answers[qBound(0, r.buttons, 5)][qBound(0, r.defaultButton, 2)];
}

Dialogs& dialogs()
{
    if (!Global::CurrentDialogs)
        Global::CurrentDialogs = std::make_unique<QtDialogs>();
    return *Global::CurrentDialogs;
}

Dialogs* setDialogs(std::unique_ptr<Dialogs> d)
{
    Global::CurrentDialogs = std::move(d);
    return Global::CurrentDialogs.get();
}

int MsgBox(const QString& text, int style, const QString& title, QWidget* owner)
{
    MessageRequest r;
    r.text = text;
    r.title = title.isEmpty() ? AppTitle : title;
    r.buttons = style & 7;
    r.icon = style & 0x70;
    r.defaultButton = (style >> 8) & 3;
    r.owner = owner;
    return dialogs().message(r);
}

std::optional<QString> InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    return dialogs().input(prompt, title.isEmpty() ? AppTitle : title, defaultText);
}

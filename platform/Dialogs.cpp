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

QString QtFileFilter(const QString& uiFilter)
{
    if (!uiFilter.contains(u'|'))
        return uiFilter;
    const QStringList parts = uiFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        // A description that names its patterns already gets them once.
        const qsizetype open = description.lastIndexOf(u'(');
        if (open > 0 && description.endsWith(u')'))
            description = description.left(open).trimmed();
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        filters << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

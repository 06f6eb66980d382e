#pragma once
#include "platform/Dialogs.h"

// Real dialogs on screen.
class QtDialogs : public Dialogs {
public:
    int message(const MessageRequest& r) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    QString openFile(const FileRequest& r) override;
    std::optional<quint32> chooseColor(quint32 initial) override;
    QString chooseFolder(const QString& title, const QString& startDir) override;
};

#include "platform/QtDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

struct ButtonDef {
    QMessageBox::StandardButton button;
    int answer;
};

QList<ButtonDef> buttonsFor(int style)
{
    switch (style) {
    case vbOKCancel: return {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
    case vbAbortRetryIgnore:
        return {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
    case vbYesNoCancel:
        return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
    case vbYesNo: return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
    case vbRetryCancel: return {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
    default: return {{QMessageBox::Ok, vbOK}};
    }
}

} // namespace

int QtDialogs::message(const MessageRequest& r)
{
    QMessageBox box(r.owner);
    box.setWindowTitle(r.title);
    box.setText(r.text);
    switch (r.icon) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    const QList<ButtonDef> defs = buttonsFor(r.buttons);
    for (const ButtonDef& d : defs)
        box.addButton(d.button);
    int def = qBound(0, r.defaultButton, int(defs.size()) - 1);
    box.setDefaultButton(defs[def].button);
    int escape = defs.size() == 1 ? 0 : -1;
    for (int i = 0; i < defs.size(); ++i)
        if (defs[i].answer == vbCancel || defs[i].answer == vbNo)
            escape = i;
    if (escape >= 0)
        box.setEscapeButton(defs[escape].button);
    box.exec();
    auto clicked = box.standardButton(box.clickedButton());
    for (const ButtonDef& d : defs)
        if (d.button == clicked)
            return d.answer;
    return escape >= 0 ? defs[escape].answer : defs[def].answer;
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& defaultText)
{
    bool ok = false;
    QString text = QInputDialog::getText(nullptr, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString QtDialogs::openFile(const FileRequest& r)
{
    return QFileDialog::getOpenFileName(nullptr, r.title, r.startDir, QtFileFilter(r.filter));
}

std::optional<quint32> QtDialogs::chooseColor(quint32 initial)
{
    QColor start(int(initial & 0xFF), int((initial >> 8) & 0xFF), int((initial >> 16) & 0xFF));
    QColor c = QColorDialog::getColor(start);
    if (!c.isValid())
        return std::nullopt;
    return quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
}

QString QtDialogs::chooseFolder(const QString& title, const QString& startDir)
{
    return QFileDialog::getExistingDirectory(nullptr, title, startDir);
}

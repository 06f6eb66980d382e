#include "customers/TabControls.h"

#include "common/AppGlobals.h"
#include "common/Captions.h"
#include "common/Controls.h"
#include "customers/CustomerForm.h"
#include "customers/CustomerGlobals.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"

#include <QSignalBlocker>
#include <QTabWidget>
#include <QWidget>

namespace CustomerUi {

QString Indexed(const char* name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

QObject* Find(const QString& name)
{
    return MainControlObject(name);
}

QObject* Find(const char* name, int index)
{
    return Find(Indexed(name, index));
}

QObject* Required(const QString& name)
{
    QObject* o = Find(name);
    if (!o)
        throw AppError(424, QStringLiteral("Object required: ") + name);
    return o;
}

QObject* Required(const char* name, int index)
{
    return Required(Indexed(name, index));
}

QString Text(const QString& name)
{
    return TextOf(Required(name));
}

QString Text(const char* name, int index)
{
    return Text(Indexed(name, index));
}

void Show(const QString& name, const QString& text)
{
    QObject* o = Required(name);
    const QSignalBlocker hold(o);
    SetTextOf(o, text);
}

void Show(const char* name, int index, const QString& text)
{
    Show(Indexed(name, index), text);
}

void ShowMemo(const QString& name, const QString& memo)
{
    Show(name, MemoToBox(memo));
}

QString Memo(const QString& name)
{
    return MemoOf(Required(name));
}

void Enable(const QString& name, bool on)
{
    if (auto* w = qobject_cast<QWidget*>(Find(name)))
        w->setEnabled(on);
}

void Enable(const char* name, int index, bool on)
{
    Enable(Indexed(name, index), on);
}

FlexGrid* UserGrid()
{
    return MainControl<FlexGrid>(QStringLiteral("MfgUserList"));
}

int MainTab()
{
    auto* tabs = MainControl<QTabWidget>(QStringLiteral("SSTab"));
    return tabs ? tabs->currentIndex() : -1;
}

QWidget* Owner()
{
    return MainWindow();
}

bool AskSave()
{
    return MsgBox(Global::UiText.value(578), vbYesNo | vbQuestion | vbDefaultButton1, QString(), Owner()) ==
           vbYes;
}

bool AskDelete(int key)
{
    return MsgBox(Global::UiText.value(key), vbYesNo | vbQuestion | vbDefaultButton2, QString(), Owner()) == vbYes;
}

std::size_t ShownPage()
{
    const std::int32_t page = Global::HistoryPage;
    if (page < 0 || page >= Customer::HistorySlots)
        throw AppError(9);
    return std::size_t(page);
}

void Refuse(int key)
{
    MsgBox(Global::UiText.value(key), vbOKOnly | vbExclamation, QString(), Owner());
}

void Inform(int key)
{
    MsgBox(Global::UiText.value(key), vbOKOnly | vbInformation, QString(), Owner());
}

} // namespace CustomerUi

// The main tab switch: the conditions of the two measurement tabs, the save
// questions of the customer and catalogue tabs, the preparation of the page
// entered, the import menu item and the wheel hook.
#include "app/FrmMain.h"

#include "catalog/CatalogTab.h"
#include "common/Captions.h"
#include "common/GridWheel.h"
#include "customers/CustomerTab.h"
#include "instrument/ForwardTab.h"
#include "measview/MeasViewTab.h"
#include "platform/Dialogs.h"
#include "platform/FlexGrid.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

namespace {

constexpr int CustomerTab = 0;
constexpr int MeasTab = 1;
constexpr int ForwardTab = 2;
constexpr int CatalogTab = 3;

constexpr int UiNoCustomer = 545;
constexpr int UiNoCustomerRow = 546;
constexpr int UiNoHistory = 576;
constexpr int UiSaveQuestion = 578;

// Shows a page for the time of a question without preparing it.
class PageForQuestion {
  public:
    PageForQuestion(FrmMain& form, int tab) : before(Global::TabShownForQuestion)
    {
        Global::TabShownForQuestion = true;
        form.SSTab->setCurrentIndex(tab);
        Global::TabShownForQuestion = before;
    }

  private:
    bool before;
};

bool AskSave(FrmMain& form)
{
    return MsgBox(Global::UiText.value(UiSaveQuestion), vbYesNo | vbQuestion | vbDefaultButton1, QString(),
                  &form) == vbYes;
}

QString Indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

void ShowImportItem(FrmMain& form, bool visible)
{
    for (const char* name : {"MnuInport", "MnuInportBar"})
        if (auto* item = form.control<QAction>(QString::fromLatin1(name)))
            item->setVisible(visible);
}

// The history-name box leaves the Tab key's chain (it stays usable with the
// mouse), or joins it again.
void HistoryNameTabStop(FrmMain& form, bool stop)
{
    if (auto* box = form.control<QLineEdit>(Indexed("TxtIn", 11)))
        box->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
}

// Back to the customer tab with a message about what is missing.
void BackToCustomers(FrmMain& form, int key)
{
    form.SSTab->setCurrentIndex(CustomerTab);
    form.TabGridHook();
    MsgBox(Global::UiText.value(key), vbOKOnly | vbInformation, QString(), &form);
}

// A save asked for on the way did not go through (it said why): the page
// of the edits is shown again as it is, its edits still marked unsaved, so
// that they can be corrected or saved; nothing of the tab clicked is
// prepared.
void StayForFailedSave(FrmMain& form, int tab)
{
    { const PageForQuestion shown(form, tab); }
    if (tab == CatalogTab)
        Global::TabModified[3] = true;
    form.TabGridHook();
    ShowImportItem(form, tab == CatalogTab);
}

// Selects entry `index` of the combo box `name` when it holds one; its
// change handler runs. False when it holds none.
bool SelectEntry(FrmMain& form, const QString& name, int index)
{
    auto* combo = form.control<QComboBox>(name);
    if (!combo || index < 0 || index >= combo->count())
        return false;
    combo->setCurrentIndex(index);
    return true;
}

QString EntryText(FrmMain& form, const QString& name)
{
    const auto* combo = form.control<QComboBox>(name);
    return combo ? combo->currentText() : QString();
}

void ShowLabel(FrmMain& form, const QString& name, const QString& text)
{
    if (QObject* label = form.controlObject(name))
        SetCaption(label, text);
}

} // namespace

// The catalogue question: asked only when the catalogue page shown has a
// model selected; Yes registers it.
void FrmMain::CatalogSaveQuestion(bool* failed)
{
    const int page = SSTab2->currentIndex();
    const bool selected = (page == 0 && Global::CurModuleModel >= 0) || (page == 1 && Global::CurPowConModel >= 0);
    const bool ok = !selected || !AskSave(*this) || CmdModuleReg_Click(page);
    if (failed)
        *failed = !ok;
}

void FrmMain::SSTab_Click(int)
{
    if (Global::CaptionsLoading)
        return;
    Guarded(QStringLiteral("SSTab_Click"), [&] {
        SSTab3->setCurrentIndex(0);
        switch (SSTab->currentIndex()) {
        case CustomerTab:
            EnterCustomerTab();
            break;
        case MeasTab:
        case ForwardTab:
            EnterMeasurementTab(SSTab->currentIndex());
            break;
        case CatalogTab:
            EnterCatalogTab();
            break;
        default:
            break;
        }
    });
}

void FrmMain::EnterCustomerTab()
{
    if (Global::TabShownForQuestion) {
        TabGridHook();
        ShowImportItem(*this, false);
        return;
    }
    if (Global::TabModified[3]) {
        Global::TabModified[3] = false;
        bool failed = false;
        {
            const PageForQuestion shown(*this, CatalogTab);
            TabGridHook();
            CatalogSaveQuestion(&failed);
        }
        if (failed) {
            StayForFailedSave(*this, CatalogTab);
            return;
        }
        // Entering the customer tab again does the rest.
        SSTab->setCurrentIndex(CustomerTab);
        TabGridHook();
        return;
    }
    // The customer chosen before, read again from its folder: the row
    // CurUserRow, wherever the list's current row went meanwhile.
    if (Global::CurUserRow > 0 && MfgUserList) {
        if (Global::CurUserRow < MfgUserList->Rows())
            MfgUserList->setRow(Global::CurUserRow);
        MfgUserList_Click();
    }
    TabGridHook();
    ShowImportItem(*this, false);
}

void FrmMain::EnterMeasurementTab(int tab)
{
    if (Global::CurUserRow <= 0) {
        BackToCustomers(*this, UiNoCustomer);
        return;
    }
    const auto* historyName = control<QLineEdit>(Indexed("TxtIn", 11));
    if (!historyName || historyName->text().isEmpty()) {
        BackToCustomers(*this, UiNoHistory);
        return;
    }
    bool saveDeclined = false;
    if (Global::TabModified[0]) {
        Global::TabModified[0] = false;
        TabGridHook();
        if (!AskSave(*this)) {
            saveDeclined = true;
        } else if (!CmdBtn0_Click(true)) {
            StayForFailedSave(*this, CustomerTab);
            return;
        }
        SSTab->setCurrentIndex(tab);
        TabGridHook();
    }
    if (Global::TabModified[3]) {
        Global::TabModified[3] = false;
        TabGridHook();
        bool failed = false;
        CatalogSaveQuestion(&failed);
        if (failed) {
            StayForFailedSave(*this, CatalogTab);
            return;
        }
        SSTab->setCurrentIndex(tab);
        TabGridHook();
    }

    if (tab == MeasTab) {
        DataViewDisplayInitial();
        const QString code = Indexed("CmbCodeName", 0);
        ShowLabel(*this, Indexed("LblCodeName", 0), EntryText(*this, code));
        SelectEntry(*this, code, Global::CurUserIndex);
        ShowLabel(*this, Indexed("LblCodeName", 0), EntryText(*this, code));
        // A history the customer's folder does not hold (a name typed on the
        // page after the last history and not saved) cannot be shown.
        if (!SelectEntry(*this, Indexed("CmbHistorySel", 0), Global::HistoryPage)) {
            BackToCustomers(*this, UiNoHistory);
            return;
        }
        HistoryNameTabStop(*this, false);
        SSTab1->setCurrentIndex(0);
        TabGridHook();
        ShowImportItem(*this, false);
        return;
    }

    // A history name typed on the customer tab is saved on the way, unless
    // the user has just said not to save the customer's edits.
    if (saveDeclined) {
        Global::HistoryNameEdited = false;
    } else if (Global::HistoryNameEdited && !CmdBtn0_Click(false)) {
        StayForFailedSave(*this, CustomerTab);
        return;
    }
    if (Global::CurUserRow <= 0) {
        BackToCustomers(*this, UiNoCustomerRow);
        return;
    }
    ForwordDisplayInitial();
    const QString code = Indexed("CmbCodeName", 1);
    SelectEntry(*this, code, Global::CurUserIndex);
    ShowLabel(*this, Indexed("LblCodeName", 1), EntryText(*this, code));
    CmbCodeName_Click(1);
    // The history shown on the customer tab receives moved read-out data.
    SelectEntry(*this, Indexed("CmbHistorySel", 1), Global::HistoryPage);
    HistoryNameTabStop(*this, false);
    TabGridHook();
    ShowImportItem(*this, false);
}

void FrmMain::EnterCatalogTab()
{
    if (!Global::TabShownForQuestion && Global::TabModified[0]) {
        Global::TabModified[0] = false;
        bool saved = true;
        {
            const PageForQuestion shown(*this, CustomerTab);
            TabGridHook();
            if (AskSave(*this))
                saved = CmdBtn0_Click(true);
        }
        if (!saved) {
            StayForFailedSave(*this, CustomerTab);
            return;
        }
        SSTab->setCurrentIndex(CatalogTab);
    }
    TabGridHook();
    ShowImportItem(*this, true);
}

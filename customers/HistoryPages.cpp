#include "customers/HistoryPages.h"

#include "common/AppGlobals.h"
#include "common/Controls.h"
#include "common/FileHelpers.h"
#include "customers/CustomerGlobals.h"
#include "customers/CustomerTab.h"
#include "customers/Pictures.h"
#include "customers/TabControls.h"
#include "customers/UserData.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/NumText.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>

#include <algorithm>
#include <cstdio>

namespace {

using namespace Customer;
using CustomerUi::Show;
using CustomerUi::Text;
using namespace CustomerUi;

constexpr qsizetype MaxPath = 256;

const char* const ContractorBoxes[3] = {"TxtCompanyName", "TxtCompanyTel", "TxtCompanyCharge"};

std::array<QString, ContractorCount + 1>& ContractorField(ContractorRecord& c, int column)
{
    return column == 0 ? c.ContractorNames : column == 1 ? c.ContractorPhones : c.ContractorPersons;
}

} // namespace

void MeasDataPageChange()
{
    Guarded(QStringLiteral("MeasDataPageChange"), [] {
        const std::size_t page = ShownPage();
        const HistoryRecord& h = Global::HistoryRecords[page];
        const ContractorRecord& c = Global::ContractorRecords[page];
        Show("TxtIn", 11, h.HistoryName);
        Show(QStringLiteral("LblDate"), h.MeasDate);
        Show(QStringLiteral("LblMeasDataPm"), h.HistoryPmTotal);
        Show(QStringLiteral("LblMeasDataVoc"), h.HistoryVocTotal);
        Show(QStringLiteral("LblMeasDataIsc"), h.HistoryIscTotal);
        for (int i = 0; i < ContractorCount; ++i)
            for (int col = 0; col < 3; ++col)
                Show(ContractorBoxes[col], i, ContractorField(const_cast<ContractorRecord&>(c), col)[std::size_t(i)]);

        if (auto* op = qobject_cast<QRadioButton*>(CustomerUi::Required("OpPicSel", 0)))
            op->setChecked(true);
        auto* box = qobject_cast<QLabel*>(CustomerUi::Required("ImgPic", 0));
        const QString p = h.PicturePaths[0];
        const bool there = !p.isEmpty() && !FileCheck(p).isEmpty();
        if (!p.isEmpty() && !there)
            MsgBox(Global::UiText.value(UiPictureMissing) + QStringLiteral("   [") + p + u']',
                   vbOKOnly | vbExclamation, QString(), CustomerUi::Owner());
        FitPictureToFrame(box, there ? p : QString(), Pictures::HistoryFrameWidth, Pictures::HistoryFrameHeight);

        CustomerUi::ShowMemo(QStringLiteral("TxtIn_12"), h.HistoryMemo);
        CustomerUi::Enable("CmdPicReg", 0, true);
    });
}

void MeasDataMemoryMove()
{
    Guarded(QStringLiteral("MeasDataMemoryMove"), [] {
        const std::size_t page = ShownPage();
        HistoryRecord& h = Global::HistoryRecords[page];
        ContractorRecord& c = Global::ContractorRecords[page];
        h.HistoryName = Text("TxtIn", 11);
        h.HistoryMemo = CustomerUi::Memo(QStringLiteral("TxtIn_12"));
        for (int i = 0; i < ContractorCount; ++i)
            for (int col = 0; col < 3; ++col)
                ContractorField(c, col)[std::size_t(i)] = Text(ContractorBoxes[col], i);
    });
}

void CmdScl_Click(int index)
{
    Guarded(QStringLiteral("CmdScl_Click"), [&] {
        const std::int32_t page = Global::HistoryPage;
        // The last page is the empty one after the last history, but never
        // one past the 99 histories the files keep.
        const std::int32_t last = std::min(Global::HistoryCount, std::int32_t(MaxHistories - 1));
        if ((index == 0 && page <= 0) || (index == 1 && page >= last) || (index != 0 && index != 1))
            return;
        TakeBackShownCustomer();
        if (CustomerUi::MainTab() == 0 && Global::TabModified[0]) {
            Global::TabModified[0] = false;
            if (CustomerUi::AskSave())
                CmdBtn0_Click(true);
        }
        MeasDataMemoryMove();
        Global::HistoryPage = Global::HistoryPage + (index == 0 ? -1 : 1);
        MeasDataPageChange();
        Show(QStringLiteral("LblPage"), NumText::Str(Global::HistoryPage + 1));
    });
}

void MnuCopyPaste_Click(int index)
{
    Guarded(QStringLiteral("MnuCopyPaste_Click"), [&] {
        if (index == 0) {
            for (int i = 0; i < ContractorCount; ++i)
                for (int col = 0; col < 3; ++col)
                    Global::ContractorClip[std::size_t(i)][std::size_t(col)] = Text(ContractorBoxes[col], i);
            if (auto* paste = MainControl<QAction>(CustomerUi::Indexed("MnuCopyPaste", 1)))
                paste->setEnabled(true);
        } else if (index == 1) {
            for (int i = 0; i < ContractorCount; ++i)
                for (int col = 0; col < 3; ++col)
                    Show(ContractorBoxes[col], i, Global::ContractorClip[std::size_t(i)][std::size_t(col)]);
            Global::TabModified[0] = true;
        }
    });
}

void LblUserMess_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPos)
{
    if (button != Qt::RightButton || index < 17 || index > 19)
        return;
    if (auto* menu = MainControl<QMenu>(QStringLiteral("MnuCopyPasteMenu")))
        menu->popup(globalPos);
}

void TxtIn_GotFocus(int index)
{
    if (index == 11)
        Global::HistoryNameEdited = true;
}

void TxtIn_KeyUp(int index)
{
    if (index == 11)
        Global::HistoryNameEdited = true;
}

void TxtIn_LostFocus(int index)
{
    if (index != 11)
        return;
    Guarded(QStringLiteral("TxtIn_LostFocus"), [] {
        const QString stored = Global::HistoryRecords[ShownPage()].HistoryName;
        if (stored.isEmpty())
            return; // a new history, typed on the empty page
        if (Text("TxtIn", 11) == stored) {
            Global::HistoryNameEdited = false;
            return;
        }
        const int answer = MsgBox(Global::UiText.value(UiKeepNewHistoryName), vbYesNo | vbQuestion | vbDefaultButton1,
                                  QString(), CustomerUi::Owner());
        if (answer != vbYes) {
            Show("TxtIn", 11, stored);
            return;
        }
        // The name stays marked as edited while it is not saved.
        if (Global::HistoryNameEdited && CmdBtn0_Click(false))
            Global::HistoryNameEdited = false;
    });
}

// ---- Deletion ------------------------------------------------------------------

void RenumberHistoryFolders(const QString& folder, const QString& documentsName)
{
    struct Kept {
        int number;
        QString name;
    };
    std::vector<Kept> kept;
    // Every history, whatever bytes its name holds (names that cannot be
    // shown were reported when the customer was read).
    const QStringList names = ListFolderNames(folder, ListedKind::Folders, QString(), false);
    for (const QString& name : names) {
        if (name == documentsName)
            continue;
        // Only history folders take part: anything else keeps its name.
        const int number = HistoryFolderNumber(name);
        if (number > 0)
            kept.push_back({number, name});
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) { return a.number < b.number; });

    auto rename = [&](const QString& from, const QString& to) {
        if (::rename(DiskPath(folder + u'/' + from).constData(), DiskPath(folder + u'/' + to).constData()) != 0)
            throw AppError(75, AppError::standardText(75) + QStringLiteral(": ") + folder + u'/' + from);
    };
    const auto taken = [&](const QString& name) { return KindOf(folder + u'/' + name, false) != DiskKind::Missing; };
    struct Parked {
        QString temporary, target;
    };
    std::vector<Parked> parked;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const int position = int(i) + 1;
        if (kept[i].number == position)
            continue;
        const QString rest = kept[i].name.mid(kept[i].name.indexOf(u'_') + 1);
        const QString target = QString::number(position) + u'_' + rest;
        if (!taken(target)) {
            rename(kept[i].name, target);
            continue;
        }
        // The target is still taken (two folders of one number): the folder
        // waits under a name no history has until the others have moved.
        QString temporary;
        for (int n = 0; temporary.isEmpty() || taken(temporary); ++n)
            temporary = QStringLiteral("~renumber-%1-%2").arg(position).arg(n);
        rename(kept[i].name, temporary);
        parked.push_back({temporary, target});
    }
    for (const Parked& p : parked) {
        if (taken(p.target))
            throw AppError(58, AppError::standardText(58) + QStringLiteral(": ") + folder + u'/' + p.target);
        rename(p.temporary, p.target);
    }
}

void CmdDelete_Click()
{
    Guarded(QStringLiteral("CmdDelete_Click"), [] {
        TakeBackShownCustomer();
        auto shownFolder = [] {
            const QString path = HistoryFolderPath(int(ShownPage()));
            return path.isEmpty() || path.size() >= MaxPath || FolderCheck(path).isEmpty() ? QString() : path;
        };
        if (shownFolder().isEmpty())
            return; // the empty page, or a history not saved yet

        // Unsaved edits are saved or dropped before anything is deleted.
        if (CustomerUi::MainTab() == 0 && Global::TabModified[0]) {
            Global::TabModified[0] = false;
            if (CustomerUi::AskSave() && !CmdBtn0_Click(true))
                return;
        }
        const QString key = Global::LoadedCustomerKey;
        const QString path = shownFolder();
        if (key.isEmpty() || path.isEmpty())
            return;
        if (!AskDelete(UiDeleteHistory1) || !AskDelete(UiDeleteHistory2))
            return;
        if (DlFol(path) != 0)
            return; // reported by DlFol; the other histories keep their numbers

        RenumberHistoryFolders(UserDataFolder(key), DocumentsFolderName());
        Global::TabModified[0] = false;
        UserListIni(true);
        if (FindUserRowByKey(key))
            MfgUserList_Click();
        CustomerUi::Inform(UiDeleted);
    });
}

#include "customers/CustomerCommands.h"

#include "catalog/ArraySet.h"
#include "common/AppGlobals.h"
#include "common/Captions.h"
#include "common/Controls.h"
#include "common/FileHelpers.h"
#include "common/FrmMessWindow.h"
#include "common/TextHelpers.h"
#include "customers/CatalogCommands.h"
#include "customers/CustomerForm.h"
#include "customers/CustomerGlobals.h"
#include "customers/CustomerTab.h"
#include "customers/TabControls.h"
#include "customers/UserData.h"
#include "platform/AppError.h"
#include "platform/Dialogs.h"
#include "platform/FileIo.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"
#include "platform/Shell.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <memory>

namespace {

using namespace Customer;
using namespace CustomerUi;

// Full paths are kept below this many characters.
constexpr qsizetype MaxPath = 256;

// The longest history-folder prefix and a measurement file's name, for the
// path-length check.
const QString LongestHistoryPrefix = QStringLiteral("99_");
const QString MeasFileModel = QStringLiteral("000000_000000_0000-00-00.csv");

// ---- The save's checks ---------------------------------------------------------

// The first refusal of what is typed, as its UI text key; 0 when all passes.
// The on-screen history's name is `shownName`; the other names come from
// the records.
int RefusalOfInput(const QString& code, const QString& name, const QString& shownName)
{
    if (code.isEmpty() || name.isEmpty())
        return UiCodeAndNameRequired;
    if (!IsSingleByteText(code))
        return UiCodeNotSingleByte;
    if (!FileNameErrorCheck(code))
        return UiCodeForbidden;
    if (!FileNameErrorCheck(name))
        return UiNameForbidden;
    const int page = Global::HistoryPage;
    if (!FileNameErrorCheck(shownName))
        return UiHistoryNameForbidden;
    // Names typed on other pages are folder names just as well.
    for (int i = 0; i < MaxHistories; ++i)
        if (i != page && !FileNameErrorCheck(Global::HistoryRecords[std::size_t(i)].HistoryName))
            return UiHistoryNameForbidden;
    // Every name must make a folder on any system the data may travel to.
    if (!IsPortableName(CustomerKey(code, name)))
        return UiNameNotPortable;
    for (int i = 0; i < MaxHistories; ++i) {
        const QString& h = i == page ? shownName : Global::HistoryRecords[std::size_t(i)].HistoryName;
        if (!h.isEmpty() && !IsPortableName(QString::number(i + 1) + u'_' + h))
            return UiNameNotPortable;
    }
    return 0;
}

// Duplicate history names and dates without a name, in index order.
int RefusalOfHistories()
{
    const auto& h = Global::HistoryRecords;
    for (int i = 0; i < MaxHistories; ++i) {
        const QString& name = h[std::size_t(i)].HistoryName;
        if (!name.isEmpty())
            for (int j = i + 1; j < MaxHistories; ++j)
                if (h[std::size_t(j)].HistoryName == name)
                    return UiHistoryNameTwice;
        if (name.isEmpty() && !h[std::size_t(i)].MeasDate.isEmpty())
            return UiHistoryDateWithoutName;
    }
    return 0;
}

// Paths of the customer's files and of a measurement file in any named
// history must stay below 256 characters.
int RefusalOfPathLength(const QString& key)
{
    const QString c = UserDataFolder(key);
    if ((c + QStringLiteral("/UserData.csv")).size() >= MaxPath)
        return UiPathTooLong;
    for (int i = 0; i < MaxHistories; ++i) {
        const QString& name = Global::HistoryRecords[std::size_t(i)].HistoryName;
        if ((i == Global::HistoryPage || !name.isEmpty()) &&
            (c + u'/' + LongestHistoryPrefix + name + u'/' + MeasFileModel).size() >= MaxPath)
            return UiPathTooLong;
    }
    return 0;
}

// ---- Texts the files cannot hold ------------------------------------------------

// UI texts naming the fields the user types (the captions of their boxes).
constexpr int UiCustomerFieldFirst = 12; // control number .. registered, then the memo
constexpr int UiHistoryNameField = 33;
constexpr int UiHistoryMemoField = 37;
constexpr int UiContractorFieldFirst = 41; // company, phone, person in charge
constexpr int UiHistoryHeading = 31;
constexpr int UiArrayModule = 281;
constexpr int UiArrayMaker = 282;
constexpr int UiArrayRowFields[] = {283, 284, 300, 285, 286, 287}; // model, series, parallel, Pm, Voc, Isc
constexpr int UiArrayPowCon = 288;
constexpr int UiArrayPowConFirst = 289; // group number, maker, model
constexpr int UiArrayOther = 292;

QString Ui(int key)
{
    return Global::UiText.value(key);
}

// Every text the save writes that the user typed or chose, named as the
// user sees it: the customer's boxes, the shown page's boxes, the other
// pages as turned away from (named with their history number), and the
// array configuration as the window shows it.
QList<NamedText> TextsToSave()
{
    using CustomerUi::Text;
    QList<NamedText> texts;
    for (int k = 0; k < 10; ++k)
        texts.append({Ui(UiCustomerFieldFirst + k), Text("TxtIn", k)});
    texts.append({Ui(UiCustomerFieldFirst + 10), CustomerUi::Memo(QStringLiteral("TxtIn_10"))});

    const int shown = Global::HistoryPage;
    for (int i = 0; i < MaxHistories; ++i) {
        const bool onScreen = i == shown;
        const QString where = onScreen ? QString()
                                       : QStringLiteral(" (") + Ui(UiHistoryHeading) + u' ' + QString::number(i + 1) + u')';
        const HistoryRecord& h = Global::HistoryRecords[std::size_t(i)];
        const ContractorRecord& c = Global::ContractorRecords[std::size_t(i)];
        texts.append({Ui(UiHistoryNameField) + where, onScreen ? Text("TxtIn", 11) : h.HistoryName});
        texts.append({Ui(UiHistoryMemoField) + where,
                      onScreen ? CustomerUi::Memo(QStringLiteral("TxtIn_12")) : h.HistoryMemo});
        const std::array<const std::array<QString, ContractorCount + 1>*, 3> columns = {
            &c.ContractorNames, &c.ContractorPhones, &c.ContractorPersons};
        static const char* const boxes[3] = {"TxtCompanyName", "TxtCompanyTel", "TxtCompanyCharge"};
        for (int k = 0; k < ContractorCount; ++k)
            for (int col = 0; col < 3; ++col)
                texts.append({Ui(UiContractorFieldFirst + col) + u' ' + QString::number(k + 1) + where,
                              onScreen ? Text(boxes[col], k) : (*columns[std::size_t(col)])[std::size_t(k)]});
    }

    ArrayConfigurationType a = Global::ArrayConfiguration;
    if (MainWindow())
        ArraySetScreenToRecords(a);
    const QString module = Ui(UiArrayModule) + u' ';
    for (int g = 0; g < GroupCount; ++g) {
        const QString group = QStringLiteral(" (") + QString::number(g + 1) + u')';
        texts.append({module + Ui(UiArrayMaker) + group, a.GroupMaker[std::size_t(g)]});
        for (int k = 0; k < RowsPerGroup; ++k) {
            const StringRow& r = a.StringRows[std::size_t(g * RowsPerGroup + k)];
            const QString row = QStringLiteral(" (") + QString::number(g + 1) + u'-' + QString::number(k + 1) + u')';
            const QString* values[6] = {&r.ModelCode, &r.SeriesCount, &r.ParallelCount,
                                        &r.ModulePm,  &r.ModuleVoc,   &r.ModuleIsc};
            for (int f = 0; f < 6; ++f)
                texts.append({module + Ui(UiArrayRowFields[f]) + row, *values[f]});
        }
        const GroupPowConEntry& pc = a.GroupPowCon[std::size_t(g)];
        const QString* powCon[3] = {&pc.PowConNo, &pc.PowConMaker, &pc.PowConModel};
        for (int f = 0; f < 3; ++f)
            texts.append({Ui(UiArrayPowCon) + u' ' + Ui(UiArrayPowConFirst + f) + group, *powCon[f]});
    }
    texts.append({Ui(UiArrayOther), a.ExtMemo});
    return texts;
}

// ---- What a failed save puts back ----------------------------------------------

// The selection, the list cache and the grid rows as they were before a
// save, so that one that does not go through leaves them as they were.
struct SaveUndo {
    QString code, name;
    std::int32_t curUserRow = Global::CurUserRow;
    std::int32_t curUserIndex = Global::CurUserIndex;
    std::unique_ptr<std::array<UserListItem, UserListCapacity>> entries =
        std::make_unique<std::array<UserListItem, UserListCapacity>>(Global::UserListItems);
    int gridRows = 0;

    SaveUndo() : code(Global::UserDataRecord.CustomerCode), name(Global::UserDataRecord.CustomerName)
    {
        if (FlexGrid* grid = CustomerUi::UserGrid())
            gridRows = grid->Rows();
    }
    void restore() const
    {
        Global::UserDataRecord.CustomerCode = code;
        Global::UserDataRecord.CustomerName = name;
        Global::UserListItems = *entries;
        FlexGrid* grid = CustomerUi::UserGrid();
        if (grid && grid->Rows() > gridRows) {
            // The row a new customer was given goes again.
            grid->setRows(gridRows);
            if (grid->Row() >= gridRows)
                grid->setRow(gridRows - 1);
        }
        Global::CurUserRow = curUserRow;
        Global::CurUserIndex = curUserIndex;
    }
};

// The key names a folder already. One that the list shows no customer for
// (a left-over folder without the customer's files, or a file) is named,
// so that the user can find what is in the way.
void RefuseTakenKey(const QString& target)
{
    const bool listed = QFileInfo(target + QStringLiteral("/UserData.csv")).isFile() &&
                        QFileInfo(target + QStringLiteral("/MakerData.csv")).isFile();
    if (listed) {
        CustomerUi::Refuse(UiCustomerExists);
        return;
    }
    MsgBox(Global::UiText.value(UiCustomerExists) + QStringLiteral("   [") + target + u']',
           vbOKOnly | vbExclamation, QString(), CustomerUi::Owner());
}

// Writes the customer under `newKey`, moving its folder first when the key
// changed. True when every file was written; false after a report (the
// folder then lies where it lay before).
bool SaveUnderKey(const QString& newKey, const QString& oldKey)
{
    const QString target = UserDataFolder(newKey);
    if (newKey == oldKey)
        return UserDataSave(newKey, false);

    // A key that is another folder's already is refused, for a new customer
    // as for a changed key: nothing is ever written into another customer.
    if (!FolderCheck(target).isEmpty() || QFileInfo(target).exists()) {
        RefuseTakenKey(target);
        return false;
    }

    if (oldKey.isEmpty()) {
        // A new customer: a save that fails takes away what it began.
        if (UserDataSave(newKey, true))
            return true;
        QDir(target).removeRecursively();
        return false;
    }

    const QString source = UserDataFolder(oldKey);
    try {
        MoveCustomerFolder(source, target);
    } catch (const AppError& e) {
        if (e.number == 70)
            CustomerUi::Refuse(UiFolderInUse);
        else
            ShowErrorReport(QStringLiteral("CmdBtn0_Click"), e);
        return false;
    }
    if (UserDataSave(newKey, true))
        return true;
    // The files were not all written: the folder goes back under its old
    // key, each file old or new.
    try {
        MoveCustomerFolder(target, source);
    } catch (const AppError& e) {
        ShowErrorReport(QStringLiteral("CmdBtn0_Click"), e);
    }
    return false;
}

// ---- Actions -------------------------------------------------------------------

// The save question of the sort, new-customer and array commands. False when
// the user wanted the edits saved and they were not: the command then stops
// where it would throw them away.
bool SaveQuestion()
{
    if (CustomerUi::MainTab() != 0 || !Global::TabModified[0])
        return true;
    Global::TabModified[0] = false;
    if (!CustomerUi::AskSave())
        return true;
    return CmdBtn0_Click(true);
}

void DeleteCustomer()
{
    if (!AskDelete(UiDeleteCustomer1) || !AskDelete(UiDeleteCustomer2))
        return;
    // The folder of the customer as it was loaded, never one the edited code
    // and name boxes happen to name.
    const QString key = Global::LoadedCustomerKey;
    const QString folder = key.isEmpty() ? QString() : UserDataFolder(key);
    if (!folder.isEmpty() && !FolderCheck(folder).isEmpty() && DlFol(folder) != 0) {
        // DlFol has said why. Whatever is left of the customer is shown as
        // the folder now holds it.
        Global::TabModified[0] = false;
        Global::CurUserRow = 0;
        UserListIni(true);
        if (FindUserRowByKey(key))
            MfgUserList_Click();
        return;
    }
    UserRawBackClear();
    UserMemoryClear();
    Global::TabModified[0] = false;
    Global::CurUserRow = 0;
    UserListIni(true);
    CustomerUi::Inform(UiDeleted);
}

void NewCustomer()
{
    if (!SaveQuestion())
        return;
    UserMemoryClear();
    // A new customer has nothing of the one shown before: no coefficients
    // and no other-equipment memo.
    auto& a = Global::ArrayConfiguration;
    for (auto* table : {&a.GroupPmTempCoef, &a.GroupAlpha, &a.GroupBeta, &a.GroupRs, &a.GroupK,
                        &a.GroupCellsDown, &a.GroupCellsAcross})
        for (int g = 0; g < GroupCount; ++g)
            (*table)[std::size_t(g)].clear();
    UserDataInitial();
    if (QWidget* form = ArraySetForm()) {
        if (QObject* memo = form->findChild<QObject*>(QStringLiteral("TxtExData")))
            SetTextOf(memo, QString());
        for (int g = 0; g < GroupCount; ++g)
            for (const char* n : {"LblPmTemp", "LblAlpha", "LblBeta", "LblRs", "LblK"})
                if (QObject* label = form->findChild<QObject*>(CustomerUi::Indexed(n, g)))
                    SetCaption(label, QString());
    }
    Global::LoadedCustomerKey.clear();
}

void OpenArrayConfiguration()
{
    if (CustomerUi::Text("TxtIn", 0).isEmpty() || CustomerUi::Text("TxtIn", 1).isEmpty()) {
        CustomerUi::Refuse(UiSaveCustomerFirst);
        return;
    }
    if (QWidget* form = ArraySetForm())
        if (QObject* total = form->findChild<QObject*>(QStringLiteral("LblTotalPm")))
            SetCaption(total, ArraySetGrandTotal());
    SaveQuestion();
    FrmArraySetOpen();
}

void OpenCustomerDocuments()
{
    const QString& key = Global::LoadedCustomerKey;
    if (key.isEmpty() || CustomerUi::Text("TxtIn", 0).isEmpty() || CustomerUi::Text("TxtIn", 1).isEmpty()) {
        CustomerUi::Refuse(UiSaveCustomerFirst);
        return;
    }
    // The documents folder whichever language named it; a new one under the
    // name of the language in use.
    const QString c = UserDataFolder(key);
    QString documents = NamedFolderIn(c, DocumentsFolderNames(), DocumentsFolderName());
    if (documents.isEmpty())
        documents = c + u'/' + DocumentsFolderName();
    OpenDocumentsFolder(documents, DocumentsMarkerName());
}

} // namespace

QString CustomerKey(const QString& code, const QString& name)
{
    return code + u'_' + name;
}

void TakeBackShownCustomer()
{
    const QString& shown = Global::LoadedCustomerKey;
    const UserDataRecordType& u = Global::UserDataRecord;
    const QString inRecords =
        u.CustomerCode.isEmpty() && u.CustomerName.isEmpty() ? QString() : CustomerKey(u.CustomerCode, u.CustomerName);
    if (inRecords == shown)
        return;
    if (shown.isEmpty())
        UserMemoryClear();
    else if (!UserDataRead(shown))
        throw AppError(53, QStringLiteral("File not found: ") + UserDataFolder(shown));
}

void MoveCustomerFolder(const QString& from, const QString& to)
{
    namespace fs = std::filesystem;
    const fs::path source = DiskPath(from).toStdString();
    const fs::path target = DiskPath(to).toStdString();
    std::error_code ec;
    if (!fs::is_directory(fs::symlink_status(source, ec)))
        throw AppError(76, AppError::standardText(76) + QStringLiteral(": ") + from);
    if (fs::exists(fs::symlink_status(target, ec)))
        throw AppError(58, AppError::standardText(58) + QStringLiteral(": ") + to);
    fs::rename(source, target, ec);
    if (!ec)
        return;
    if (ec == std::errc::permission_denied || ec == std::errc::operation_not_permitted ||
        ec == std::errc::device_or_resource_busy)
        throw AppError(70, AppError::standardText(70) + QStringLiteral(": ") + from);
    throw AppError(75, AppError::standardText(75) + QStringLiteral(": ") + from);
}

void OpenDocumentsFolder(const QString& folder, const QString& marker)
{
    if (FolderCheck(folder).isEmpty()) {
        if (!IsSafeNamePart(QFileInfo(folder).fileName()) || !IsSafeNamePart(marker))
            throw AppError(52);
        if (!MakeFolder(folder))
            throw AppError(76, AppError::standardText(76) + QStringLiteral(": ") + folder);
        if (!WriteFileAtomic(folder + u'/' + marker, QByteArrayLiteral("\r\n"))) {
            // Made again, with its marker, the next time.
            QDir().rmdir(folder);
            throw AppError(75, AppError::standardText(75) + QStringLiteral(": ") + folder + u'/' + marker);
        }
    }
    // A failure to open is reported by ShellOpen in its own words: the folder
    // is there, so it is no error of the file system.
    ShellOpen(folder);
}

QString ArraySetGrandTotal()
{
    QWidget* form = ArraySetForm();
    if (!form)
        return NumText::Str(0);
    auto value = [form](const char* name, int r) {
        QObject* o = form->findChild<QObject*>(CustomerUi::Indexed(name, r));
        return o ? NumText::Val(TextOf(o)) : 0.0;
    };
    double total = 0;
    for (int r = 0; r < RowCount; ++r) {
        double parallel = value("TxtCntH", r);
        if (parallel == 0)
            parallel = 1;
        total += value("LblPm", r) * value("TxtCnt", r) * parallel;
    }
    return NumText::Str(total);
}

bool CmdBtn0_Click(bool notice)
{
    bool saved = false;
    Guarded(QStringLiteral("CmdBtn0_Click"), [&] {
        using CustomerUi::Text;
        const QString code = Text("TxtIn", 0);
        const QString name = Text("TxtIn", 1);
        const QString shownName = Text("TxtIn", 11);
        const int page = Global::HistoryPage;
        if (page < 0 || page >= HistorySlots)
            throw AppError(9);

        TakeBackShownCustomer();
        // The files keep 99 histories: a history named on a page past the
        // last would be dropped by the save.
        if (page >= MaxHistories && !shownName.isEmpty()) {
            CustomerUi::Refuse(UiHistoryPagePastLast);
            return;
        }
        if (const int refusal = RefusalOfInput(code, name, shownName)) {
            CustomerUi::Refuse(refusal);
            return;
        }
        Global::HistoryRecords[std::size_t(page)].HistoryName = shownName;
        if (const int refusal = RefusalOfHistories()) {
            CustomerUi::Refuse(refusal);
            return;
        }
        const QString newKey = CustomerKey(code, name);
        if (const int refusal = RefusalOfPathLength(newKey)) {
            CustomerUi::Refuse(refusal);
            return;
        }

        // Nothing is written when any text would lose a character.
        if (const QString refusal = TextNotHeldRefusal(TextsToSave()); !refusal.isEmpty()) {
            MsgBox(refusal, vbOKOnly | vbExclamation, QString(), CustomerUi::Owner());
            return;
        }

        const QString oldKey = Global::LoadedCustomerKey;
        const SaveUndo undo;
        if (!SaveUnderKey(newKey, oldKey)) {
            undo.restore();
            return;
        }
        saved = true;

        Global::TabModified[0] = false;
        const int shownPage = page;
        UserListIni(true);
        // Only the customer saved is chosen again; when the list does not
        // hold it, no customer is chosen.
        FlexGrid* grid = CustomerUi::UserGrid();
        if (grid) {
            grid->setRedraw(false);
            const bool found = FindUserRow(code, name);
            grid->setRedraw(true);
            if (!found) {
                Global::CurUserRow = 0;
                return;
            }
        }
        MfgUserList_Click();
        if (Global::LoadedCustomerKey != newKey)
            return;
        Global::HistoryPage = shownPage;
        MeasDataPageChange();
        CustomerUi::Show(QStringLiteral("LblPage"), NumText::Str(shownPage + 1));
    });
    if (!saved) {
        // Refused or failed: the edits are still unsaved.
        Global::TabModified[0] = true;
        return false;
    }
    if (notice) {
        Global::MessWindowText = QStringLiteral("Save OK");
        ShowMessWindow(CustomerUi::Owner());
    }
    return true;
}

void CmdBtn_Click(int index)
{
    if (IsCatalogCommand(index)) {
        CatalogCommand_Click(index);
        return;
    }
    Guarded(QStringLiteral("CmdBtn_Click"), [&] {
        switch (index) {
        case 0:
            CmdBtn0_Click(true);
            break;
        case 1:
            DeleteCustomer();
            break;
        case 2:
            if (SaveQuestion())
                FrmCustomerSort::Open();
            break;
        case 3:
            NewCustomer();
            break;
        case 10:
            OpenArrayConfiguration();
            break;
        case 11:
            OpenCustomerDocuments();
            break;
        default:
            break;
        }
    });
}

#include "customers/CustomerForm.h"

#include "common/Captions.h"
#include "common/Controls.h"
#include "customers/CustomerGlobals.h"
#include "platform/AppError.h"
#include "platform/FlexGrid.h"
#include "platform/NumText.h"

namespace {

using namespace Customer;

constexpr quint32 HighlightBack = 0x00800000; // dark blue (red 0, green 0, blue 128)
constexpr quint32 HighlightFore = 0x00FFFFFF; // white

QString Indexed(const char* name, int index)
{
    return QString::fromLatin1(name) + u'_' + QString::number(index);
}

[[noreturn]] void ObjectRequired(const QString& name)
{
    throw AppError(424, QStringLiteral("Object required: ") + name);
}

// A control of the main window; a missing one is an error, never an empty
// text that would be saved over the user's data.
QObject* MainObject(const QString& name)
{
    QObject* o = MainControlObject(name);
    if (!o)
        ObjectRequired(name);
    return o;
}

QObject* MainObject(const char* name, int index)
{
    return MainObject(Indexed(name, index));
}

// A control of the array configuration window.
QObject* ArraySetObject(const QWidget& form, const QString& name)
{
    QObject* o = form.findChild<QObject*>(name);
    if (!o)
        ObjectRequired(name);
    return o;
}

QObject* ArraySetObject(const QWidget& form, const char* name, int index)
{
    return ArraySetObject(form, Indexed(name, index));
}

// Hides and shows the grid around a change of its rows, also when the
// change fails half-way.
class HiddenWhileChanged {
  public:
    explicit HiddenWhileChanged(FlexGrid& g) : grid(g) { grid.setVisible(false); }
    ~HiddenWhileChanged() { grid.setVisible(true); }
    HiddenWhileChanged(const HiddenWhileChanged&) = delete;
    HiddenWhileChanged& operator=(const HiddenWhileChanged&) = delete;

  private:
    FlexGrid& grid;
};

// Appends a row to the customer list, makes it current and gives it the
// selected customer's colours. Returns its row number.
int AddSelectedRow(FlexGrid& grid)
{
    const HiddenWhileChanged hidden(grid);
    const int row = grid.Rows();
    grid.setRows(row + 1);
    grid.setRow(row);
    if (grid.Rows() > 1) {
        for (int col = 0; col < grid.Cols(); ++col) {
            grid.setCellBackColor(row, col, HighlightBack);
            grid.setCellForeColor(row, col, HighlightFore);
        }
    }
    return row;
}

} // namespace

// ---- Memo boxes ------------------------------------------------------------

QString MemoToBox(const QString& memo)
{
    QString text = memo;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

QString MemoFromBox(const QString& boxText)
{
    QString text = boxText;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(u'\n', QStringLiteral("\r\n"));
    return text;
}

QString MemoOf(const QObject* box)
{
    return MemoFromBox(TextOf(box));
}

void SetMemo(QObject* box, const QString& memo)
{
    SetTextOf(box, MemoToBox(memo));
}

// ---- The save: screen into records -----------------------------------------

void ArraySetScreenToRecords(ArrayConfigurationType& into)
{
    const QWidget* form = Global::ArraySetForm.data();
    if (!form)
        return;
    const QWidget& w = *form;

    ArrayConfigurationType a = into;
    a.TotalPm = CaptionOf(MainObject(QStringLiteral("LblModulePmMax")));
    a.ExtMemo = MemoOf(ArraySetObject(w, QStringLiteral("TxtExData")));
    for (int g = 0; g < GroupCount; ++g)
        a.GroupRatedPm[g] = CaptionOf(ArraySetObject(w, "LblStringTotalPm", g));
    for (int r = 0; r < RowCount; ++r) {
        StringRow& row = a.StringRows[r];
        row.ModelCode = TextOf(ArraySetObject(w, "CmbModSel", r));
        row.ParallelCount = TextOf(ArraySetObject(w, "TxtCntH", r));
        row.ModuleVoc = CaptionOf(ArraySetObject(w, "LblVoc", r));
        row.ModuleIsc = CaptionOf(ArraySetObject(w, "LblIsc", r));
        row.ModulePm = CaptionOf(ArraySetObject(w, "LblPm", r));
        row.SeriesCount = TextOf(ArraySetObject(w, "TxtCnt", r));
    }
    for (int g = 0; g < GroupCount; ++g) {
        a.GroupMaker[g] = TextOf(ArraySetObject(w, "CmbMaker", g));
        GroupPowConEntry& pc = a.GroupPowCon[g];
        pc.PowConNo = TextOf(ArraySetObject(w, "CmbNoSel", g));
        pc.PowConMaker = TextOf(ArraySetObject(w, "CmbPowConMaker", g));
        pc.PowConModel = TextOf(ArraySetObject(w, "CmbPowConSerial", g));
    }
    into = a;
}

void UserDataScreenToRecords()
{
    if (!MainWindow())
        return;

    // Everything is read into copies first; nothing changes until all of it
    // was found.
    UserDataRecordType user;
    QString* const fields[] = {&user.CustomerCode, &user.CustomerName,    &user.NameReading, &user.SiteName,
                               &user.PostalCode,   &user.Address,         &user.Phone1,      &user.Phone2,
                               &user.Mail,         &user.RegistrationDate};
    for (int k = 0; k < 10; ++k)
        *fields[k] = TextOf(MainObject("TxtIn", k));
    user.CustomerMemo = MemoOf(MainObject("TxtIn", 10));

    ArrayConfigurationType array = Global::ArrayConfiguration;
    ArraySetScreenToRecords(array);

    const std::int32_t page = Global::HistoryPage;
    if (page < 0 || page >= HistorySlots)
        throw AppError(9);
    // The picture paths and the folder name are not on the page; they stay.
    HistoryRecord history = Global::HistoryRecords[std::size_t(page)];
    history.HistoryName = TextOf(MainObject("TxtIn", 11));
    history.MeasDate = CaptionOf(MainObject(QStringLiteral("LblDate")));
    history.HistoryPmTotal = CaptionOf(MainObject(QStringLiteral("LblMeasDataPm")));
    history.HistoryVocTotal = CaptionOf(MainObject(QStringLiteral("LblMeasDataVoc")));
    history.HistoryIscTotal = CaptionOf(MainObject(QStringLiteral("LblMeasDataIsc")));
    history.HistoryMemo = MemoOf(MainObject("TxtIn", 12));
    ContractorRecord contractors = Global::ContractorRecords[std::size_t(page)];
    for (int k = 0; k < ContractorCount; ++k) {
        contractors.ContractorNames[k] = TextOf(MainObject("TxtCompanyName", k));
        contractors.ContractorPhones[k] = TextOf(MainObject("TxtCompanyTel", k));
        contractors.ContractorPersons[k] = TextOf(MainObject("TxtCompanyCharge", k));
    }

    if (Global::CurUserRow == 0) {
        // A customer not in the list yet takes a new last row, highlighted
        // as the selected one; its texts come with the next list build.
        auto* grid = qobject_cast<FlexGrid*>(MainObject(QStringLiteral("MfgUserList")));
        if (!grid)
            throw AppError(13);
        // The row's customer goes to the list entry of index row - 1; a
        // full list is refused before the grid changes.
        if (grid->Rows() - 1 >= UserListCapacity)
            throw AppError(9);
        const int row = AddSelectedRow(*grid);
        Global::CurUserIndex = row - 1;
        Global::CurUserRow = row;
    }

    Global::UserDataRecord = user;
    Global::ArrayConfiguration = array;
    Global::HistoryRecords[std::size_t(page)] = history;
    Global::ContractorRecords[std::size_t(page)] = contractors;
}

// ---- The read: what it shows -------------------------------------------------

void ShowHistoryTotal(std::int32_t historyCount)
{
    if (!MainWindow())
        return;
    SetCaption(MainObject(QStringLiteral("LblTotalPage")), NumText::Str(historyCount));
}

void InstallCustomerFormHooks()
{
    Global::UserDataScreenToRecordsHook = &UserDataScreenToRecords;
    Global::ShowHistoryTotalHook = &ShowHistoryTotal;
}

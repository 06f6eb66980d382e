#include "customers/CustomerList.h"

#include "common/AppGlobals.h"
#include "common/FileHelpers.h"
#include "customers/CustomerGlobals.h"
#include "customers/CustomerTab.h"
#include "customers/TabControls.h"
#include "platform/AnsiCodec.h"
#include "platform/FlexGrid.h"
#include "platform/FolderReader.h"


#include <algorithm>
#include <numeric>

namespace {

constexpr int ListColumns = 8;
constexpr int ListLinesRead = 10; // lines 1 to 10 of UserData.csv
constexpr qsizetype MaxPath = 256;

// Column widths of blanks in the grid's font; the first column centred.
const QString ListFormat = QStringLiteral("^          |                        |                            |"
                                          "                  |            |                                |"
                                          "                 |              ");

void NoteError(CustomerScan& scan, int number)
{
    if (!scan.firstError)
        scan.firstError = AppError(number);
}

// The entry of the customer folder `name`, or nothing when the folder is no
// customer (a file missing).
std::optional<UserListItem> ReadListEntry(const FolderReader& users, const QString& folder, const QString& name,
                                          CustomerScan& scan)
{
    const QString userFile = name + QStringLiteral("/UserData.csv");
    const QString makerFile = name + QStringLiteral("/MakerData.csv");
    // Paths the file checks cannot look up count as missing, as everywhere.
    if (folder.size() + 1 + std::max(userFile.size(), makerFile.size()) >= MaxPath)
        return std::nullopt;
    if (!users.isFile(makerFile))
        return std::nullopt;
    const std::optional<QByteArray> bytes = users.read(userFile);
    if (!bytes) {
        if (users.isFile(userFile))
            NoteError(scan, 70);
        return std::nullopt;
    }
    // Only the lines the list shows are decoded; the memo is not.
    QList<QByteArray> lines = AnsiCodec::splitLineBytes(*bytes);
    if (lines.size() < ListLinesRead) {
        NoteError(scan, 62);
        while (lines.size() < ListLinesRead)
            lines.append(QByteArray());
    }
    auto line = [&](int k) { return AnsiCodec::decode(lines[k]); };
    return UserListItem{line(0), line(1), line(2), line(3), line(4), line(5), line(6), line(9)};
}

} // namespace

CustomerScan ScanCustomerFolders(const QString& userDataFolder)
{
    CustomerScan scan;
    const FolderReader users(userDataFolder);
    QStringList folders = users.subfolders(&scan.namesNotShown);
    // The order a user sees: names without regard to case.
    std::sort(folders.begin(), folders.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString& name : folders) {
        std::optional<UserListItem> entry = ReadListEntry(users, userDataFolder, name, scan);
        if (!entry)
            continue;
        if (int(scan.items.size()) >= Customer::UserListCapacity) {
            NoteError(scan, 9);
            break;
        }
        scan.items.push_back(std::move(*entry));
    }
    return scan;
}

int EffectiveSortColumn(int sortColumn)
{
    return sortColumn >= 0 && sortColumn < ListColumns ? sortColumn : 0;
}

int CompareListTexts(const QString& a, const QString& b, int sortDirection)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    if (c == 0)
        return 0;
    const int sign = c < 0 ? -1 : 1;
    return sortDirection == 1 ? -sign : sign;
}

const QString& ListCell(const UserListItem& item, int column)
{
    switch (column) {
    case 0:
        return item.CustomerCode;
    case 1:
        return item.CustomerName;
    case 2:
        return item.NameReading;
    case 3:
        return item.SiteName;
    case 4:
        return item.PostalCode;
    case 5:
        return item.Address;
    case 6:
        return item.Phone1;
    default:
        return item.RegistrationDate;
    }
}

std::vector<int> ListOrder(const std::vector<UserListItem>& items, int column, int sortDirection)
{
    std::vector<int> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return CompareListTexts(ListCell(items[std::size_t(a)], column), ListCell(items[std::size_t(b)], column),
                                sortDirection) < 0;
    });
    return order;
}

// ---- The grid --------------------------------------------------------------

void UserListIni(bool visible)
{
    std::optional<AppError> failure;
    FolderListing notShown;
    Guarded(QStringLiteral("UserListIni"), [&] {
        UserDataClearLock();
        FlexGrid* grid = CustomerUi::UserGrid();
        if (!grid)
            return;

        grid->setRedraw(false);
        grid->Clear();
        grid->setGridFont(QStringLiteral("MS Gothic"), 9);
        grid->setFormatString(ListFormat);
        grid->setRows(2);
        for (int k = 0; k < ListColumns; ++k) {
            grid->setTextMatrix(0, k, Global::UiText.value(44 + k));
            grid->setCellAlignment(0, k, FlexGrid::flexAlignCenterCenter);
        }
        // Every data cell is left-aligned and vertically centred.
        for (int k = 0; k < ListColumns; ++k)
            grid->setColAlignment(k, FlexGrid::flexAlignLeftCenter);

        const QString userData = Global::DataFolder + QStringLiteral("/USER_DATA");
        CustomerScan scan = ScanCustomerFolders(userData);
        failure = scan.firstError;
        notShown.folder = userData;
        notShown.notShown = scan.namesNotShown;
        const int count = int(scan.items.size());
        for (int i = 0; i < count; ++i)
            Global::UserListItems[std::size_t(i)] = scan.items[std::size_t(i)];
        Global::UserListCount = count;

        // The rows come in the sorted order: the same as the grid sorting
        // itself by MfgUserList_Compare, without moving every cell twice.
        const int column = EffectiveSortColumn(Global::SortColumn);
        const std::vector<int> order = ListOrder(scan.items, column, Global::SortDirection);
        grid->setRows(count > 0 ? count + 1 : 1);
        for (int r = 0; r < count; ++r) {
            const UserListItem& item = scan.items[std::size_t(order[std::size_t(r)])];
            for (int k = 0; k < ListColumns; ++k)
                grid->setTextMatrix(r + 1, k, ListCell(item, k));
        }
        grid->setRedraw(true);
        grid->setVisible(visible);

        const bool any = grid->Rows() >= 2;
        for (int i : {0, 1, 2, 10, 11})
            CustomerUi::Enable("CmdBtn", i, any);
        if (any) {
            grid->setRow(1);
            grid->setCol(1);
            grid->setTopRow(1);
        }
        grid->viewport()->update();
        Global::HistoryNameEdited = false;
    });
    // Reported once the list is shown, so that the customers found stay
    // usable whatever one folder holds.
    if (failure)
        ShowErrorReport(QStringLiteral("UserListIni"), *failure);
    ReportNamesNotShown(notShown);
}

int MfgUserList_Compare(int row1, int row2)
{
    int cmp = 0;
    Guarded(QStringLiteral("MfgUserList_Compare"), [&] {
        FlexGrid* grid = CustomerUi::UserGrid();
        if (!grid)
            return;
        const int column = grid->Col();
        cmp = CompareListTexts(grid->TextMatrix(row1, column), grid->TextMatrix(row2, column),
                               Global::SortDirection);
    });
    return cmp;
}

namespace {

void PaintRow(FlexGrid& grid, int row, quint32 back, quint32 fore)
{
    for (int col = 0; col < grid.Cols(); ++col) {
        grid.setCellBackColor(row, col, back);
        grid.setCellForeColor(row, col, fore);
    }
}

} // namespace

void UserRawBackClear()
{
    try {
        FlexGrid* grid = CustomerUi::UserGrid();
        if (!grid)
            return;
        const int row = Global::CurUserRow;
        if (grid->Rows() <= 1 || row == 0 || row > grid->Rows() - 1)
            return;
        grid->setRedraw(false);
        PaintRow(*grid, row, UserRowBack, UserRowFore);
        grid->setRedraw(true);
        Global::CurUserRow = grid->Row();
    } catch (const AppError& e) {
        if (auto* grid = CustomerUi::UserGrid())
            grid->setRedraw(true);
        // An invalid row is no fault of the user's: nothing to change.
        if (e.number != 30009)
            ShowErrorReport(QStringLiteral("UserRawBackClear"), e);
    }
}

void HighlightCurrentUserRow()
{
    FlexGrid* grid = CustomerUi::UserGrid();
    if (!grid || grid->Row() < 1)
        return;
    grid->setRedraw(false);
    PaintRow(*grid, grid->Row(), UserRowSelectedBack, UserRowSelectedFore);
    grid->setRedraw(true);
    Global::CurUserRow = grid->Row();
}

bool FindUserRow(const QString& code, const QString& name)
{
    FlexGrid* grid = CustomerUi::UserGrid();
    if (!grid)
        return false;
    for (int row = 1; row < grid->Rows(); ++row) {
        if (grid->TextMatrix(row, 0) == code && grid->TextMatrix(row, 1) == name) {
            grid->setRow(row);
            return true;
        }
    }
    return false;
}

bool FindUserRowByKey(const QString& key)
{
    FlexGrid* grid = CustomerUi::UserGrid();
    if (!grid)
        return false;
    for (int row = 1; row < grid->Rows(); ++row) {
        if (grid->TextMatrix(row, 0) + u'_' + grid->TextMatrix(row, 1) == key) {
            grid->setRow(row);
            return true;
        }
    }
    return false;
}

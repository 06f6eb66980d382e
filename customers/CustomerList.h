#pragma once
// The customer list: the customers of USER_DATA read into the list cache
// (Global::UserListItems) and shown, sorted, in the grid `MfgUserList`, and
// the highlight of the chosen customer's row.
//
// The scan and the order are plain code; UserListIni lays them out in the
// grid.
#include "customers/CustomerRecords.h"
#include "platform/AppError.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <vector>

class FlexGrid;

// Row colours (0x00BBGGRR): the chosen customer's row, and every other row.
inline constexpr quint32 UserRowSelectedBack = 0x00800000; // dark blue
inline constexpr quint32 UserRowSelectedFore = 0x00FFFFFF; // white
inline constexpr quint32 UserRowBack = 0x00FFFFFF;
inline constexpr quint32 UserRowFore = 0x00000000;

// What a scan of USER_DATA found.
struct CustomerScan {
    // The listed customers in folder order (names sorted without regard to
    // case), at most Customer::UserListCapacity.
    std::vector<UserListItem> items;
    // The first thing that went wrong (a 1025th customer: 9; a UserData.csv
    // of fewer than ten lines: 62, the customer listed all the same with the
    // missing lines empty; a file that cannot be read: 70); the customers
    // found are listed either way.
    std::optional<AppError> firstError;
    // The names in the folder that cannot be shown (as on disk), reported
    // once the list is shown.
    QList<QByteArray> namesNotShown;
};

// Lists the customer folders of `userDataFolder`: every real folder (no
// link) holding both UserData.csv and MakerData.csv; lines 1 to 7 and 10 of
// its UserData.csv make its entry.
CustomerScan ScanCustomerFolders(const QString& userDataFolder);

// The column the list sorts by: SortColumn, or 0 when it names no column.
int EffectiveSortColumn(int sortColumn);
// The list's comparison of two cell texts: without regard to letter case,
// turned round for SortDirection 1. Negative when `a` comes first.
int CompareListTexts(const QString& a, const QString& b, int sortDirection);
// The cell text of `item` in grid column `column` (0 to 7).
const QString& ListCell(const UserListItem& item, int column);
// The order in which `items` are shown: indexes into `items`, sorted by
// `column` in `sortDirection`; items that compare equal keep their order.
std::vector<int> ListOrder(const std::vector<UserListItem>& items, int column, int sortDirection);

// ---- The grid --------------------------------------------------------------

// Rebuilds the list from the data folder: empties and locks the customer
// tab, lays the grid out (header from UI texts 44 to 51), lists and sorts
// the customers, enables the save, delete, sort, array and documents
// buttons when there is any (else disables them), and leaves the grid at
// row 1, column 1, shown when `visible`. No row is highlighted. A scan that
// went wrong is reported (titled "UserListIni") after the list is shown.
void UserListIni(bool visible);
// The grid's comparison of data rows `row1` and `row2` by the grid's
// current column.
int MfgUserList_Compare(int row1, int row2);
// Takes the highlight off the row of CurUserRow (when it is a data row of
// the grid); CurUserRow then becomes the grid's current row.
void UserRawBackClear();
// Highlights the grid's current row and makes it CurUserRow.
void HighlightCurrentUserRow();
// Makes current the first data row whose column 0 and 1 show `code` and
// `name` (letter case counts). False, and nothing changed, when none does.
bool FindUserRow(const QString& code, const QString& name);
// Makes current the first data row whose customer has the key `key`
// (code & "_" & name). False, and nothing changed, when none has.
bool FindUserRowByKey(const QString& key);

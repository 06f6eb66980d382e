#pragma once
// What the main window calls of the customer tab: the customer list, the
// customer choice and save, the construction-history page, the command
// buttons and the pop-up menus of the tab, and the customer sort dialog.

// Rebuilds the customer list `MfgUserList` (header row from UI texts 44 to
// 51); the grid is shown afterwards when `visible`.
void UserListIni(bool visible);
// Loads and shows the customer of the customer grid's current row.
void MfgUserList_Click();
// Saves the customer being edited; with `notice` shows "Save OK". True when
// the customer was saved.
bool CmdBtn0_Click(bool notice);
// Shows construction history HistoryPage of the loaded customer.
void MeasDataPageChange();
// The command buttons `CmdBtn` of the customer and catalogue tabs.
void CmdBtn_Click(int index);
// The items of the pop-up menus `MnuPicDel` and `MnuCopyPasteMenu`.
void MnuPicDelete_Click();
void MnuCopyPaste_Click(int index);

// The customer sort dialog `FrmCustomerSort`.
bool FrmCustomerSortIsLoaded();
void FrmCustomerSortUnload();

#pragma once
// The command buttons of the customer tab (the shared `CmdBtn` array; the
// catalogue's indexes go on to customers/CatalogCommands.h) and the one
// customer save every caller goes through.
#include <QString>

// Saves the customer being edited: checks what was typed, moves the
// customer folder when its code or name changed, writes every file, then
// rebuilds the list and shows the saved customer again on the same history
// page. With `notice` the timed "Save OK" follows. True only when the
// customer was saved; a refused or failed save keeps the edits on screen
// and TabModified(0) set, and leaves every file whole, old or new.
bool CmdBtn0_Click(bool notice);

// Makes the records those of the customer the tab shows: another tab may
// have read another customer into them since. They are then read again
// from the shown customer's folder (or emptied while the tab shows a
// customer not saved yet). Throws AppError when that folder cannot be read.
void TakeBackShownCustomer();

// The `CmdBtn` buttons of the customer and catalogue tabs.
void CmdBtn_Click(int index);

// The key of a customer: code & "_" & name.
QString CustomerKey(const QString& code, const QString& name);

// Opens a documents folder in the desktop's file browser; creates it first,
// with the marker file `marker` of one empty line, when it is missing (an
// existing folder is opened unchanged). Failures throw AppError.
void OpenDocumentsFolder(const QString& folder, const QString& marker);

// The total Pm of the array configuration window's 50 string rows: Pm times
// series count times parallel count (an empty or zero parallel count
// counts as 1), as the window writes its totals.
QString ArraySetGrandTotal();

// Moves the customer folder `from` to `to` (both under USER_DATA). Throws
// AppError 70 when the system refuses for permission, 76 when `from` is
// missing, 58 when `to` exists, 75 for anything else.
void MoveCustomerFolder(const QString& from, const QString& to);
